// Randomised messages through the parser and the control's incoming path: no
// text may crash, hang or corrupt the control. Fixed seed, so a failure repeats.
#include "corvane.h"
#include "velcommand.h"
#include "velmodalcloser.h"
#include "veltestdrives.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QtTest>

namespace
{

const QStringList kPieces = {
    "{",
    "}",
    "\"",
    ":",
    ",",
    "[",
    "]",
    " ",
    "a",
    "b",
    "7",
    "电影模式",
    "rand_flag",
    "rand_flagchange",
    "workingMode",
    "start",
    "stop",
    "error",
    "singleScreen",
    "settingMutilScreen",
    "initLiveRoom",
    "}],",
    "}]",
    "\"target\":",
    "\"requestParam\":",
    "functionState",
    "setOverviewWidget",
    "setOverviewSource",
    "\"index\":\"uploadPath\"",
    "\\",
    "\n",
    QString(QChar(0)),
    "\U0001F600",
};

QString randomMessage(QRandomGenerator& rng)
{
    QString strText;
    const int nPieces = rng.bounded(0, 40);
    for (int i = 0; i < nPieces; ++i)
        strText += kPieces.at(rng.bounded(kPieces.size()));
    return strText;
}

QString mutate(QString strText, QRandomGenerator& rng)
{
    const int nEdits = rng.bounded(1, 5);
    for (int i = 0; i < nEdits; ++i) {
        const int nPos = strText.isEmpty() ? 0 : rng.bounded(strText.size() + 1);
        switch (rng.bounded(3)) {
        case 0:
            strText.insert(nPos, kPieces.at(rng.bounded(kPieces.size())));
            break;
        case 1:
            strText.remove(nPos, rng.bounded(1, 4));
            break;
        default:
            if (nPos < strText.size())
                strText[nPos] = QChar(ushort(rng.bounded(0x20, 0x3000)));
        }
    }
    return strText;
}

// Safe text: none of the characters the message format reserves.
QString safeText(QRandomGenerator& rng)
{
    static const QString kSafe = QStringLiteral("abcXYZ019 _-./电影模式教师");
    QString strText;
    const int n = rng.bounded(0, 12);
    for (int i = 0; i < n; ++i)
        strText += kSafe.at(rng.bounded(kSafe.size()));
    return strText;
}

// Parses a message and then its nested targets as a widget would.
int parseDeep(const QString& strMessage)
{
    int nKeys = 0;
    QString strLevel = strMessage;
    for (int nDepth = 0; nDepth < 8; ++nDepth) {
        const CommandMap map = parseCommand(strLevel);
        nKeys += map.size();
        const QString strNext = map.value(QStringLiteral("target"));
        if (!strNext.contains(QLatin1Char('{')) || strNext.size() >= strLevel.size())
            break;
        strLevel = strNext;
    }
    return nKeys;
}

const QStringList kSeeds = {
    "{\"requestParam\":\"functionState\",\"target\":{\"index\":\"Captions\",\"state\":\"hide\"}}",
    "{\"requestParam\":\"settingMutilScreen\",\"target\":[{\"a\":\"1\"},{\"b\":\"2\"}],\"event\":"
    "\"e\"}",
    "{\"requestParam\":\"initLiveRoom\",\"event\":\"\",\"target\":[{\"id\":\"1\"}]}",
    "{\"requestParam\":\"workingMode\",\"event\":\"start\",\"target\":{\"time\":\"10:00:00\"}}",
    "{\"requestParam\":\"setOverviewWidget\",\"target\":{\"name\":\"cam 1\",\"tokenId\":\"t1\","
    "\"ptzAvaliable\":\"1\"}}",
};

} // namespace

class TstCommandFuzz : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void generatedMessages();
    void mutatedMessages();
    void safeMapsRoundTrip();
    void hugeMessages();

private:
    VelTestDrives m_drives;
    // The output view's warnings and room chooser close as soon as they show.
    VelModalCloser m_closer;
};

void TstCommandFuzz::initTestCase()
{
    // Any debug message box would block the run.
    QVERIFY(!QFile::exists(m_drives.c("beginLog.txt")));
}

void TstCommandFuzz::generatedMessages()
{
    QRandomGenerator rng(20261208);
    Corvane control;
    control.setText("unchanged");
    for (int i = 0; i < 20000; ++i) {
        const QString strMessage = randomMessage(rng);
        const CommandMap map = parseCommand(strMessage);
        if (!strMessage.contains(QLatin1Char('{')))
            QVERIFY2(map.isEmpty(), qPrintable(strMessage));
        parseDeep(rewriteArrayTargets(strMessage));
        control.sltReceiveCommand(strMessage);
    }
    // The incoming path writes the outgoing text only for the output view's
    // volume echo (a volume answer that moves the slider).
    const CommandMap last = parseCommand(control.text());
    QVERIFY2(control.text() == QLatin1String("unchanged") ||
                 last.value("event") == QLatin1String("volume"),
             qPrintable(control.text()));
}

void TstCommandFuzz::mutatedMessages()
{
    QRandomGenerator rng(7);
    Corvane control;
    for (int i = 0; i < 20000; ++i) {
        const QString strMessage = mutate(kSeeds.at(i % kSeeds.size()), rng);
        parseDeep(strMessage);
        parseDeep(rewriteArrayTargets(strMessage));
        control.sltReceiveCommand(strMessage);
    }
    const CommandMap last = parseCommand(control.text());
    QVERIFY2(control.text().isEmpty() || last.value("event") == QLatin1String("volume"),
             qPrintable(control.text()));
}

void TstCommandFuzz::safeMapsRoundTrip()
{
    QRandomGenerator rng(99);
    for (int i = 0; i < 5000; ++i) {
        CommandMap map;
        const int nKeys = rng.bounded(1, 6);
        for (int k = 0; k < nKeys; ++k)
            map.insert(safeText(rng), safeText(rng));
        QCOMPARE(parseCommand(formatCommand(map)), map);

        // One nested object under "target" survives the outgoing rewrite.
        CommandMap nested{{"requestParam", safeText(rng)}, {"target", formatCommand(map)}};
        const CommandMap back = parseCommand(outgoingCommandText(nested));
        QCOMPARE(parseCommand(back.value("target")), map);
    }
}

void TstCommandFuzz::hugeMessages()
{
    const QString strOpen(200000, QLatin1Char('{'));
    const QString strClose(200000, QLatin1Char('}'));
    const QString strCommas(500000, QLatin1Char(','));
    // Placeholder search must not go quadratic into a hang on repeated patterns.
    QString strPlaceholders;
    for (int i = 0; i < 2000; ++i)
        strPlaceholders += QStringLiteral("rand_flag") + QString(i % 7, QLatin1Char('c'));

    Corvane control;
    for (const QString& strMessage :
         {strOpen, strClose, strOpen + strClose, "{" + strCommas + "}", strPlaceholders,
          "{\"requestParam\":\"settingMutilScreen\",\"target\":[" + strCommas + "}],}",
          "{\"a\":\"" + QString(1 << 20, QChar(0x7535)) + "\"}"}) {
        parseDeep(strMessage);
        control.sltReceiveCommand(strMessage);
    }
    QCOMPARE(parseCommand("{" + strCommas + "}").size(), 1); // every part is the empty key
}

QTEST_MAIN(TstCommandFuzz)
#include "tst_commandfuzz.moc"
