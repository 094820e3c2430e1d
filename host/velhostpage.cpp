#include "velhostpage.h"

#include "velhostconfine.h"
#include "velhostcontrol.h"
#include "velhostframe.h"
#include "velhostloader.h"
#include "velhostpaths.h"
#include "velhostscriptcall.h"
#include "velhosttimers.h"
#include "velhostwatchdog.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJSEngine>
#include <QQmlEngine>
#include <QTextCodec>
#include <QTimer>

#include <cstdio>

VelHostPage::VelHostPage(const QSize& frameSize, const QVariantMap& args, QObject* parent)
    : QObject(parent), m_pEngine(new QJSEngine), m_pFrame(new VelHostFrame(frameSize)),
      m_pLoader(new VelHostLoader(m_pFrame)), m_args(args)
{
    Q_INIT_RESOURCE(host); // the prelude, from the host's static library
    m_pTimers = new VelHostTimers(
        m_pEngine, [this](const QJSValue& error) { reportError(error); }, this);
    VelHostScriptCall::setOutOfMemoryHandler([this]() {
        ++m_nErrors;
        print(2, QStringLiteral("page error: out of memory in the script engine; the page "
                                "cannot go on"));
        finish(1);
    });
}

VelHostPage::~VelHostPage()
{
    m_pWatchdog.reset(); // it may touch the engine
    VelHostScriptCall::setOutOfMemoryHandler(nullptr);
    delete m_pTimers;
    m_pTimers = nullptr;
    while (!m_controls.isEmpty())
        delete m_controls.takeLast(); // releases its control
    delete m_pFrame;
    delete m_pEngine;
}

void VelHostPage::run(const QString& strPagePath)
{
    const QFileInfo pageInfo(strPagePath);
    m_strPageDir = pageInfo.absolutePath();
    m_pFrame->setWindowTitle(QStringLiteral("vel-host - %1").arg(pageInfo.fileName()));
    m_pFrame->show();

    // The prelude is a function of (global, native) that builds the page API.
    QQmlEngine::setObjectOwnership(this, QQmlEngine::CppOwnership);
    QJSValue prelude = evaluateFile(QStringLiteral(":/host/prelude.js"));
    if (!prelude.isError())
        prelude = VelHostScriptCall::enter([&]() {
            return prelude.call({m_pEngine->globalObject(), m_pEngine->newQObject(this)});
        });
    if (prelude.isError()) {
        reportError(prelude);
        finish(1);
        return;
    }
    if (!pageInfo.isFile()) {
        fail(QStringLiteral("vel-host: cannot read the page %1").arg(strPagePath));
        return;
    }
    const QJSValue result = evaluateFile(pageInfo.absoluteFilePath());
    if (m_bTimedOut)
        timeOut();
    else if (result.isError()) {
        reportError(result);
        finish(1);
    }
}

void VelHostPage::setTimeLimit(int nMs)
{
    m_pWatchdog = std::make_unique<VelHostWatchdog>(nMs, [this]() {
        m_bTimedOut = true;
        m_pEngine->setInterrupted(true);
        QMetaObject::invokeMethod(this, &VelHostPage::timeOut, Qt::QueuedConnection);
    });
    m_nTimeLimitMs = nMs;
}

void VelHostPage::timeOut()
{
    if (m_bFinished)
        return;
    print(2, QStringLiteral("vel-host: time limit of %1 ms reached").arg(m_nTimeLimitMs));
    finish(124);
}

QJSValue VelHostPage::evaluateFile(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return m_pEngine->newErrorObject(QJSValue::URIError,
                                         QStringLiteral("cannot read %1").arg(strPath));
    const QString strSource = QString::fromUtf8(file.readAll());
    return VelHostScriptCall::enter([&]() { return m_pEngine->evaluate(strSource, strPath, 1); });
}

void VelHostPage::finish(int nCode)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_nExitCode = (nCode == 0 && m_nErrors > 0) ? 1 : nCode;
    if (m_pTimers)
        m_pTimers->clearAll();
    if (m_pWatchdog)
        m_pWatchdog->cancel();
    const int nExitCode = m_nExitCode;
    // Queued, so that it also works while the page script is still being
    // evaluated, before the event loop runs.
    QTimer::singleShot(0, qApp, [nExitCode]() { QCoreApplication::exit(nExitCode); });
}

void VelHostPage::fail(const QString& strMessage)
{
    print(2, strMessage);
    ++m_nErrors;
    finish(1);
}

QJSValue VelHostPage::createControl(const QString& strClassId, const QJSValue& options)
{
    const QSize size(options.property(QStringLiteral("width")).toInt(),
                     options.property(QStringLiteral("height")).toInt());
    VelHostLoader::Created created;
    if (!VelHostScriptCall::native(m_pEngine,
                                   [&]() { created = m_pLoader->create(strClassId, size); }))
        return QJSValue();
    if (!created.pControl) {
        m_pEngine->throwError(created.strError);
        return QJSValue();
    }
    auto* pControl = new VelHostControl(created.pControl, created.entry.strClassId,
                                        created.strVersion, m_pEngine, this);
    m_controls << pControl;
    QQmlEngine::setObjectOwnership(pControl, QQmlEngine::CppOwnership);
    return m_pEngine->newQObject(pControl);
}

int VelHostPage::setTimer(const QJSValue& callback, double dDelayMs, bool bRepeat,
                          const QJSValue& args)
{
    if (m_bFinished)
        return 0;
    QJSValueList list;
    const int nCount = args.property(QStringLiteral("length")).toInt();
    for (int i = 0; i < nCount; ++i)
        list << args.property(quint32(i));
    return m_pTimers->start(callback, dDelayMs, bRepeat, list);
}

