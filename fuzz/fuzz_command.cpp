// The command module under arbitrary text: parseCommand (nested levels too),
// the array rewriting and the outgoing text must neither crash nor hang, and
// maps the format can carry must survive a round trip.
#include "velcommand.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr int kRoundTripChars = 4096;

void check(bool bOk, const char* szWhat)
{
    if (!bOk) {
        std::fprintf(stderr, "fuzz_command: %s\n", szWhat);
        std::abort();
    }
}

// Reads the nested targets as the widgets do, level after level.
void parseDeep(const QString& strMessage)
{
    QString strLevel = strMessage;
    for (int nDepth = 0; nDepth < 16; ++nDepth) {
        const QString strNext = parseCommand(strLevel).value(QStringLiteral("target"));
        if (!strNext.contains(QLatin1Char('{')) || strNext.size() >= strLevel.size())
            break;
        strLevel = strNext;
    }
}

// Text the format can carry as a key or value: none of its reserved characters.
QString safe(QString strText)
{
    static const QString kReserved = QStringLiteral("{}\",:");
    for (QChar c : kReserved)
        strText.remove(c);
    return strText;
}

// A map of safe pairs from lines: key and value split at a tab.
CommandMap safeMap(const QStringList& lstLines)
{
    CommandMap map;
    for (const QString& strLine : lstLines) {
        const int nTab = strLine.indexOf(QLatin1Char('\t'));
        map.insert(safe(strLine.left(nTab)), nTab < 0 ? QString() : safe(strLine.mid(nTab + 1)));
    }
    return map;
}

void roundTrips(const QString& strInput)
{
    // One nested object under "target", as the panel sends it: the first half
    // of the lines outside, the rest (at least one: "{}" reads as one empty
    // pair) inside. The inner map is the flat round trip.
    const QStringList lstLines = strInput.split(QLatin1Char('\n'));
    const int nSplit = lstLines.size() / 2;
    CommandMap outer = safeMap(lstLines.mid(0, nSplit));
    const CommandMap inner = safeMap(lstLines.mid(nSplit));
    outer.remove(QStringLiteral("target"));
    outer.insert(QStringLiteral("target"), formatCommand(inner));
    const CommandMap parsed = parseCommand(outgoingCommandText(outer));
    check(parsed == outer, "nested round trip (outer)");
    check(parseCommand(parsed.value(QStringLiteral("target"))) == inner,
          "nested round trip (inner)");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const QString strInput = QString::fromUtf8(reinterpret_cast<const char*>(pData), int(nSize));
    parseDeep(strInput);
    parseDeep(rewriteArrayTargets(strInput));
    outgoingCommandText(parseCommand(strInput));
    // The round trips check the format, not its speed on long text: a prefix
    // is enough, and on long inputs they would cost most of each run.
    roundTrips(strInput.left(kRoundTripChars));
    return 0;
}
