// Live room answers: JSON ids and names kept exactly; the plain scan of text
// that is not JSON, with keys inside values and long texts without quotes.
#include "output/velliveroomlist.h"

#include <QtTest>

using Rooms = QMap<QString, QString>;

class TstVelLiveRoomList : public QObject
{
    Q_OBJECT

private slots:
    void json_data();
    void json();
    void plainScan_data();
    void plainScan();
};

void TstVelLiveRoomList::json_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<Rooms>("rooms");
    const QChar bom(0xFEFF);
    // Qt's parser took a U+FEFF at the start of a string for a byte order mark
    // and dropped it (found by fuzz_liveroom).
    QTest::newRow("id beginning with U+FEFF")
        << "{[{\"id\":\"" + QString(bom) + "r1\",\"name\":\"a\"}]}"
        << Rooms{{QString(bom) + "r1", "a"}};
    QTest::newRow("escaped quote before U+FEFF")
        << "{[{\"id\":\"r2\",\"name\":\"\\\"" + QString(bom) + "b\"}]}"
        << Rooms{{"r2", "\"" + QString(bom) + "b"}};
    QTest::newRow("U+FEFF written as an escape")
        << QStringLiteral("{[{\"id\":\"\\ufeffr3\",\"name\":\"\\\\\"}]}")
        << Rooms{{QString(bom) + "r3", "\\"}};
    QTest::newRow("whole-number id")
        << QStringLiteral("{[{\"id\":12,\"name\":\"c\"}]}") << Rooms{{"12", "c"}};
}

void TstVelLiveRoomList::json()
{
    QFETCH(QString, target);
    QFETCH(Rooms, rooms);
    QCOMPARE(velLiveRoomsFromTarget(target), rooms);
}

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
