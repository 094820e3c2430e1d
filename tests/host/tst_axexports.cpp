// The built control libraries as a host sees them: loaded with dlopen, reached
// only through their five exports.
#include "velaxexports.h"
#include "velaxfactory.h"
#include "velaxids.h"
#include "veltestdrives.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaClassInfo>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <dlfcn.h>

#include <memory>

namespace
{

struct Library {
    void* pHandle = nullptr;
    VelAxRegisterFn pfnRegister = nullptr;
    VelAxRegisterFn pfnUnregister = nullptr;
    VelAxGetClassObjectFn pfnGetClassObject = nullptr;
    VelAxCanUnloadNowFn pfnCanUnloadNow = nullptr;
    VelAxDumpIdlFn pfnDumpIdl = nullptr;

    bool open(const char* szPath)
    {
        pHandle = dlopen(szPath, RTLD_NOW | RTLD_LOCAL);
        if (!pHandle)
            return false;
        pfnRegister = reinterpret_cast<VelAxRegisterFn>(dlsym(pHandle, "DllRegisterServer"));
        pfnUnregister = reinterpret_cast<VelAxRegisterFn>(dlsym(pHandle, "DllUnregisterServer"));
        pfnGetClassObject =
            reinterpret_cast<VelAxGetClassObjectFn>(dlsym(pHandle, "DllGetClassObject"));
        pfnCanUnloadNow = reinterpret_cast<VelAxCanUnloadNowFn>(dlsym(pHandle, "DllCanUnloadNow"));
        pfnDumpIdl = reinterpret_cast<VelAxDumpIdlFn>(dlsym(pHandle, "DumpIDL"));
        return pfnRegister && pfnUnregister && pfnGetClassObject && pfnCanUnloadNow && pfnDumpIdl;
    }

    VelAxFactory* factory(const char* szClassId) const
    {
        void* pFactory = nullptr;
        return pfnGetClassObject(szClassId, &pFactory) == VEL_S_OK
                   ? static_cast<VelAxFactory*>(pFactory)
                   : nullptr;
    }
};

QJsonObject readStore(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}

QString readText(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString absoluteLibrary(const char* szPath)
{
    return QFileInfo(QString::fromLocal8Bit(szPath)).absoluteFilePath();
}

} // namespace

class TstAxExports : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Must run first: nothing may have built a factory yet.
    void metaTypeRegisteredWhenFactoryIsBuilt();
    void exportsOnlyTheEntryPoints_data();
    void exportsOnlyTheEntryPoints();
    void getClassObject_data();
    void getClassObject();
    void getClassObjectWithoutOutPointer();
    void factoryIdsAndVersion();
    void createObjectAndUnloading();
    void secondControlReplacesFirst();
    void bindableReportsEveryStore();
    void registrationStore();
    void registrationRefusesForeignStore();
    void registrationReportsUnwritableStore();
    void dumpIdlDescribesCorvane_data();
    void dumpIdlDescribesCorvane();
    void dumpIdlErrors();
    void bothLibrariesInOneProcess();

private:
    Library m_tessaro;
    Library m_vimbrel;
    VelTestDrives* m_pDrives = nullptr;
    QTemporaryDir m_storeDir;
};

void TstAxExports::initTestCase()
{
    QVERIFY2(m_tessaro.open(VEL_TESSARO_LIB), dlerror());
    QVERIFY2(m_vimbrel.open(VEL_VIMBREL_LIB), dlerror());
    QVERIFY(m_storeDir.isValid());
    qputenv("VEL_AX_STORE", m_storeDir.filePath("registry.json").toLocal8Bit());
}

void TstAxExports::init()
{
    m_pDrives = new VelTestDrives;
    QFile::remove(m_storeDir.filePath("registry.json"));
}

void TstAxExports::cleanup()
{
    delete m_pDrives;
    m_pDrives = nullptr;
}

