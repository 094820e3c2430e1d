// The generic parts of the server stand-in: the class list factory, the
// interface description of an arbitrary class, the registration store.
#include "velaxbindable.h"
#include "velaxclasslistfactory.h"
#include "velaxidl.h"
#include "velaxstore.h"

#include <QColor>
#include <QJsonDocument>
#include <QPointer>
#include <QSignalSpy>
#include <QSize>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <memory>
#include <thread>

// A class with every kind of member the description has to tell apart.
class TstSurface : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("ClassID", "{0D0A4C1E-7B5D-4E23-9F3C-51A1E3B0C001}")
    Q_CLASSINFO("InterfaceID", "{0D0A4C1E-7B5D-4E23-9F3C-51A1E3B0C002}")
    Q_CLASSINFO("EventsID", "{0D0A4C1E-7B5D-4E23-9F3C-51A1E3B0C003}")
    Q_PROPERTY(int count READ count)
    Q_PROPERTY(QString label READ label WRITE setLabel)
    Q_PROPERTY(QSize area READ area WRITE setArea)
    Q_PROPERTY(QString hidden READ label SCRIPTABLE false)

public:
    explicit TstSurface(QWidget* parent = nullptr) : QWidget(parent) {}
    int count() const { return 3; }
    QString label() const { return m_strLabel; }
    void setLabel(const QString& strLabel) { m_strLabel = strLabel; }
    QSize area() const { return QSize(); }
    void setArea(const QSize&) {}
    Q_INVOKABLE void invokable() {}

signals:
    void sigColor(QColor color);
    void sigSize(QSize size);

public slots:
    int add(int, double dValue) { return int(dValue); }
    void take(const QStringList& list, qlonglong nBig, QVariant any)
    {
        Q_UNUSED(list)
        Q_UNUSED(nBig)
        Q_UNUSED(any)
    }
    void sized(QSize size) { Q_UNUSED(size) }
    QWidget* widget() { return this; }

protected slots:
    void internal() {}

private:
    QString m_strLabel;
};

class TstHidden : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("ClassID", "{0D0A4C1E-7B5D-4E23-9F3C-51A1E3B0C011}")
    Q_CLASSINFO("InterfaceID", "{0D0A4C1E-7B5D-4E23-9F3C-51A1E3B0C012}")
    Q_CLASSINFO("EventsID", "{0D0A4C1E-7B5D-4E23-9F3C-51A1E3B0C013}")
    Q_CLASSINFO("Creatable", "no")

public:
    explicit TstHidden(QWidget* parent = nullptr) : QWidget(parent) {}
};

class TstAxFactory : public QObject
{
    Q_OBJECT
private slots:
    void classListAndCreatable();
    void createdObjectsCarryABindable();
    void idlMembers_data();
    void idlMembers();
    void idlLeavesOutWhatAPageCannotSee();
    void idlTypes_data();
    void idlTypes();
    void normalizedIds_data();
    void normalizedIds();
    void storeLookupAndRoundTrip();
    void storeLoad_data();
    void storeLoad();
    void concurrentEditsLoseNothing();

private:
    static VelAxClassListFactory& factory();
};

VelAxClassListFactory& TstAxFactory::factory()
{
    static VelAxClassListFactory s_factory("testlib", "{0D0A4C1E-7B5D-4E23-9F3C-51A1E3B0C0F1}",
                                           "{0D0A4C1E-7B5D-4E23-9F3C-51A1E3B0C0F2}",
                                           {velAxClass<TstSurface>(), velAxClass<TstHidden>()});
    return s_factory;
}

void TstAxFactory::classListAndCreatable()
{
    VelAxClassListFactory& f = factory();
    QCOMPARE(f.featureList(), QStringList({"TstSurface", "TstHidden"}));
    QVERIFY(QMetaType::type("TstSurface*") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("TstHidden*") != QMetaType::UnknownType);
    QCOMPARE(f.keyForClassID("{0d0a4c1e-7b5d-4e23-9f3c-51a1e3b0c011}"), QString("TstHidden"));
    QVERIFY(f.keyForClassID("{0D0A4C1E-7B5D-4E23-9F3C-51A1E3B0C012}").isEmpty());
    QCOMPARE(f.metaObject("TstHidden"), &TstHidden::staticMetaObject);

    // "Creatable" = "no": listed and described, never built.
    QVERIFY(!f.createObject("TstHidden"));
    QCOMPARE(f.liveObjectCount(), 0);
    std::unique_ptr<QObject> pObject(f.createObject("TstSurface"));
    QVERIFY(qobject_cast<TstSurface*>(pObject.get()));
    QCOMPARE(f.liveObjectCount(), 1);
    pObject.reset();
    QCOMPARE(f.liveObjectCount(), 0);
}

