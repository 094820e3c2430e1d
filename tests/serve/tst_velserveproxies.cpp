// Each proxy class a browser page can hold declares exactly its control's
// scriptable surface: the members of the control's interface description (the
// library's DumpIDL), plus for each property the change event <name>Changed.
// A slot or signal added to a control without its proxy, or a proxy member
// the control does not have, fails here.
#include "velaxidl.h"
#include "velaxstore.h"
#include "velhostlibrary.h"
#include "velserveproxies.h"

#include <QFile>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

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
};

void TestVelServeProxies::initTestCase()
{
    qputenv("VEL_AX_STORE", m_dir.filePath("registry.json").toLocal8Bit());
    for (const char* szLibrary : {VEL_TESSARO_LIB, VEL_VIMBREL_LIB}) {
        QString strError;
        VelHostLibrary* pLibrary =
            VelHostLibrary::open(QString::fromLocal8Bit(szLibrary), &strError);
        QVERIFY2(pLibrary, qPrintable(strError));
        QCOMPARE(pLibrary->registerServer(), VEL_S_OK);
    }
}

void TestVelServeProxies::matchesInterfaceDescription_data()
{
    QTest::addColumn<int>("entry");
    const QList<VelServeProxies::Entry> entries = VelServeProxies::entries();
    QVERIFY(!entries.isEmpty());
    for (int i = 0; i < entries.size(); ++i)
        QTest::newRow(entries.at(i).szClassName) << i;
}

void TestVelServeProxies::matchesInterfaceDescription()
{
    QFETCH(int, entry);
    const VelServeProxies::Entry proxy = VelServeProxies::entries().at(entry);
    const QString strClass = QString::fromLatin1(proxy.szClassName);

    VelAxStore store;
    QVERIFY(store.load());
    QString strLibrary;
    for (const VelAxStore::ClassEntry& entry : store.classes())
        if (entry.strClassName == strClass)
            strLibrary = entry.strLibrary;
    QVERIFY2(!strLibrary.isEmpty(), "no library registers the class");
    QString strError;
    VelHostLibrary* pLibrary = VelHostLibrary::open(strLibrary, &strError);
    QVERIFY2(pLibrary, qPrintable(strError));
    const QString strFile = m_dir.filePath(strClass + QStringLiteral(".idl"));
    QCOMPARE(pLibrary->dumpIdl(strFile, QString()), VEL_S_OK);
    QFile file(strFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString strIdl = QString::fromUtf8(file.readAll());

    // The proxy's own members, in the same notation; its properties' change
    // events are the host's addition and are checked apart.
    const QMetaObject* pMeta = proxy.pProxyMeta;
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