void VelHostPage::clearTimer(int nId)
{
    m_pTimers->clear(nId);
}

void VelHostPage::print(int nLevel, const QString& strText) const
{
    VelHostScriptCall::native(m_pEngine, [&]() {
        FILE* pStream = nLevel == 0 ? stdout : stderr;
        std::fprintf(pStream, "%s\n", strText.toUtf8().constData());
        std::fflush(pStream);
    });
}

QString VelHostPage::errorText(const QJSValue& error) const
{
    const QString strFile = error.property(QStringLiteral("fileName")).toString();
    const int nLine = error.property(QStringLiteral("lineNumber")).toInt();
    QString strWhere;
    if (!strFile.isEmpty() && strFile != QLatin1String("undefined"))
        strWhere = QStringLiteral("%1:%2: ").arg(QFileInfo(strFile).fileName()).arg(nLine);
    return strWhere + error.toString();
}

void VelHostPage::reportError(const QJSValue& error)
{
    if (m_bTimedOut)
        return; // the interruption, not the page's error
    ++m_nErrors;
    print(2, QStringLiteral("page error: %1").arg(errorText(error)));
}

QString VelHostPage::version() const
{
    return QCoreApplication::applicationVersion();
}

QJSValue VelHostPage::env(const QString& strName) const
{
    const QByteArray name = strName.toLocal8Bit();
    if (!qEnvironmentVariableIsSet(name.constData()))
        return QJSValue(QJSValue::NullValue);
    return QJSValue(qEnvironmentVariable(name.constData()));
}

QString VelHostPage::confinedDrivePath(const char* szCall, const QString& strPath,
                                       QString* pRoot) const
{
    QString strError;
    const QString strLocal = VelHostConfine::drivePath(strPath, &strError, pRoot);
    if (strLocal.isEmpty())
        m_pEngine->throwError(QStringLiteral("host.%1: %2").arg(QLatin1String(szCall), strError));
    return strLocal;
}

// UTF-8, as writeDriveFile writes (the logs hold Chinese text); a file in
// another encoding still reads, byte for character, rather than with holes.
static QString driveFileText(const QByteArray& bytes)
{
    QTextCodec::ConverterState state;
    const QString strText =
        QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 ? strText : QString::fromLatin1(bytes);
}

QJSValue VelHostPage::readDriveFile(const QString& strPath) const
{
    QString strRoot;
    const QString strLocal = confinedDrivePath("readDriveFile", strPath, &strRoot);
    if (strLocal.isEmpty())
        return QJSValue();
    QString strError;
    bool isMissing = false;
    const std::unique_ptr<QFile> pFile = VelHostConfine::openInside(
        strRoot, strLocal, VelHostConfine::Access::Read, &strError, &isMissing);
    if (!pFile) {
        if (!isMissing)
            m_pEngine->throwError(QStringLiteral("host.readDriveFile: %1").arg(strError));
        return QJSValue(QJSValue::NullValue);
    }
    QJSValue text;
    VelHostScriptCall::native(m_pEngine,
                              [&]() { text = QJSValue(driveFileText(pFile->readAll())); });
    return text;
}

bool VelHostPage::writeDriveFile(const QString& strPath, const QString& strText) const
{
    QString strRoot;
    const QString strLocal = confinedDrivePath("writeDriveFile", strPath, &strRoot);
    if (strLocal.isEmpty())
        return false;
    QString strError;
    bool isMissing = false;
    const std::unique_ptr<QFile> pFile = VelHostConfine::openInside(
        strRoot, strLocal, VelHostConfine::Access::Write, &strError, &isMissing);
    if (!pFile) {
        if (!isMissing)
            m_pEngine->throwError(QStringLiteral("host.writeDriveFile: %1").arg(strError));
        return false;
    }
    bool isWritten = false;
    VelHostScriptCall::native(m_pEngine, [&]() {
        const QByteArray text = strText.toUtf8();
        isWritten = pFile->write(text) == text.size();
    });
    return isWritten;
}

bool VelHostPage::removeDriveFile(const QString& strPath) const
{
    QString strRoot;
    const QString strLocal = confinedDrivePath("removeDriveFile", strPath, &strRoot);
    return !strLocal.isEmpty() && VelHostConfine::removeInside(strRoot, strLocal);
}

void VelHostPage::qtDebug(const QString& strText) const
{
    qDebug("%s", qPrintable(strText));
}

QJSValue VelHostPage::include(const QString& strPath)
{
    // The page's folder and the demo folder (the demo page's platform answers).
    QStringList lstRoots{m_strPageDir, velHostDemoDir()};
    if (qEnvironmentVariableIsSet("VEL_DEMO_DIR"))
        lstRoots << qEnvironmentVariable("VEL_DEMO_DIR");
    QString strError;
    QString strRoot;
    const QString strFile =
        VelHostConfine::fileInside(m_strPageDir, strPath, lstRoots, &strError, &strRoot);
    const std::unique_ptr<QFile> pFile =
        strFile.isEmpty()
            ? nullptr
            : VelHostConfine::openInside(strRoot, strFile, VelHostConfine::Access::Read, &strError);
    if (!pFile) {
        m_pEngine->throwError(QStringLiteral("include %1: %2").arg(strPath, strError));
        return QJSValue();
    }
    QString strSource;
    if (!VelHostScriptCall::native(m_pEngine,
                                   [&]() { strSource = QString::fromUtf8(pFile->readAll()); }))
        return QJSValue();
    const QJSValue result =
        VelHostScriptCall::enter([&]() { return m_pEngine->evaluate(strSource, strFile, 1); });
    if (result.isError()) {
        m_pEngine->throwError(QStringLiteral("include %1: %2").arg(strPath, errorText(result)));
        return QJSValue();
    }
    return result;
}
