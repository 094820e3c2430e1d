// The plain scan of live room answers on text that is not JSON: keys inside
// values and long texts without quotes.
#include "velliveroomlist.h"

#include <QtTest>

using Rooms = QMap<QString, QString>;

class TstVelLiveRoomList : public QObject
{
    Q_OBJECT

private slots:
    void plainScan_data();
    void plainScan();
};

void TstVelLiveRoomList::plainScan_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<Rooms>("rooms");
    QTest::newRow("two rooms") << "{[{id\":\"s1\",\"name\":\"甲\"},{id\":\"s2\",\"name\":\"乙\"}]}"
                               << Rooms{{"s1", "甲"}, {"s2", "乙"}};
    // The "id" in "video1" was taken for a key and shifted every later pair.
    QTest::newRow("an id holding id")
        << "{[{id\":\"video1\",\"name\":\"a\"},{id\":\"v2\",\"name\":\"b\"}]}"
        << Rooms{{"video1", "a"}, {"v2", "b"}};
    QTest::newRow("a name holding name")
        << "{[{id\":\"n1\",\"name\":\"my name\"},{id\":\"n2\",\"name\":\"b\"}]}"
        << Rooms{{"n1", "my name"}, {"n2", "b"}};
    QTest::newRow("unterminated value: the rest, once")
        << "{[{id\":\"r1\",\"name\":\"open]}" << Rooms{{"r1", "open"}};
    // Each key found read the rest of the text again: a room per key, each
    // holding a copy of the rest, quadratic in time and memory.
    const QString strNoQuotes = QStringLiteral("idname").repeated(2000);
    QTest::newRow("keys without quotes")
        << "{[" + strNoQuotes + "]}" << Rooms{{strNoQuotes.mid(5), strNoQuotes.mid(9)}};
}

void TstVelLiveRoomList::plainScan()
{
    QFETCH(QString, target);
    QFETCH(Rooms, rooms);
    QCOMPARE(velLiveRoomsByScan(target), rooms);
}

QTEST_GUILESS_MAIN(TstVelLiveRoomList)
#include "tst_velliveroomlist.moc"