void TstAxExports::metaTypeRegisteredWhenFactoryIsBuilt()
{
    QCOMPARE(QMetaType::type("Corvane*"), int(QMetaType::UnknownType));
    QVERIFY(m_tessaro.factory(VEL_TESSARO_CLASS_ID));
    const int nType = QMetaType::type("Corvane*");
    QVERIFY(nType != QMetaType::UnknownType);
    QVERIFY(QMetaType::typeFlags(nType) & QMetaType::PointerToQObject);
}

void TstAxExports::exportsOnlyTheEntryPoints_data()
{
    QTest::addColumn<QString>("library");
    QTest::newRow("tessaro") << absoluteLibrary(VEL_TESSARO_LIB);
    QTest::newRow("vimbrel") << absoluteLibrary(VEL_VIMBREL_LIB);
}

void TstAxExports::exportsOnlyTheEntryPoints()
{
    QFETCH(QString, library);
    const QString strNm = QStandardPaths::findExecutable("nm");
    if (strNm.isEmpty())
        QSKIP("nm is not installed");
    QProcess nm;
    nm.start(strNm, {"-D", "--defined-only", "--format=posix", library});
    QVERIFY(nm.waitForFinished(30000));
    QCOMPARE(nm.exitCode(), 0);
    QStringList exported;
    for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
        const QByteArray name = line.split(' ').value(0);
        // Symbols the linker defines in every shared object.
        if (!name.isEmpty() && name != "__bss_start" && name != "_edata" && name != "_end" &&
            name != "_init" && name != "_fini")
            exported << QString::fromLatin1(name);
    }
    exported.sort();
    QCOMPARE(exported, QStringList({"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                    "DllUnregisterServer", "DumpIDL"}));
}

void TstAxExports::getClassObject_data()
{
    QTest::addColumn<QByteArray>("classId");
    QTest::addColumn<int>("result");
    QTest::newRow("class id") << QByteArray(VEL_TESSARO_CLASS_ID) << int(VEL_S_OK);
    QTest::newRow("lower case without braces")
        << QByteArray("15e44774-3bf3-4435-a9e2-9a7bcd1887f9") << int(VEL_S_OK);
    QTest::newRow("other library's class")
        << QByteArray(VEL_VIMBREL_CLASS_ID) << int(VEL_CLASS_E_CLASSNOTAVAILABLE);
    QTest::newRow("interface id is no class")
        << QByteArray(VEL_TESSARO_INTERFACE_ID) << int(VEL_CLASS_E_CLASSNOTAVAILABLE);
    QTest::newRow("not a guid") << QByteArray("Corvane") << int(VEL_CLASS_E_CLASSNOTAVAILABLE);
    QTest::newRow("empty") << QByteArray("") << int(VEL_CLASS_E_CLASSNOTAVAILABLE);
}

void TstAxExports::getClassObject()
{
    QFETCH(QByteArray, classId);
    QFETCH(int, result);
    void* pFactory = reinterpret_cast<void*>(0x1);
    QCOMPARE(int(m_tessaro.pfnGetClassObject(classId.constData(), &pFactory)), result);
    QCOMPARE(pFactory != nullptr, result == VEL_S_OK);
}

void TstAxExports::getClassObjectWithoutOutPointer()
{
    QCOMPARE(m_tessaro.pfnGetClassObject(VEL_TESSARO_CLASS_ID, nullptr), VEL_E_POINTER);
    void* pFactory = reinterpret_cast<void*>(0x1);
    QCOMPARE(m_tessaro.pfnGetClassObject(nullptr, &pFactory), VEL_CLASS_E_CLASSNOTAVAILABLE);
    QVERIFY(!pFactory);
}

void TstAxExports::factoryIdsAndVersion()
{
    VelAxFactory* pFactory = m_tessaro.factory(VEL_TESSARO_CLASS_ID);
    QVERIFY(pFactory);
    QCOMPARE(pFactory->featureList(), QStringList{"Corvane"});
    QCOMPARE(pFactory->classID("Corvane"), QString(VEL_TESSARO_CLASS_ID));
    QCOMPARE(pFactory->interfaceID("Corvane"), QString(VEL_TESSARO_INTERFACE_ID));
    QCOMPARE(pFactory->eventsID("Corvane"), QString(VEL_TESSARO_EVENTS_ID));
    QCOMPARE(pFactory->typeLibID(), QString(VEL_TESSARO_TYPELIB_ID));
    QCOMPARE(pFactory->appID(), QString(VEL_TESSARO_APP_ID));
    QCOMPARE(pFactory->libraryName(), QString("tessaro"));
    QCOMPARE(pFactory->version(), QString("1.0.0.76"));
    // The same version names the shared library's file.
    QVERIFY2(
        QFileInfo(absoluteLibrary(VEL_TESSARO_LIB)).canonicalFilePath().endsWith(".so.1.0.0.76"),
        qPrintable(QFileInfo(absoluteLibrary(VEL_TESSARO_LIB)).canonicalFilePath()));

    const QMetaObject* pMeta = pFactory->metaObject("Corvane");
    QVERIFY(pMeta);
    QCOMPARE(QString(pMeta->className()), QString("Corvane"));
    QCOMPARE(QString(pMeta->classInfo(pMeta->indexOfClassInfo("DefaultProperty")).value()),
             QString("text"));
    QVERIFY(!pFactory->metaObject("Pellith"));
    QVERIFY(pFactory->classID("Pellith").isEmpty());

    // All ten ids are GUIDs and distinct.
    const QStringList ids = {VEL_TESSARO_CLASS_ID,     VEL_TESSARO_INTERFACE_ID,
                             VEL_TESSARO_EVENTS_ID,    VEL_TESSARO_TYPELIB_ID,
                             VEL_TESSARO_APP_ID,       VEL_VIMBREL_CLASS_ID,
                             VEL_VIMBREL_INTERFACE_ID, VEL_VIMBREL_EVENTS_ID,
                             VEL_VIMBREL_TYPELIB_ID,   VEL_VIMBREL_APP_ID};
    QSet<QUuid> distinct;
    for (const QString& strId : ids) {
        QVERIFY2(!QUuid(strId).isNull(), qPrintable(strId));
        distinct.insert(QUuid(strId));
    }
    QCOMPARE(distinct.size(), ids.size());
}

void TstAxExports::createObjectAndUnloading()
{
    VelAxFactory* pFactory = m_tessaro.factory(VEL_TESSARO_CLASS_ID);
    QVERIFY(pFactory);
    QCOMPARE(m_tessaro.pfnCanUnloadNow(), VEL_S_OK);
    QVERIFY(!pFactory->createObject("Pellith"));
    QVERIFY(!pFactory->createObject("corvane"));
    QVERIFY(!pFactory->createObject(QString()));

    QObject* pObject = pFactory->createObject("Corvane");
    QVERIFY(pObject);
    auto* pWidget = qobject_cast<QWidget*>(pObject);
    QVERIFY(pWidget);
    QVERIFY(!pWidget->parentWidget());
    QCOMPARE(pObject->objectName(), QString("Corvane"));
    QVERIFY(pObject->findChild<QObject*>("velAxBindable", Qt::FindDirectChildrenOnly));
    QCOMPARE(pFactory->liveObjectCount(), 1);
    QCOMPARE(m_tessaro.pfnCanUnloadNow(), VEL_S_FALSE);

    delete pObject;
    QCOMPARE(pFactory->liveObjectCount(), 0);
    QCOMPARE(m_tessaro.pfnCanUnloadNow(), VEL_S_OK);
}

void TstAxExports::secondControlReplacesFirst()
{
    VelAxFactory* pFactory = m_tessaro.factory(VEL_TESSARO_CLASS_ID);
    QPointer<QObject> pFirst = pFactory->createObject("Corvane");
    QVERIFY(pFirst);
    QPointer<QObject> pSecond = pFactory->createObject("Corvane");
    QVERIFY(pSecond);
    QVERIFY(!pFirst);
    QCOMPARE(pFactory->liveObjectCount(), 1);
    delete pSecond.data();
    QCOMPARE(m_tessaro.pfnCanUnloadNow(), VEL_S_OK);
}

void TstAxExports::bindableReportsEveryStore()
{
    VelAxFactory* pFactory = m_tessaro.factory(VEL_TESSARO_CLASS_ID);
    std::unique_ptr<QObject> pControl(pFactory->createObject("Corvane"));
    QObject* pBindable = pControl->findChild<QObject*>("velAxBindable");
    QVERIFY(pBindable);
    // By signature, as the host connects: the class is not visible here.
    QSignalSpy spy(pBindable, SIGNAL(sigPropertyChanged(QString)));
    QVERIFY(spy.isValid());

    QVERIFY(pControl->setProperty("text", "same"));
    QVERIFY(pControl->setProperty("text", "same"));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toString(), QString("text"));

    // The outgoing path: two identical commands are two stores.
    const QMap<QString, QString> map = {
        {"requestParam", "singleScreen"}, {"target", "cam2"}, {"event", "change"}, {"token", ""}};
    for (int i = 0; i < 2; ++i)
        QVERIFY(QMetaObject::invokeMethod(pControl.get(), "sltSendCommand",
                                          QGenericArgument("QMap<QString,QString>", &map)));
    QCOMPARE(spy.count(), 4);
    QCOMPARE(
        pControl->property("text").toString(),
        QString(R"({"event":"change","requestParam":"singleScreen","target":"cam2","token":""})"));

    // Reading and receiving store nothing.
    pControl->property("text");
    QVERIFY(QMetaObject::invokeMethod(pControl.get(), "sltReceiveCommand",
                                      Q_ARG(QString, "{\"requestParam\":\"directMode\"}")));
    QCOMPARE(spy.count(), 4);
}

void TstAxExports::registrationStore()
{
    const QString strStore = m_storeDir.filePath("registry.json");
    const QString strTessaro = absoluteLibrary(VEL_TESSARO_LIB);
    const QString strVimbrel = absoluteLibrary(VEL_VIMBREL_LIB);
    QCOMPARE(m_tessaro.pfnRegister(), VEL_S_OK);
    QCOMPARE(m_vimbrel.pfnRegister(), VEL_S_OK);

    QJsonObject root = readStore(strStore);
    const QJsonObject entry = root["CLSID"].toObject()[VEL_TESSARO_CLASS_ID].toObject();
    QCOMPARE(entry["class"].toString(), QString("Corvane"));
    QCOMPARE(entry["progId"].toString(), QString("tessaro.Corvane"));
    QCOMPARE(entry["library"].toString(), strTessaro);
    QCOMPARE(entry["typeLib"].toString(), QString(VEL_TESSARO_TYPELIB_ID));
    QCOMPARE(entry["appId"].toString(), QString(VEL_TESSARO_APP_ID));
    QCOMPARE(entry["version"].toString(), QString("1.0.0.76"));
    QCOMPARE(root["TypeLib"].toObject()[VEL_TESSARO_TYPELIB_ID].toObject()["library"].toString(),
             strTessaro);
    QCOMPARE(root["AppID"].toObject()[VEL_TESSARO_APP_ID].toObject()["library"].toString(),
             strTessaro);
    QCOMPARE(root["TypeLib"].toObject()[VEL_VIMBREL_TYPELIB_ID].toObject()["library"].toString(),
             strVimbrel);
    QCOMPARE(root["AppID"].toObject()[VEL_VIMBREL_APP_ID].toObject()["name"].toString(),
             QString("vimbrel"));

    // Registering again changes nothing.
    const QString strBefore = readText(strStore);
    QCOMPARE(m_tessaro.pfnRegister(), VEL_S_OK);
    QCOMPARE(readText(strStore), strBefore);

    // Unregistering one library leaves the other's entries.
    QCOMPARE(m_tessaro.pfnUnregister(), VEL_S_OK);
    root = readStore(strStore);
    QVERIFY(!root["CLSID"].toObject().contains(VEL_TESSARO_CLASS_ID));
    QVERIFY(!root["TypeLib"].toObject().contains(VEL_TESSARO_TYPELIB_ID));
    QVERIFY(!root["AppID"].toObject().contains(VEL_TESSARO_APP_ID));
    QVERIFY(root["TypeLib"].toObject().contains(VEL_VIMBREL_TYPELIB_ID));
    QCOMPARE(m_tessaro.pfnUnregister(), VEL_S_OK);
    QCOMPARE(m_vimbrel.pfnUnregister(), VEL_S_OK);
    QVERIFY(readStore(strStore).isEmpty());
}

void TstAxExports::registrationRefusesForeignStore()
{
    const QString strStore = m_storeDir.filePath("registry.json");
    const QByteArray foreign = "[ \"not a store\" ]\n";
    {
        QFile file(strStore);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(foreign);
    }
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("DllRegisterServer: .*not a registration store"));
    QCOMPARE(m_tessaro.pfnRegister(), VEL_SELFREG_E_CLASS);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("DllUnregisterServer: .*not a registration store"));
    QCOMPARE(m_tessaro.pfnUnregister(), VEL_SELFREG_E_CLASS);
    QCOMPARE(readText(strStore).toUtf8(), foreign);
}

