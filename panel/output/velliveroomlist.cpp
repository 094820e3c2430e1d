#include "output/velliveroomlist.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace
{

// An id as the page wrote it: a string, or a whole number.
bool idText(const QJsonValue& value, QString* pText)
{
    if (value.isString()) {
        *pText = value.toString();
        return true;
    }
    if (value.isDouble()) {
        const double dValue = value.toDouble();
        if (std::floor(dValue) != dValue || std::fabs(dValue) > 9007199254740992.0)
            return false;
        *pText = QString::number(qint64(dValue));
        return true;
    }
    return false;
}

// Qt's JSON parser drops a U+FEFF that begins a string (it takes it for a byte
// order mark), so a room id starting with one would come back without it.
// Inside strings it is written as an escape, which the parser keeps; the rest
// of the text is left as it is.
QByteArray jsonWithByteOrderMarksEscaped(const QString& strJson)
{
    QString strOut;
    strOut.reserve(strJson.size());
    bool bInString = false;
    bool bEscaped = false;
    for (QChar c : strJson) {
        if (bEscaped) {
            bEscaped = false;
        } else if (bInString && c == QLatin1Char('\\')) {
            bEscaped = true;
        } else if (c == QLatin1Char('"')) {
            bInString = !bInString;
        } else if (bInString && c.unicode() == 0xFEFF) {
            strOut += QLatin1String("\\ufeff");
            continue;
        }
        strOut += c;
    }
    return strOut.toUtf8();
}

bool roomsFromJson(const QString& strTarget, QMap<QString, QString>* pRooms)
{
    if (!strTarget.startsWith(QLatin1String("{[")) || !strTarget.endsWith(QLatin1String("]}")))
        return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(
        jsonWithByteOrderMarksEscaped(strTarget.mid(1, strTarget.size() - 2)), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return false;
    QMap<QString, QString> rooms;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject room = value.toObject();
        QString strId;
        if (!value.isObject() || !idText(room.value(QLatin1String("id")), &strId) ||
            !room.value(QLatin1String("name")).isString())
            return false;
        rooms.insert(strId, room.value(QLatin1String("name")).toString());
    }
    *pRooms = rooms;
    return true;
}

// The text from nFrom up to the next double quote (the rest without one);
// *pEnd is where it ends.
QString quotedValue(const QString& strText, int nFrom, int* pEnd)
{
    const int nEnd = strText.indexOf(QLatin1Char('"'), nFrom);
    *pEnd = nEnd < 0 ? strText.size() : nEnd;
    return strText.mid(nFrom, *pEnd - nFrom);
}

} // namespace

QMap<QString, QString> velLiveRoomsByScan(const QString& strTarget)
{
    QMap<QString, QString> rooms;
    if (strTarget.isEmpty())
        return rooms;
    const QString strText =
        strTarget.size() > 4 ? strTarget.mid(2, strTarget.size() - 4) : QString();
    int a = 0;
    int b = 0;
    for (;;) {
        const int nId = strText.indexOf(QLatin1String("id"), a);
        const int nName = strText.indexOf(QLatin1String("name"), b);
        if (nId < 0 || nName < 0)
            break;
        // Past the key, its closing quote, the colon and the opening quote.
        int nIdEnd = 0;
        int nNameEnd = 0;
        rooms.insert(quotedValue(strText, nId + 5, &nIdEnd),
                     quotedValue(strText, nName + 7, &nNameEnd));
        // The next key comes after this value: an "id" inside a value ("video")
        // is no key, and values never overlap, which kept long texts without
        // quotes quadratic in time and memory.
        a = std::max(nId + 1, nIdEnd);
        b = std::max(nName + 1, nNameEnd);
    }
    return rooms;
}

QMap<QString, QString> velLiveRoomsFromTarget(const QString& strTarget)
{
    QMap<QString, QString> rooms;
    if (roomsFromJson(strTarget, &rooms))
        return rooms;
    return velLiveRoomsByScan(strTarget);
}
