// The guide's member lists: what the generator reads from an interface
// description the library code writes, and how it replaces the lists between
// the markers without touching the hand-written text.
#include "velaxclasslistfactory.h"
#include "velaxidl.h"
#include "veldocmembers.h"

#include <QWidget>
#include <QtTest>

// Members of every shape the reader has to take apart: a default property, a
// read-only one, a type a page cannot pass, types with spaces, parentheses and
// commas of their own.
class TstDocPanel : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("ClassID", "{6B1D3F0A-2C4E-4A5B-9D8E-0F1A2B3C4D01}")
    Q_CLASSINFO("InterfaceID", "{6B1D3F0A-2C4E-4A5B-9D8E-0F1A2B3C4D02}")
    Q_CLASSINFO("EventsID", "{6B1D3F0A-2C4E-4A5B-9D8E-0F1A2B3C4D03}")
    Q_CLASSINFO("DefaultProperty", "text")
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(uint count READ count)
    Q_PROPERTY(QSize area READ area)

public:
    explicit TstDocPanel(QWidget* parent = nullptr) : QWidget(parent) {}
    QString text() const { return QString(); }
    void setText(const QString&) {}
    uint count() const { return 0; }
    QSize area() const { return QSize(); }

signals:
    void sigChanged(QString path, bool bOn);
    void sigMap(QMap<QString, QString> map);

public slots:
    void sltFlush(int nWidth, int nHeight)
    {
        Q_UNUSED(nWidth)
        Q_UNUSED(nHeight)
    }
    void sltSend(QMap<QString, QString> lstParam) { Q_UNUSED(lstParam) }
    qulonglong sltTake(const QStringList& list, QVariant any, double dValue)
    {
        Q_UNUSED(list)
        Q_UNUSED(any)
        Q_UNUSED(dValue)
        return 0;
    }
    void sltNothing() {}

protected slots:
    void sltInternal() {}
};

// A second class of the same library: members must land on the right one.
class TstDocTour : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("ClassID", "{6B1D3F0A-2C4E-4A5B-9D8E-0F1A2B3C4D11}")
    Q_CLASSINFO("InterfaceID", "{6B1D3F0A-2C4E-4A5B-9D8E-0F1A2B3C4D12}")
    Q_CLASSINFO("EventsID", "{6B1D3F0A-2C4E-4A5B-9D8E-0F1A2B3C4D13}")

public:
    explicit TstDocTour(QWidget* parent = nullptr) : QWidget(parent) {}

signals:
    void OnPtz(QString strJson);

public slots:
    void play(QString address) { Q_UNUSED(address) }
};

namespace
{

VelAxClassListFactory& factory()
{
    static VelAxClassListFactory s_factory("doclib", "{6B1D3F0A-2C4E-4A5B-9D8E-0F1A2B3C4DF1}",
                                           "{6B1D3F0A-2C4E-4A5B-9D8E-0F1A2B3C4DF2}",
                                           {velAxClass<TstDocPanel>(), velAxClass<TstDocTour>()});
    return s_factory;
}

// "name(type,type)" with IDL types, as the meta object gives them.
QString describeMethod(const QMetaMethod& method)
{
    QStringList types;
    const bool isSupported = VelAxIdl::unsupportedType(method).isEmpty();
    for (const QByteArray& type : method.parameterTypes())
        types << (isSupported ? VelAxIdl::idlType(type) : QString::fromLatin1(type));
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(method.name()), types.join(','));
}

QString describeMember(const VelDocMembers::Member& member)
{
    QStringList types;
    for (const VelDocMembers::Parameter& parameter : member.parameters)
        types << parameter.strType;
    return QStringLiteral("%1(%2)").arg(member.strName, types.join(','));
}

QString doc(const QStringList& lines)
{
    return lines.join('\n');
}

} // namespace

class TstDocMembers : public QObject
{
    Q_OBJECT
private slots:
    void readsWhatTheLibraryWrites_data();
    void readsWhatTheLibraryWrites();
    void listsMarkWhatPagesCannotUse();
    void splice_data();
    void splice();
    void undocumented_data();
    void undocumented();
};

void TstDocMembers::readsWhatTheLibraryWrites_data()
{
    QTest::addColumn<QString>("className");
    QTest::newRow("properties, slots and signals, some unsupported") << "TstDocPanel";
    QTest::newRow("second class of the library, no properties") << "TstDocTour";
}

// The reader against the meta object itself: a member it drops or misreads
// would leave the guide consistently wrong, and the check would not notice.
void TstDocMembers::readsWhatTheLibraryWrites()
{
    QFETCH(QString, className);
    QString strError;
    const QList<VelDocMembers::Control> controls =
        VelDocMembers::parseIdl(VelAxIdl::generate(factory(), "1.0"), &strError);
    QCOMPARE(controls.size(), 2);
    const auto it = std::find_if(controls.begin(), controls.end(), [&](const auto& control) {
        return control.strClassName == className;
    });
    QVERIFY(it != controls.end());
    QCOMPARE(it->strLibrary, QStringLiteral("doclib"));
    QCOMPARE(it->strClassId, factory().classID(className));

    const QMetaObject* pMeta = factory().metaObject(className);
    QStringList expectedSlots, expectedSignals, expectedProperties;
    for (const QMetaMethod& method : VelAxIdl::scriptableMethods(pMeta)) {
        (method.methodType() == QMetaMethod::Signal ? expectedSignals : expectedSlots)
            << describeMethod(method) + ":" +
                   QString::fromLatin1(VelAxIdl::unsupportedType(method));
    }
    for (const QMetaProperty& property : VelAxIdl::scriptableProperties(pMeta)) {
        const QString strType = VelAxIdl::idlType(property.typeName());
        expectedProperties << QStringLiteral("%1 %2 %3")
                                  .arg(QString::fromLatin1(property.name()),
                                       strType.isEmpty() ? property.typeName() : strType)
                                  .arg(property.isWritable());
    }
    QStringList gotSlots, gotSignals, gotProperties;
    for (const VelDocMembers::Member& member : it->methods)
        gotSlots << describeMember(member) + ":" + member.strUnsupportedType;
    for (const VelDocMembers::Member& member : it->events)
        gotSignals << describeMember(member) + ":" + member.strUnsupportedType;
    for (const VelDocMembers::Member& member : it->properties)
        gotProperties << QStringLiteral("%1 %2 %3")
                             .arg(member.strName, member.strType)
                             .arg(member.isWritable);
    QCOMPARE(gotSlots, expectedSlots);
    QCOMPARE(gotSignals, expectedSignals);
    QCOMPARE(gotProperties, expectedProperties);
}