void TstAxExports::registrationReportsUnwritableStore()
{
    // A store whose folder would have to be a regular file.
    const QString strBlocker = m_storeDir.filePath("blocker");
    {
        QFile file(strBlocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    qputenv("VEL_AX_STORE", (strBlocker + "/registry.json").toLocal8Bit());
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("DllRegisterServer: cannot create .*blocker"));
    const VelAxResult nResult = m_tessaro.pfnRegister();
    qputenv("VEL_AX_STORE", m_storeDir.filePath("registry.json").toLocal8Bit());
    QCOMPARE(nResult, VEL_SELFREG_E_CLASS);
}

void TstAxExports::dumpIdlDescribesCorvane_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("type library") << "uuid(1C788A3E-7980-43A6-9481-0D7C7E85C329),";
    QTest::newRow("application id") << "// Application id: {08E1D009-6C35-45E3-9041-71531113A7F9}";
    QTest::newRow("interface id") << "uuid(29E33119-81B2-4309-96E8-8F40B07F0693),";
    QTest::newRow("events id") << "uuid(EE953EA1-4E45-475F-9FFB-723C12A09020),";
    QTest::newRow("class id") << "uuid(15E44774-3BF3-4435-A9E2-9A7BCD1887F9)";
    QTest::newRow("default property") << "[id(0), bindable] BSTR text; // default property";
    QTest::newRow("sltFlush") << "] void sltFlush(int nExplorerWidth, int nExplorerHeight);";
    QTest::newRow("sltStateChanged") << "] void sltStateChanged(VARIANT_BOOL bIsStart);";
    QTest::newRow("sltSendCommand unsupported")
        << "/****** Slot parameter uses unsupported datatype QMap<QString,QString>";
    QTest::newRow("sltSendCommand") << "] void sltSendCommand(QMap<QString,QString> lstParam);";
    QTest::newRow("sltReceiveCommand") << "] void sltReceiveCommand(BSTR message);";
    QTest::newRow("sltSetOverviewWidget")
        << "] void sltSetOverviewWidget(BSTR name, BSTR strIndex, BSTR isPtzAvaliable);";
    QTest::newRow("sltSetOverviewSource")
        << "] void sltSetOverviewSource(BSTR source, BSTR name, BSTR strIndex);";
    QTest::newRow("sltChangeOutputWidgetHeight")
        << "] void sltChangeOutputWidgetHeight(int nHeight);";
    QTest::newRow("sltSetFunctionShownState")
        << "] void sltSetFunctionShownState(BSTR strIndex, BSTR state);";
    QTest::newRow("sltSetLiveAddress") << "] void sltSetLiveAddress(BSTR address);";
    QTest::newRow("sltSetDeviceType") << "] void sltSetDeviceType(BSTR isSmartType);";
    QTest::newRow("sltSetNasState") << "] void sltSetNasState(BSTR isReady);";
    QTest::newRow("sltSetUploadService") << "] void sltSetUploadService(BSTR strPath);";
    QTest::newRow("sltStartTime") << "] void sltStartTime(BSTR strTime);";
    QTest::newRow("event sigServiceChanged") << "[id(1)] void sigServiceChanged(BSTR path);";
    QTest::newRow("event sigStartTimeChanged") << "[id(2)] void sigStartTimeChanged(BSTR time);";
    QTest::newRow("coclass") << "coclass Corvane";
    QTest::newRow("events source") << "[default, source] dispinterface ICorvaneEvents;";
}