void TstAxFactory::createdObjectsCarryABindable()
{
    std::unique_ptr<QObject> pObject(factory().createObject("TstSurface"));
    auto* pBindable = pObject->findChild<VelAxBindable*>("velAxBindable");
    QVERIFY(pBindable);
    QSignalSpy spy(pBindable, &VelAxBindable::sigPropertyChanged);
    VelAxBindable::propertyChanged(pObject.get(), "label");
    VelAxBindable::propertyChanged(pObject.get(), "label");
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), QString("label"));

    // A control built without the factory has no host to tell.
    TstSurface plain;
    VelAxBindable::propertyChanged(&plain, "label");
    VelAxBindable::propertyChanged(nullptr, "label");
    QVERIFY(!plain.findChild<VelAxBindable*>());
}

void TstAxFactory::idlMembers_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("read-only property") << "[id(1), readonly] int count;";
    QTest::newRow("writable property") << "[id(2), bindable] BSTR label;";
    QTest::newRow("property of unsupported type")
        << "/****** Property uses unsupported datatype QSize";
    QTest::newRow("unnamed parameter, return value") << "] int add(int p1, double dValue);";
    QTest::newRow("list, 64-bit and variant")
        << "] void take(SAFEARRAY(BSTR) list, hyper nBig, VARIANT any);";
    QTest::newRow("slot of unsupported type")
        << "/****** Slot parameter uses unsupported datatype QSize";
    QTest::newRow("unsupported return")
        << "/****** Slot parameter uses unsupported datatype QWidget*";
    QTest::newRow("event") << "[id(1)] void sigColor(OLE_COLOR color);";
    QTest::newRow("event of unsupported type")
        << "/****** Signal parameter uses unsupported datatype QSize";
    QTest::newRow("not creatable") << "\t\tnoncreatable,\n\t\thelpstring(\"TstHidden Class\"),";
    QTest::newRow("creatable") << "\t[\n\t\thelpstring(\"TstSurface Class\"),";
    QTest::newRow("type library version") << "version(2.5),";
}

void TstAxFactory::idlMembers()
{
    QFETCH(QString, line);
    const QString strIdl = VelAxIdl::generate(factory(), "2.5");
    QVERIFY2(strIdl.contains(line), qPrintable(strIdl));
}

void TstAxFactory::idlLeavesOutWhatAPageCannotSee()
{
    const QString strIdl = VelAxIdl::generate(factory(), "1.0");
    QVERIFY(!strIdl.contains("internal"));    // protected slot
    QVERIFY(!strIdl.contains("invokable"));   // not a slot
    QVERIFY(!strIdl.contains("hidden"));      // not scriptable
    QVERIFY(!strIdl.contains("windowTitle")); // inherited from QWidget
    QVERIFY(!strIdl.contains("deleteLater"));
    // No default property declared: nothing gets id 0.
    QVERIFY(!strIdl.contains("[id(0)"));
}

void TstAxFactory::idlTypes_data()
{
    QTest::addColumn<QByteArray>("qtType");
    QTest::addColumn<QString>("idl");
    QTest::newRow("QString") << QByteArray("QString") << "BSTR";
    QTest::newRow("bool") << QByteArray("bool") << "VARIANT_BOOL";
    QTest::newRow("void") << QByteArray("") << "void";
    QTest::newRow("map") << QByteArray("QMap<QString,QString>") << "";
    QTest::newRow("object pointer") << QByteArray("QAbstractButton*") << "";
    QTest::newRow("control pointer") << QByteArray("Corvane*") << "";
}

void TstAxFactory::idlTypes()
{
    QFETCH(QByteArray, qtType);
    QFETCH(QString, idl);
    QCOMPARE(VelAxIdl::idlType(qtType), idl);
}

void TstAxFactory::normalizedIds_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("normalized");
    const QString strId = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";
    QTest::newRow("registry form") << strId << strId;
    QTest::newRow("lower case") << strId.toLower() << strId;
    QTest::newRow("without braces") << strId.mid(1, 36) << strId;
    QTest::newRow("blanks around") << " " + strId + "\n" << strId;
    QTest::newRow("not a guid") << "Corvane"
                                << "";
    QTest::newRow("truncated") << strId.left(20) << "";
    QTest::newRow("no closing brace") << strId.chopped(1) << "";
    QTest::newRow("no opening brace") << strId.mid(1) << "";
    QTest::newRow("junk after the id") << strId + "junk"
                                       << "";
    QTest::newRow("junk after the bare id") << strId.mid(1, 36) + "0"
                                            << "";
    QTest::newRow("two ids") << strId + strId << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TstAxFactory::normalizedIds()
{
    QFETCH(QString, id);
    QFETCH(QString, normalized);
    QCOMPARE(VelAxStore::normalizedId(id), normalized);
}

