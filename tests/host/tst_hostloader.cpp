// The one loader both hosts create controls through: each refusal with the
// text a page gets, and a created control with its store entry and version.
#include "velaxstore.h"
#include "velhostframe.h"
#include "velhostlibrary.h"
#include "velhostloader.h"
#include "veltestdrives.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

namespace
{

const QString kCorvane = QStringLiteral("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
const QString kUnknown = QStringLiteral("{00000000-0000-0000-0000-0000000000AA}");

} // namespace

class TestHostLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refused_data();
    void refused();
    void created();

private:
    QTemporaryDir m_dir;
    VelTestDrives m_drives;
};

void TestHostLoader::initTestCase()
{
    qputenv("VEL_AX_STORE", m_dir.filePath("registry.json").toLocal8Bit());
    QString strError;
    VelHostLibrary* pLibrary = VelHostLibrary::open(QStringLiteral(VEL_TESSARO_LIB), &strError);
    QVERIFY2(pLibrary, qPrintable(strError));
    QCOMPARE(pLibrary->registerServer(), VEL_S_OK);
    QFile junk(m_dir.filePath("libjunk.so"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a library\n");
}

void TestHostLoader::refused_data()
{
    QTest::addColumn<QString>("classId");
    QTest::addColumn<QString>("library"); // recorded for classId first when not empty
    QTest::addColumn<QString>("error");   // a regular expression
    const QString strTessaro = QFileInfo(QStringLiteral(VEL_TESSARO_LIB)).absoluteFilePath();
    QTest::newRow("Class name, not id")
        << "Corvane" << QString() << "^\"Corvane\" is not a class id";
    QTest::newRow("Id with text after it") << kCorvane + "x" << QString() << "is not a class id";
    QTest::newRow("Hostile long id cut short")
        << QString(100000, QLatin1Char('{')) << QString() << "^\"\\{{64}\" is not a class id";
    QTest::newRow("Not registered")
        << kUnknown << QString() << "class .* is not registered \\(store ";
    QTest::newRow("Relative library path")
        << kUnknown << "libtessaro.so"
        << "the store records the library path \"libtessaro.so\", which is not absolute";
    QTest::newRow("Junk library") << kUnknown << m_dir.filePath("libjunk.so")
                                  << "cannot load .*libjunk.so";
    QTest::newRow("Class the library lacks")
        << kUnknown << strTessaro << "DllGetClassObject of .* failed \\(0x80040111\\)";
}

void TestHostLoader::refused()
{
    QFETCH(QString, classId);
    QFETCH(QString, library);
    QFETCH(QString, error);
    if (!library.isEmpty()) {
        QVERIFY(VelAxStore::edit(VelAxStore::location(), [&](VelAxStore& store) {
            VelAxStore::ClassEntry entry;
            entry.strClassId = classId;
            entry.strClassName = QStringLiteral("Stranger");
            entry.strLibrary = library;
            store.setClass(entry);
        }));
    }
    VelHostFrame frame(QSize(320, 240));
    VelHostLoader loader(&frame);
    const VelHostLoader::Created created = loader.create(classId);
    QVERIFY(!created.pControl);
    QVERIFY2(QRegularExpression(error).match(created.strError).hasMatch(),
             qPrintable(created.strError));
    QVERIFY(frame.findChildren<QWidget*>().isEmpty());
}

void TestHostLoader::created()
{
    VelHostFrame frame(QSize(640, 480));
    VelHostLoader loader(&frame);
    // Braces are optional and case does not matter, as for a browser.
    const VelHostLoader::Created created = loader.create(kCorvane.mid(1, 36).toLower());
    QVERIFY2(created.pControl, qPrintable(created.strError));
    QCOMPARE(created.pControl->parentWidget(), &frame);
    QCOMPARE(created.entry.strClassName, QStringLiteral("Corvane"));
    QCOMPARE(created.entry.strClassId, kCorvane);
    QCOMPARE(created.strVersion, created.entry.strVersion);
    delete created.pControl;
}

QTEST_MAIN(TestHostLoader)
#include "tst_hostloader.moc"