void TstDocMembers::listsMarkWhatPagesCannotUse()
{
    const QList<VelDocMembers::Control> controls =
        VelDocMembers::parseIdl(VelAxIdl::generate(factory(), "1.0"), nullptr);
    QVERIFY(!controls.isEmpty());
    const QString strText = VelDocMembers::markdown(controls.first());
    const QStringList lines = strText.split('\n');
    auto row = [&](const QString& strName) {
        const QString strCell = QStringLiteral("| [`%1`](#%2) |").arg(strName, strName.toLower());
        for (const QString& strLine : lines) {
            if (strLine.contains(strCell))
                return strLine;
        }
        return QString();
    };
    QVERIFY2(row("sltSend").contains("not for pages: `QMap<QString,QString>`"),
             qPrintable(strText));
    QVERIFY2(row("sigMap").contains("not for pages"), qPrintable(strText));
    QVERIFY2(row("area").contains("not for pages: `QSize`"), qPrintable(strText));
    QVERIFY2(row("sltFlush").contains("nWidth: integer, nHeight: integer"), qPrintable(strText));
    QVERIFY2(row("sltTake").contains("`unsigned hyper sltTake(SAFEARRAY(BSTR) list, VARIANT any, "
                                     "double dValue)`"),
             qPrintable(strText));
    QVERIFY2(row("text").contains("default property"), qPrintable(strText));
    QVERIFY2(row("count").contains("read only"), qPrintable(strText));
    QVERIFY2(row("sltNothing").endsWith("| nothing |"), qPrintable(strText));
}

void TstDocMembers::splice_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("problems");

    const QString begin = VelDocMembers::beginMarker("Panel");
    const QString end = VelDocMembers::endMarker();
    const QString current = doc({"# Panel", begin, "", "NEW", "", end, "", "## `play`"});
    QTest::newRow("stale list replaced, text around kept")
        << doc({"# Panel", begin, "OLD", "OLD 2", end, "", "## `play`"}) << current
        << QStringList();
    QTest::newRow("current list unchanged") << current << current << QStringList();
    QTest::newRow("class without a description kept and reported")
        << doc({VelDocMembers::beginMarker("Gone"), "OLD", end})
        << doc({VelDocMembers::beginMarker("Gone"), "OLD", end})
        << QStringList{"Gone: no interface description names this class"};
    QTest::newRow("missing end marker: nothing replaced")
        << doc({begin, "OLD", "# Later"}) << doc({begin, "OLD", "# Later"})
        << QStringList{"the members of Panel have no end marker"};
    QTest::newRow("next list begins before the end marker")
        << doc({begin, "OLD", VelDocMembers::beginMarker("Panel"), "OLD", end})
        << doc({begin, "OLD", VelDocMembers::beginMarker("Panel"), "", "NEW", "", end})
        << QStringList{"the members of Panel have no end marker"};
    QTest::newRow("end marker without begin")
        << doc({"text", end}) << doc({"text", end})
        << QStringList{"an end marker without its begin marker"};
    QTest::newRow("marker quoted inside a line is text")
        << doc({"write `" + begin + "` above the list"})
        << doc({"write `" + begin + "` above the list"}) << QStringList();
}

void TstDocMembers::splice()
{
    QFETCH(QString, document);
    QFETCH(QString, expected);
    QFETCH(QStringList, problems);
    QStringList got;
    QCOMPARE(VelDocMembers::splice(document, {{"Panel", "NEW\n\n"}}, &got), expected);
    QCOMPARE(got, problems);
}

void TstDocMembers::undocumented_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QStringList>("missing");

    const QString begin = VelDocMembers::beginMarker("TstDocTour");
    const QString end = VelDocMembers::endMarker();
    QTest::newRow("a heading for each")
        << doc({"### `play(address)`", "#### `OnPtz`"}) << QStringList();
    QTest::newRow("named only in the generated list")
        << doc({begin, "### `play`", "### `OnPtz`", end}) << QStringList{"play", "OnPtz"};
    QTest::newRow("named in text, not in a heading")
        << doc({"### `OnPtz`", "Call `play` first."}) << QStringList{"play"};
    QTest::newRow("a longer name is not the member")
        << doc({"### `playAll`", "### `OnPtz`"}) << QStringList{"play"};
}

void TstDocMembers::undocumented()
{
    QFETCH(QString, document);
    QFETCH(QStringList, missing);
    const QList<VelDocMembers::Control> controls =
        VelDocMembers::parseIdl(VelAxIdl::generate(factory(), "1.0"), nullptr);
    QCOMPARE(controls.size(), 2);
    QCOMPARE(VelDocMembers::undocumented(document, controls.at(1)), missing);
}

QTEST_MAIN(TstDocMembers)
#include "tst_docmembers.moc"
