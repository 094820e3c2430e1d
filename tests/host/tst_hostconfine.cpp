// What a page may name: drive files stay in their drive, includes in the
// page's folder and the demo folder, links followed.
#include "velhostconfine.h"
#include "veltestdrives.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TstHostConfine : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void drivePaths_data();
    void drivePaths();
    void includes_data();
    void includes();

private:
    VelTestDrives* m_pDrives = nullptr;
    QTemporaryDir* m_pOutside = nullptr;
};

void TstHostConfine::init()
{
    m_pDrives = new VelTestDrives;
    m_pOutside = new QTemporaryDir;
    QFile secret(m_pOutside->filePath("secret.txt"));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    QVERIFY(QDir().mkpath(m_pDrives->c("sub")));
    QVERIFY(QFile::link(m_pOutside->path(), m_pDrives->c("out")));
    QVERIFY(QFile::link(m_pOutside->filePath("secret.txt"), m_pDrives->c("secret.txt")));
    QVERIFY(QFile::link(m_pOutside->filePath("missing.txt"), m_pDrives->c("dangling.txt")));
    QVERIFY(QFile::link(m_pDrives->c("sub"), m_pDrives->c("inner")));
}

void TstHostConfine::cleanup()
{
    delete m_pOutside;
    delete m_pDrives;
}

void TstHostConfine::drivePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("local"); // relative to drive C; empty: refused
    QTest::newRow("file on the drive") << "c:/beginLog.txt"
                                       << "beginLog.txt";
    QTest::newRow("doubled slash") << "c://audio_cache.txt"
                                   << "audio_cache.txt";
    QTest::newRow("backslashes, upper case") << "C:\\sub\\a.txt"
                                             << "sub/a.txt";
    QTest::newRow("link inside the drive") << "c:/inner/a.txt"
                                           << "inner/a.txt";
    QTest::newRow("no drive letter") << "/etc/passwd"
                                     << "";
    QTest::newRow("relative") << "beginLog.txt"
                              << "";
    QTest::newRow("dot dot") << "c:/../secret.txt"
                             << "";
    QTest::newRow("dot dot after a folder") << "c:/sub/../../secret.txt"
                                            << "";
    QTest::newRow("dot dot with backslashes") << "c:\\..\\secret.txt"
                                              << "";
    QTest::newRow("link to a folder outside") << "c:/out/secret.txt"
                                              << "";
    QTest::newRow("new file in a linked folder") << "c:/out/new.txt"
                                                 << "";
    QTest::newRow("link to a file outside") << "c:/secret.txt"
                                            << "";
    QTest::newRow("dangling link") << "c:/dangling.txt"
                                   << "";
    QTest::newRow("non-ASCII letter") << QString::fromUtf8("é:/a.txt") << "";
}

void TstHostConfine::drivePaths()
{
    QFETCH(QString, path);
    QFETCH(QString, local);
    QString strError;
    const QString strResult = VelHostConfine::drivePath(path, &strError);
    if (local.isEmpty()) {
        QVERIFY2(strResult.isEmpty(), qPrintable(strResult));
        QVERIFY(strError.contains(path));
    } else {
        QCOMPARE(strResult, m_pDrives->c(local));
    }
}

void TstHostConfine::includes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("beside the page") << "platform.js" << true;
    QTest::newRow("in a subfolder") << "sub/x.js" << true;
    QTest::newRow("up and back in") << "sub/../platform.js" << true;
    QTest::newRow("in the demo folder") << "DEMO/platform.js" << true;
    QTest::newRow("up and out") << "../secret.js" << false;
    QTest::newRow("absolute outside") << "/etc/passwd" << false;
    QTest::newRow("link out of the page's folder") << "out/secret.txt" << false;
}

void TstHostConfine::includes()
{
    QFETCH(QString, file);
    QFETCH(bool, allowed);
    // The page lives on "drive C" here, the demo folder is drive D.
    const QString strPageDir = m_pDrives->c(QString());
    file.replace("DEMO", m_pDrives->d(QString()));
    QString strError;
    const QString strResult = VelHostConfine::fileInside(
        strPageDir, file, {strPageDir, m_pDrives->d(QString())}, &strError);
    QCOMPARE(!strResult.isEmpty(), allowed);
    QCOMPARE(strError.isEmpty(), allowed);
}

QTEST_GUILESS_MAIN(TstHostConfine)
#include "tst_hostconfine.moc"
