#include "veldiaglog.h"
#include "veltestdrives.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <cstdlib>

namespace {

QByteArray readAll(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString logName()
{
#if defined(VEL_FORM_VIMBREL)
    return QStringLiteral("vimbrel.log");
#else
    return QStringLiteral("tessaro.log");
#endif
}

// Child mode of messageAfterStaticDestruction: the drive D to log into.
const char kLateEnv[] = "VEL_TEST_LATE_MESSAGE_DRIVE";

void lateMessage()
{
    velDiagLogHandler(QtWarningMsg, QMessageLogContext(), QStringLiteral("late"));
}

// Constructed before the library's statics, so that the exit handler it
// registers runs after their destructors, as a message from a library's
// destructor at exit would.
struct LateMessageAtExit {
    LateMessageAtExit()
    {
        if (qEnvironmentVariableIsSet(kLateEnv))
            std::atexit(lateMessage);
    }
};
__attribute__((init_priority(101))) LateMessageAtExit s_lateMessageAtExit;

} // namespace

class TstDiagLog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void markerSwitch();
    void blockFormat();
    void contentPrefixes_data();
    void contentPrefixes();
    void nonLatinBecomesQuestionMarks();
    void appendsAcrossMessages();
    void missingDriveLosesMessagesSilently();
    void uninstallRestoresDefault();
    void messageAfterStaticDestruction();

private:
    VelTestDrives* m_pDrives = nullptr;
};

void TstDiagLog::init()
{
    m_pDrives = new VelTestDrives;
}

void TstDiagLog::cleanup()
{
    velUninstallDiagLog();
    delete m_pDrives;
}

void TstDiagLog::markerSwitch()
{
    QCOMPARE(velLogFilePath(), "d:/" + logName());
    QVERIFY(!velCheckLogMarker());
    QVERIFY(!debugMode);
    QFile marker(m_pDrives->c("beginLog.txt"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    QVERIFY(velCheckLogMarker());
    QVERIFY(debugMode);
}

void TstDiagLog::blockFormat()
{
    const QMessageLogContext context("panel/corvane.cpp", 42, "void f()", "default");
    const QDateTime before = QDateTime::currentDateTime();
    velDiagLogHandler(QtDebugMsg, context, QStringLiteral("open"));
    const QDateTime after = QDateTime::currentDateTime();

    const QByteArray log = readAll(m_pDrives->d(logName()));
    const QList<QByteArray> lines = log.split('\n');
    // Nine lines, each ending CR LF, and nothing after the last.
    QCOMPARE(lines.size(), 10);
    QVERIFY(lines.last().isEmpty());
    for (int i = 0; i < 9; ++i)
        QVERIFY2(lines.at(i).endsWith('\r'), lines.at(i).constData());
    const QByteArray stars(113, '*');
    QCOMPARE(lines.at(0).chopped(1), stars);
    const QByteArray data = lines.at(1).chopped(1);
    const QString fmt = QStringLiteral("yyyy.MM.dd  h:m:s");
    QVERIFY2(data == "Data: " + before.toString(fmt).toLatin1()
                 || data == "Data: " + after.toString(fmt).toLatin1(),
             data.constData());
    QCOMPARE(lines.at(2).chopped(1), QByteArray("File: panel/corvane.cpp"));
    QCOMPARE(lines.at(3).chopped(1), QByteArray("Line: 42"));
    QCOMPARE(lines.at(4).chopped(1), QByteArray("Function: void f()"));
    QCOMPARE(lines.at(5).chopped(1), QByteArray());
    QCOMPARE(lines.at(6).chopped(1), QByteArray("DebugContent: open"));
    QCOMPARE(lines.at(7).chopped(1), QByteArray());
    QCOMPARE(lines.at(8).chopped(1), stars);
}

void TstDiagLog::contentPrefixes_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("debug") << int(QtDebugMsg) << QByteArray("DebugContent: m");
    QTest::newRow("warning") << int(QtWarningMsg) << QByteArray("WarningContent: m");
    QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("CriticalContent: m");
    QTest::newRow("info has no prefix") << int(QtInfoMsg) << QByteArray();
}

void TstDiagLog::contentPrefixes()
{
    QFETCH(int, type);
    QFETCH(QByteArray, line);
    velDiagLogHandler(QtMsgType(type), QMessageLogContext(), QStringLiteral("m"));
    const QList<QByteArray> lines = readAll(m_pDrives->d(logName())).split('\n');
    QCOMPARE(lines.at(2), QByteArray("File: \r"));  // no context
    QCOMPARE(lines.at(3), QByteArray("Line: 0\r"));
    QCOMPARE(lines.at(6).chopped(1), line);
}

void TstDiagLog::nonLatinBecomesQuestionMarks()
{
    velDiagLogHandler(QtWarningMsg, QMessageLogContext(), QStringLiteral("电影 café"));
    const QByteArray log = readAll(m_pDrives->d(logName()));
    QVERIFY2(log.contains("WarningContent: ?? caf\xe9\r\n"), log.constData());
}

void TstDiagLog::appendsAcrossMessages()
{
    velInstallDiagLog();
    qWarning("one");
    qDebug("two");
    velUninstallDiagLog();
    const QByteArray log = readAll(m_pDrives->d(logName()));
    QCOMPARE(log.count(QByteArray(113, '*') + "\r\n"), 4);
    QVERIFY(log.indexOf("WarningContent: one") < log.indexOf("DebugContent: two"));
}

void TstDiagLog::missingDriveLosesMessagesSilently()
{
    qputenv("VEL_DRIVE_D", "/nonexistent/drive/d");
    velDiagLogHandler(QtWarningMsg, QMessageLogContext(), QStringLiteral("lost"));
    QVERIFY(!QFile::exists("/nonexistent/drive/d/" + logName()));
}

void TstDiagLog::uninstallRestoresDefault()
{
    velInstallDiagLog();
    velUninstallDiagLog();
    qWarning("to stderr");
    QVERIFY(!QFile::exists(m_pDrives->d(logName())));
}

void TstDiagLog::messageAfterStaticDestruction()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kLateEnv, m_pDrives->d(QString()));
    env.insert("VEL_DRIVE_D", m_pDrives->d(QString()));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(child.waitForFinished(60000));
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             child.readAllStandardError().constData());
    const QByteArray log = readAll(m_pDrives->d(logName()));
    const QByteArray stars = QByteArray(113, '*') + "\r\n";
    QVERIFY2(log.endsWith("WarningContent: late\r\n\r\n" + stars), log.constData());
    QCOMPARE(log.count(stars), 4); // the early block and the late one, whole
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet(kLateEnv)) {
        // The child: one message in the ordinary way, one after static destruction.
        velDiagLogHandler(QtWarningMsg, QMessageLogContext(), QStringLiteral("early"));
        return 0;
    }
    QCoreApplication app(argc, argv);
    TstDiagLog test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_diaglog.moc"
