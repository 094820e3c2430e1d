// The registration store is the user's own file: 0600 whether the store is
// new or an earlier version left it readable by everyone.
#include "velaxstore.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TstPrivateStore : public QObject
{
    Q_OBJECT
private slots:
    void storeIsPrivate_data();
    void storeIsPrivate();
};

void TstPrivateStore::storeIsPrivate_data()
{
    QTest::addColumn<bool>("bOldStore");
    QTest::newRow("created by a registration") << false;
    QTest::newRow("left 0644 by an earlier version") << true;
}

void TstPrivateStore::storeIsPrivate()
{
    QFETCH(bool, bOldStore);
    QTemporaryDir dir;
    const QString strPath = dir.filePath("vel-controls/registry.json");
    const QString strOldId = "{00000000-0000-0000-0000-000000000001}";
    if (bOldStore) {
        QVERIFY(VelAxStore::edit(
            strPath, [&](VelAxStore& store) { store.setAppId(strOldId, "Old", "/lib/old.so"); }));
        QVERIFY(::chmod(QFile::encodeName(strPath).constData(), 0644) == 0);
    }
    const QString strId = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";
    QString strError;
    QVERIFY2(VelAxStore::edit(
                 strPath,
                 [&](VelAxStore& store) { store.setAppId(strId, "Corvane", "/lib/tessaro.so"); },
                 &strError),
             qPrintable(strError));

    struct stat info = {};
    QVERIFY(::stat(QFile::encodeName(strPath).constData(), &info) == 0);
    QCOMPARE(int(info.st_mode & 0777), 0600);
    VelAxStore store(strPath);
    QVERIFY(store.load());
    const QJsonObject appIds = store.root().value("AppID").toObject();
    QVERIFY(appIds.contains(strId));
    QCOMPARE(appIds.contains(strOldId), bOldStore);
}

QTEST_GUILESS_MAIN(TstPrivateStore)
#include "tst_privatestore.moc"
