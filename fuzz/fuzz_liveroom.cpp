// The live room scanner under arbitrary text: an "initLiveRoom" answer's
// target read as JSON or by the plain scan must neither crash nor hang, and
// a JSON array of rooms must come back as it went.
#include "velcommand.h"
#include "velliveroomlist.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

void check(bool bOk, const char* szWhat)
{
    if (!bOk) {
        std::fprintf(stderr, "fuzz_liveroom: %s\n", szWhat);
        std::abort();
    }
}

// Rooms from the input's lines, id and name split at a tab, written as the
// page writes them and wrapped as the control hands them on.
void roundTrip(const QString& strInput)
{
    QMap<QString, QString> rooms;
    QJsonArray array;
    const QStringList lstLines = strInput.split(QLatin1Char('\n'));
    for (const QString& strLine : lstLines) {
        const int nTab = strLine.indexOf(QLatin1Char('\t'));
        const QString strId = strLine.left(nTab);
        const QString strName = nTab < 0 ? QString() : strLine.mid(nTab + 1);
        rooms.insert(strId, strName);
        array.append(QJsonObject{{QStringLiteral("id"), strId}, {QStringLiteral("name"), strName}});
    }
    const QString strTarget = QLatin1Char('{') +
                              QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) +
                              QLatin1Char('}');
    check(velLiveRoomsFromTarget(strTarget) == rooms, "JSON round trip");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const QString strInput = QString::fromUtf8(reinterpret_cast<const char*>(pData), int(nSize));
    // The input as the target itself, and as a whole message.
    velLiveRoomsFromTarget(strInput);
    velLiveRoomsByScan(strInput);
    velLiveRoomsFromTarget(parseCommand(rewriteArrayTargets(strInput)).value(QStringLiteral("target")));
    roundTrip(strInput);
    return 0;
}
