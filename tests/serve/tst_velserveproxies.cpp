// The proxy a browser page holds of every registered class declares exactly
// its control's scriptable surface: the members of the control's interface
// description (the library's DumpIDL), plus for each property the change
// event <name>Changed. A member the description has and the proxy lacks, or
// the other way round, fails here.
#include "velaxidl.h"
#include "velaxstore.h"
#include "velhostframe.h"
#include "velhostlibrary.h"
#include "velhostloader.h"
#include "velservecontrolproxy.h"
#include "veltestdrives.h"

#include <QFile>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

// "name(IDLTYPE,IDLTYPE)" for every line of one dispinterface, properties as
// "name:IDLTYPE"; lines written commented out (types a page cannot pass) are
// not part of the surface.
QStringList idlMembers(QString strIdl, const QString& strInterface)
{
    strIdl.remove(QRegularExpression(QStringLiteral("/\\*{6}.*?\\*{6}/"),
                                     QRegularExpression::DotMatchesEverythingOption));
    const int nStart = strIdl.indexOf(QStringLiteral("dispinterface %1\n").arg(strInterface));
    if (nStart < 0)
        return {QStringLiteral("no dispinterface %1").arg(strInterface)};
    const QString strBody =
        strIdl.mid(nStart, strIdl.indexOf(QLatin1String("};"), nStart) - nStart);
    QStringList members;
    const QRegularExpression line(QStringLiteral("\\[id\\(\\d+\\)[^\\]]*\\]\\s+(.+?);"));
    for (auto it = line.globalMatch(strBody); it.hasNext();) {
        const QString strDecl = it.next().captured(1);
        const int nOpen = strDecl.indexOf(QLatin1Char('('));
        if (nOpen < 0) { // property: "BSTR text"
            const int nSpace = strDecl.lastIndexOf(QLatin1Char(' '));
            members << strDecl.mid(nSpace + 1) + QLatin1Char(':') + strDecl.left(nSpace);
            continue;
        }
        const QString strName = strDecl.left(nOpen).section(QLatin1Char(' '), -1);
        QStringList types;
        const QString strParams = strDecl.mid(nOpen + 1, strDecl.lastIndexOf(')') - nOpen - 1);
        for (const QString& strParam : strParams.split(QLatin1Char(','), Qt::SkipEmptyParts))
            types << strParam.trimmed().section(QLatin1Char(' '), 0, -2);
        members << strName + QLatin1Char('(') + types.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    members.sort();
    return members;
}

QString memberText(const QMetaMethod& method)
{
    QStringList types;
    for (const QByteArray& type : method.parameterTypes())
        types << VelAxIdl::idlType(type);
    return QString::fromLatin1(method.name()) + QLatin1Char('(') + types.join(QLatin1Char(',')) +
           QLatin1Char(')');
}

} // namespace

class TestVelServeProxies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void matchesInterfaceDescription_data();
    void matchesInterfaceDescription();

private:
    QTemporaryDir m_dir;
    VelTestDrives m_drives;
};

void TestVelServeProxies::initTestCase()
{
    qputenv("VEL_AX_STORE", m_dir.filePath("registry.json").toLocal8Bit());
    for (const char* szLibrary : {VEL_TESSARO_LIB, VEL_VIMBREL_LIB, VEL_TESTCONTROLS_LIB}) {
        QString strError;
        VelHostLibrary* pLibrary =
            VelHostLibrary::open(QString::fromLocal8Bit(szLibrary), &strError);
        QVERIFY2(pLibrary, qPrintable(strError));
        QCOMPARE(pLibrary->registerServer(), VEL_S_OK);
    }
}

void TestVelServeProxies::matchesInterfaceDescription_data()
{
    QTest::addColumn<QString>("classId");
    VelAxStore store;
    QVERIFY(store.load());
    QVERIFY(!store.classes().isEmpty());
    for (const VelAxStore::ClassEntry& entry : store.classes())
        QTest::newRow(qPrintable(entry.strClassName)) << entry.strClassId;
}

void TestVelServeProxies::matchesInterfaceDescription()
{
    QFETCH(QString, classId);
    // The proxy a page gets: the control created as the bridge creates it.
    VelHostFrame frame(QSize(640, 480));
    VelHostLoader loader(&frame);
    const VelHostLoader::Created created = loader.create(classId);
    QVERIFY2(created.pControl, qPrintable(created.strError));
    const QString strClass = created.entry.strClassName;
    std::unique_ptr<VelServeProxy> pProxy(VelServeControlProxy::create(created.pControl, nullptr));
    QVERIFY(pProxy);

    QString strError;
    VelHostLibrary* pLibrary = VelHostLibrary::open(created.entry.strLibrary, &strError);
    QVERIFY2(pLibrary, qPrintable(strError));
    const QString strFile = m_dir.filePath(strClass + QStringLiteral(".idl"));
    QCOMPARE(pLibrary->dumpIdl(strFile, QString()), VEL_S_OK);
    QFile file(strFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString strIdl = QString::fromUtf8(file.readAll());

    // The proxy's own members, in the same notation; its properties' change
    // events are the host's addition and are checked apart.
    const QMetaObject* pMeta = pProxy->metaObject();
    QStringList properties, notifications, slotList, signalList;
    for (int i = pMeta->propertyOffset(); i < pMeta->propertyCount(); ++i) {
        const QMetaProperty property = pMeta->property(i);
        properties << QString::fromLatin1(property.name()) + QLatin1Char(':') +
                          VelAxIdl::idlType(property.typeName());
        notifications << QString::fromLatin1(property.name()) + QStringLiteral("Changed(") +
                             VelAxIdl::idlType(property.typeName()) + QLatin1Char(')');
    }
    for (int i = pMeta->methodOffset(); i < pMeta->methodCount(); ++i) {
        const QMetaMethod method = pMeta->method(i);
        if (method.access() != QMetaMethod::Public)
            continue;
        if (method.methodType() == QMetaMethod::Signal)
            signalList << memberText(method);
        else
            slotList << memberText(method);
    }
    for (const QString& strNotification : notifications) {
        QVERIFY2(signalList.removeOne(strNotification), qPrintable(strNotification));
    }
    QStringList dispatch = properties + slotList;
    dispatch.sort();
    signalList.sort();
    QCOMPARE(dispatch, idlMembers(strIdl, QLatin1Char('I') + strClass));
    QCOMPARE(signalList,
             idlMembers(strIdl, QLatin1Char('I') + strClass + QStringLiteral("Events")));
}

QTEST_MAIN(TestVelServeProxies)
#include "tst_velserveproxies.moc"