void TstAxFactory::storeLookupAndRoundTrip()
{
    QTemporaryDir dir;
    const QString strPath = dir.filePath("nested/folder/registry.json");
    VelAxStore::ClassEntry entry;
    entry.strClassId = "{15e44774-3bf3-4435-a9e2-9a7bcd1887f9}";
    entry.strClassName = "Corvane";
    entry.strLibrary = "/opt/lib/libtessaro.so";
    entry.strTypeLibId = "1c788a3e-7980-43a6-9481-0d7c7e85c329";
    entry.strVersion = "1.0.0.76";
    QString strError;
    QVERIFY2(VelAxStore::edit(
                 strPath, [&](VelAxStore& store) { store.setClass(entry); }, &strError),
             qPrintable(strError));

    VelAxStore store(strPath);
    QVERIFY(store.load());
    const VelAxStore::ClassEntry found = store.findClass("15E44774-3BF3-4435-A9E2-9A7BCD1887F9");
    QVERIFY(found.isValid());
    QCOMPARE(found.strClassId, QString("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}"));
    QCOMPARE(found.strLibrary, entry.strLibrary);
    QCOMPARE(found.strTypeLibId, QString("{1C788A3E-7980-43A6-9481-0D7C7E85C329}"));
    QVERIFY(!store.findClass("{00000000-0000-0000-0000-000000000001}").isValid());
    QVERIFY(!store.findClass("garbage").isValid());
    QCOMPARE(store.classes().size(), 1);

    // Editing keeps what it does not touch.
    QVERIFY(VelAxStore::edit(strPath, [](VelAxStore& s) {
        s.setAppId("{08E1D009-6C35-45E3-9041-71531113A7F9}", "tessaro", "/x");
    }));
    QVERIFY(store.load());
    QVERIFY(store.findClass(entry.strClassId).isValid());
    QVERIFY(store.root()["AppID"].toObject().contains("{08E1D009-6C35-45E3-9041-71531113A7F9}"));
    QVERIFY(!QFile::exists(strPath + ".lock"));
}

void TstAxFactory::storeLoad_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loads");
    QTest::newRow("missing file") << QByteArray() << true;
    QTest::newRow("empty file") << QByteArray("\n") << true;
    QTest::newRow("store") << QByteArray(R"({"CLSID":{}})") << true;
    QTest::newRow("array") << QByteArray("[1,2]") << false;
    QTest::newRow("broken") << QByteArray(R"({"CLSID":)") << false;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n", 8) << false;
    QTest::newRow("section is an array") << QByteArray(R"({"CLSID":["keep me"]})") << false;
    QTest::newRow("section is a string") << QByteArray(R"({"CLSID":"x"})") << false;
    QTest::newRow("entry is a string")
        << QByteArray(R"({"CLSID":{"{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}":"x"}})") << false;
    QTest::newRow("foreign object") << QByteArray(R"({"name":"someone else's","n":1})") << false;
}

void TstAxFactory::storeLoad()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    const QString strPath = dir.filePath("registry.json");
    if (!content.isNull()) {
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    VelAxStore store(strPath);
    QString strError;
    QCOMPARE(store.load(&strError), loads);
    QCOMPARE(strError.isEmpty(), loads);
    QVERIFY(store.classes().isEmpty());

    // Registering into a file that is not a store fails and leaves it as it was.
    const bool bEdited = VelAxStore::edit(strPath, [](VelAxStore& s) {
        s.setAppId("{08E1D009-6C35-45E3-9041-71531113A7F9}", "tessaro", "/x");
    });
    QCOMPARE(bEdited, loads);
    if (!loads) {
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }
}

void TstAxFactory::concurrentEditsLoseNothing()
{
    // Two registering processes at once: each edit is load, change, save, so
    // without the lock one of two overlapping edits would be lost. (The lock
    // file holds between threads as between processes.)
    QTemporaryDir dir;
    const QString strPath = dir.filePath("registry.json");
    const int nEdits = 40;
    auto worker = [&](int nFirst) {
        for (int i = 0; i < nEdits; ++i) {
            const QString strId = QStringLiteral("{00000000-0000-0000-0000-%1}")
                                      .arg(nFirst + i, 12, 10, QLatin1Char('0'));
            QString strError;
            if (!VelAxStore::edit(
                    strPath, [&](VelAxStore& store) { store.setAppId(strId, "x", "y"); },
                    &strError))
                qWarning("edit failed: %s", qPrintable(strError));
        }
    };
    std::thread first(worker, 1);
    std::thread second(worker, 1000);
    first.join();
    second.join();
    VelAxStore store(strPath);
    QVERIFY(store.load());
    QCOMPARE(store.root()["AppID"].toObject().size(), 2 * nEdits);
}

QTEST_MAIN(TstAxFactory)
#include "tst_axfactory.moc"
