// The live room scanner under arbitrary text: an "initLiveRoom" answer's
// target read as JSON or by the plain scan must neither crash nor hang, and
// a JSON array of rooms must come back as it went.
#include "output/velliveroomlist.h"
#include "velcommand.h"

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
        std::fprintf(stderr, "fuzz_liveroom: %s\n", szWhat);
        std::abort();
    }
}

// A JSON string as the page writes it (QJsonDocument would cost more than the
// scanner under test).
QString jsonString(const QString& strText)
{
    QString strJson;
    strJson.reserve(strText.size() + 2);
    strJson += QLatin1Char('"');
    for (QChar c : strText) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            strJson += QLatin1Char('\\');
            strJson += c;
        } else if (c.unicode() < 0x20) {
            strJson += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            strJson += c;
        }
    }
    strJson += QLatin1Char('"');
    return strJson;
}

// Rooms from the input's lines, id and name split at a tab, written as the
// page writes them and wrapped as the control hands them on.
void roundTrip(const QString& strInput)
{
    QMap<QString, QString> rooms;
    QString strTarget = QStringLiteral("{[");
    const QStringList lstLines = strInput.split(QLatin1Char('\n'));
    for (const QString& strLine : lstLines) {
        const int nTab = strLine.indexOf(QLatin1Char('\t'));
        const QString strId = strLine.left(nTab);
        const QString strName = nTab < 0 ? QString() : strLine.mid(nTab + 1);
        rooms.insert(strId, strName);
        if (strTarget.size() > 2)
            strTarget += QLatin1Char(',');
        strTarget += QStringLiteral("{\"id\":") + jsonString(strId) + QStringLiteral(",\"name\":") +
                     jsonString(strName) + QLatin1Char('}');
    }
    strTarget += QStringLiteral("]}");
    check(velLiveRoomsFromTarget(strTarget) == rooms, "JSON round trip");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const QString strInput = QString::fromUtf8(reinterpret_cast<const char*>(pData), int(nSize));
    // The input as the target itself, and as a whole message.
    velLiveRoomsFromTarget(strInput);
    velLiveRoomsByScan(strInput);
    velLiveRoomsFromTarget(
        parseCommand(rewriteArrayTargets(strInput)).value(QStringLiteral("target")));
    // The round trip checks the format, not its speed on long text.
    roundTrip(strInput.left(kRoundTripChars));
    return 0;
}
