#ifndef VELHOSTPAGE_H
#define VELHOSTPAGE_H

#include <QJSValue>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <memory>

class QJSEngine;
class VelHostControl;
class VelHostFrame;
class VelHostLoader;
class VelHostTimers;
class VelHostWatchdog;

// One page: the script engine, the frame window and the controls the page
// created. The page's API (document, console, timers, host) is built by the
// prelude script from the natives below, which only the prelude sees.
//
// Teardown releases the controls first (newest first), then the frame, then the
// engine, so that no script value outlives the engine and no control is left
// to the engine's garbage collector. GUI thread only.
class VelHostPage : public QObject
{
    Q_OBJECT
public:
    VelHostPage(const QSize& frameSize, const QVariantMap& args, QObject* parent = nullptr);
    ~VelHostPage() override;

    // Runs the prelude and the page script. A page that fails at top level is
    // reported and finishes with exit code 1.
    void run(const QString& strPagePath);

    VelHostFrame* frame() const { return m_pFrame; }
    bool isFinished() const { return m_bFinished; }
    int exitCode() const { return m_nExitCode; }
    // Ends the page with nCode (0 becomes 1 when errors were reported): timers
    // stop and the event loop is asked to exit. The first call wins.
    void finish(int nCode);
    // After nMs the page ends with exit code 124, a script that never returns
    // included: a watchdog thread interrupts the engine.
    void setTimeLimit(int nMs);

    // The natives of the prelude.
    Q_INVOKABLE QJSValue createControl(const QString& strClassId, const QJSValue& options);
    Q_INVOKABLE int setTimer(const QJSValue& callback, double dDelayMs, bool bRepeat,
                             const QJSValue& args);
    Q_INVOKABLE void clearTimer(int nId);
    Q_INVOKABLE void print(int nLevel, const QString& strText) const;
    Q_INVOKABLE void exit(int nCode) { finish(nCode); }
    Q_INVOKABLE void reportError(const QJSValue& error);
    Q_INVOKABLE int errorCount() const { return m_nErrors; }
    Q_INVOKABLE QVariantMap args() const { return m_args; }
    Q_INVOKABLE QString version() const;
    Q_INVOKABLE QJSValue env(const QString& strName) const;
    Q_INVOKABLE QJSValue readDriveFile(const QString& strPath) const;
    Q_INVOKABLE bool writeDriveFile(const QString& strPath, const QString& strText) const;
    Q_INVOKABLE bool removeDriveFile(const QString& strPath) const;
    Q_INVOKABLE void qtDebug(const QString& strText) const;
    Q_INVOKABLE QJSValue include(const QString& strPath);

private:
    QJSValue evaluateFile(const QString& strPath);
    // The local path of a page's drive file, or empty after throwing the reason.
    QString confinedDrivePath(const char* szCall, const QString& strPath, QString* pRoot) const;
    QString errorText(const QJSValue& error) const;
    void timeOut();
    void fail(const QString& strMessage);

    QJSEngine* m_pEngine;
    VelHostFrame* m_pFrame;
    VelHostTimers* m_pTimers;
    std::unique_ptr<VelHostLoader> m_pLoader;
    QList<VelHostControl*> m_controls;
    QVariantMap m_args;
    QString m_strPageDir;
    int m_nErrors = 0;
    bool m_bFinished = false;
    int m_nExitCode = 0;
    std::unique_ptr<VelHostWatchdog> m_pWatchdog;
    int m_nTimeLimitMs = 0;
    std::atomic<bool> m_bTimedOut{false};
};

#endif // VELHOSTPAGE_H