void TstAxExports::dumpIdlDescribesCorvane()
{
    QFETCH(QString, line);
    const QString strFile = m_storeDir.filePath("tessaro.idl");
    QCOMPARE(m_tessaro.pfnDumpIdl(strFile.toUtf8().constData(), "1.0"), VEL_S_OK);
    const QString strIdl = readText(strFile);
    QVERIFY2(strIdl.contains(line), qPrintable(strIdl));
    // Every supported slot has a dispatch id of its own; the unsupported one
    // sits inside a comment.
    const int nOpen = strIdl.indexOf("/****** Slot parameter");
    const int nSlot = strIdl.indexOf("void sltSendCommand(");
    const int nClose = strIdl.indexOf("******/", nOpen);
    QVERIFY(nOpen >= 0 && nOpen < nSlot && nSlot < nClose);
    QCOMPARE(strIdl.count("sigServiceChanged"), 1);
    QCOMPARE(strIdl.count("] BSTR text;"), 1);
}

void TstAxExports::dumpIdlErrors()
{
    QCOMPARE(m_tessaro.pfnDumpIdl(nullptr, nullptr), VEL_E_INVALIDARG);
    QCOMPARE(m_tessaro.pfnDumpIdl("", nullptr), VEL_E_INVALIDARG);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("DumpIDL: cannot write .*"));
    const QString strFile = m_storeDir.filePath("missing/folder/tessaro.idl");
    QCOMPARE(m_tessaro.pfnDumpIdl(strFile.toUtf8().constData(), nullptr), VEL_E_ACCESSDENIED);
}

