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
    void openInside_data();
    void openInside();

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
    // Issue 26: Qt's check saw a broken name and judged its folder, open()
    // stopped at the NUL and followed the link.
    QTest::newRow("NUL after a link out") << QStringLiteral("c:/secret.txt") + QChar(0) + "x"
                                          << "";
    QTest::newRow("NUL after a dangling link") << QStringLiteral("c:/dangling.txt") + QChar(0) + "x"
                                               << "";
    QTest::newRow("NUL at the end") << QStringLiteral("c:/beginLog.txt") + QChar(0) << "";
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
    QTest::newRow("NUL after a link out") << QStringLiteral("secret.txt") + QChar(0) << false;
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

void TstHostConfine::openInside_data()
{
    QTest::addColumn<QString>("name"); // on drive C
    QTest::addColumn<bool>("write");
    QTest::addColumn<bool>("opened");
    QTest::newRow("read a file") << "plain.txt" << false << true;
    QTest::newRow("write a new file") << "new.txt" << true << true;
    QTest::newRow("write through a link inside") << "inner/a.txt" << true << true;
    QTest::newRow("read a link out") << "secret.txt" << false << false;
    QTest::newRow("write a link out") << "secret.txt" << true << false;
    QTest::newRow("write a dangling link") << "dangling.txt" << true << false;
    QTest::newRow("write in a linked folder") << "out/new.txt" << true << false;
    QTest::newRow("read a folder") << "sub" << false << false;
}

// The open itself does not follow a link out, whatever the earlier check
// decided (a link may be swapped in between): nothing outside is read,
// written or created.
void TstHostConfine::openInside()
{
    QFETCH(QString, name);
    QFETCH(bool, write);
    QFETCH(bool, opened);
    QFile plain(m_pDrives->c("plain.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly) && plain.write("plain") == 5);
    plain.close();
    QString strError;
    const auto pFile = VelHostConfine::openInside(
        m_pDrives->c(QString()), m_pDrives->c(name),
        write ? VelHostConfine::Access::Write : VelHostConfine::Access::Read, &strError);
    QCOMPARE(bool(pFile), opened);
    QCOMPARE(strError.isEmpty(), opened);
    if (pFile && write)
        QCOMPARE(pFile->write("x"), 1);
    if (pFile && !write)
        QCOMPARE(pFile->readAll(), QByteArray("plain"));
    QCOMPARE(QDir(m_pOutside->path()).entryList(QDir::Files), QStringList{"secret.txt"});
    QCOMPARE(QFileInfo(m_pOutside->filePath("secret.txt")).size(), 0);
}

QTEST_GUILESS_MAIN(TstHostConfine)
#include "tst_hostconfine.moc"
