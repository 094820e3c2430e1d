#include "velcrash.h"
#include "veldrive.h"
#include "veltempdir.h"
#include "velthreads.h"

#include <sys/stat.h>

#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

class TstPlatform : public QObject
{
    Q_OBJECT
private slots:
    void drivePaths_data();
    void drivePaths();
    void defaultDriveUnderDataDir();
    void workItemRuns();
    void crashEndsWithFailureStatus_data();
    void crashEndsWithFailureStatus();
    void privateTempDir_data();
    void privateTempDir();
};

namespace
{

int modeOf(const QString& strPath)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(strPath).constData(), &info) == 0 ? int(info.st_mode & 07777)
                                                                       : -1;
}

} // namespace

void TstPlatform::drivePaths_data()
{
    QTest::addColumn<QString>("windowsPath");
    QTest::addColumn<QString>("expected"); // C: and D: stand for the mapped roots
    QTest::newRow("marker") << "c:/beginLog.txt"
                            << "C/beginLog.txt";
    QTest::newRow("doubled slash") << "c://audio_cache.txt"
                                   << "C/audio_cache.txt";
    QTest::newRow("upper-case drive") << "D:/tessaro.log"
                                      << "D/tessaro.log";
    QTest::newRow("backslashes") << "c:\\\\dir\\file.txt"
                                 << "C/dir/file.txt";
    QTest::newRow("no slash after colon") << "d:vimbrel.log"
                                          << "D/vimbrel.log";
    QTest::newRow("plain path only tidied") << "/tmp//x"
                                            << "/tmp/x";
    QTest::newRow("relative path kept") << "a/b"
                                        << "a/b";
    QTest::newRow("non-Latin name") << "c:/课程.txt"
                                    << "C/课程.txt";
}

void TstPlatform::drivePaths()
{
    QFETCH(QString, windowsPath);
    QFETCH(QString, expected);
    QTemporaryDir dirC, dirD;
    qputenv("VEL_DRIVE_C", (dirC.path() + "//").toLocal8Bit()); // trailing slashes trimmed
    qputenv("VEL_DRIVE_D", dirD.path().toLocal8Bit());
    if (expected.startsWith("C/"))
        expected = dirC.path() + expected.mid(1);
    else if (expected.startsWith("D/"))
        expected = dirD.path() + expected.mid(1);
    QCOMPARE(velDrivePath(windowsPath), expected);
    qunsetenv("VEL_DRIVE_C");
    qunsetenv("VEL_DRIVE_D");
}

void TstPlatform::defaultDriveUnderDataDir()
{
    QTemporaryDir dataHome;
    qunsetenv("VEL_DRIVE_Q");
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    const QString strPath = velDrivePath("q:/x.txt");
    QCOMPARE(strPath, dataHome.path() + "/vel-drives/q/x.txt");
    QVERIFY(QFileInfo(dataHome.path() + "/vel-drives/q").isDir());

    // A drive named by its variable is not created: missing means no drive.
    qputenv("VEL_DRIVE_Q", (dataHome.path() + "/absent").toLocal8Bit());
    QCOMPARE(velDrivePath("q:/x.txt"), dataHome.path() + "/absent/x.txt");
    QVERIFY(!QFileInfo::exists(dataHome.path() + "/absent"));
    qunsetenv("VEL_DRIVE_Q");
    qunsetenv("XDG_DATA_HOME");
}

void TstPlatform::workItemRuns()
{
    QSemaphore done;
    std::atomic<bool> bOtherThread{false};
    const auto mainId = std::this_thread::get_id();
    velQueueWorkItem([&] {
        bOtherThread = std::this_thread::get_id() != mainId;
        done.release();
    });
    QVERIFY(done.tryAcquire(1, 5000));
    QVERIFY(bOtherThread);
}

void TstPlatform::crashEndsWithFailureStatus_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("segmentation fault") << "segv";
    QTest::newRow("abort") << "abort";
    QTest::newRow("uncaught exception") << "throw";
}

// A crash must never look like success to whoever started the process.
void TstPlatform::crashEndsWithFailureStatus()
{
    QFETCH(QString, mode);
    QProcess child;
    // Under the sanitizer build the filter must still be the one that answers.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":allow_user_segv_handler=1");
    child.setProcessEnvironment(env);
    child.start(VEL_CRASH_CHILD, {mode});
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), VelCrashExitCode);
    const QList<QByteArray> lines = child.readAllStandardError().trimmed().split('\n');
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines.at(0).startsWith("unhandled exception: "));
}

// Posters were left in /tmp, 0644, with camera passwords in their names.
void TstPlatform::privateTempDir_data()
{
    QTest::addColumn<bool>("bRuntimeDir");
    QTest::addColumn<QString>("strPrepared"); // what is at <base>/vel-controls beforehand
    QTest::addColumn<bool>("bUsable");
    QTest::newRow("runtime directory, created") << true << "" << true;
    QTest::newRow("cache directory without a runtime one") << false << "" << true;
    QTest::newRow("left readable by others, narrowed") << true << "dir0755" << true;
    QTest::newRow("a link to a public directory is refused") << true << "link" << false;
    QTest::newRow("a file in its place is refused") << false << "file" << false;
}

void TstPlatform::privateTempDir()
{
    QFETCH(bool, bRuntimeDir);
    QFETCH(QString, strPrepared);
    QFETCH(bool, bUsable);
    QTemporaryDir base, elsewhere;
    const QString strBase = base.path() + (bRuntimeDir ? "/run" : "/cache");
    QVERIFY(QDir().mkpath(strBase));
    if (bRuntimeDir) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(strBase));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(base.path() + "/unused"));
    } else {
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(strBase));
    }
    const QString strDir = strBase + "/vel-controls";
    if (strPrepared == "dir0755") {
        QVERIFY(QDir().mkdir(strDir));
        QVERIFY(::chmod(QFile::encodeName(strDir).constData(), 0755) == 0);
    } else if (strPrepared == "link") {
        QVERIFY(::chmod(QFile::encodeName(elsewhere.path()).constData(), 0755) == 0);
        QVERIFY(QFile::link(elsewhere.path(), strDir));
    } else if (strPrepared == "file") {
        QFile file(strDir);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    const QString strTemp = velTempPath();
    if (bUsable) {
        QCOMPARE(strTemp, strDir);
        QCOMPARE(modeOf(strDir) & 0777, 0700);
    } else {
        QVERIFY2(strTemp.isEmpty(), qPrintable(strTemp));
        if (strPrepared == "link")
            QCOMPARE(modeOf(elsewhere.path()) & 0777, 0755); // not ours to change
    }
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_CACHE_HOME");
}

QTEST_GUILESS_MAIN(TstPlatform)
#include "tst_platform.moc"