void TstAxExports::bothLibrariesInOneProcess()
{
    // Each library has its own entry points (no interposition between them).
    QVERIFY(dlsym(m_tessaro.pHandle, "DllGetClassObject") !=
            dlsym(m_vimbrel.pHandle, "DllGetClassObject"));
    QVERIFY(!m_vimbrel.factory(VEL_TESSARO_CLASS_ID));

    VelAxFactory* pTessaro = m_tessaro.factory(VEL_TESSARO_CLASS_ID);
    std::unique_ptr<QObject> pCorvane(pTessaro->createObject("Corvane"));
    QVERIFY(pCorvane);
    QCOMPARE(m_vimbrel.pfnCanUnloadNow(), VEL_S_OK);

    const QString strFile = m_storeDir.filePath("vimbrel.idl");
    QCOMPARE(m_vimbrel.pfnDumpIdl(strFile.toUtf8().constData(), nullptr), VEL_S_OK);
    const QString strIdl = readText(strFile);
    QVERIFY(strIdl.contains("uuid(D28481D1-05A2-4293-B1B7-A4DF5AF408A0),"));
    QVERIFY(!strIdl.contains("Corvane"));

    VelAxFactory* pVimbrel = m_vimbrel.factory(VEL_VIMBREL_CLASS_ID);
    QVERIFY(pVimbrel);
    QCOMPARE(pVimbrel->featureList(), QStringList{"Pellith"});
    QCOMPARE(pVimbrel->interfaceID("Pellith"), QString(VEL_VIMBREL_INTERFACE_ID));
    QCOMPARE(pVimbrel->eventsID("Pellith"), QString(VEL_VIMBREL_EVENTS_ID));
    std::unique_ptr<QObject> pPellith(pVimbrel->createObject("Pellith"));
    QVERIFY(pPellith);
    QCOMPARE(m_vimbrel.pfnCanUnloadNow(), VEL_S_FALSE);
    QVERIFY(strIdl.contains("coclass Pellith"));
    QVERIFY(QMetaType::type("Pellith*") != QMetaType::UnknownType);
    // Distinct library state: the tessaro control is still there and works.
    QVERIFY(pCorvane->setProperty("text", "still here"));
    QCOMPARE(pCorvane->property("text").toString(), QString("still here"));
}

QTEST_MAIN(TstAxExports)
#include "tst_axexports.moc"
