#include "velcommand.h"

#include <QStringList>
#include <QStringView>

#include <algorithm>

QString formatCommand(const CommandMap& map)
{
    QString strText = QStringLiteral("{");
    // Appended piece by piece: a + b + c would build a string for each "+".
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        strText += QLatin1Char('"');
        strText += it.key();
        strText += QLatin1String("\":\"");
        strText += it.value();
        strText += QLatin1Char('"');
        if (std::next(it) != map.cend())
            strText += QLatin1Char(',');
    }
    strText += QLatin1Char('}');
    return strText;
}

QString outgoingCommandText(const CommandMap& map)
{
    QString strText = formatCommand(map);
    const int i = strText.indexOf(QLatin1Char('{'), 1);
    if (i > 0)
        strText.remove(i - 1, 1);
    const int j = strText.indexOf(QLatin1Char('}'), 1);
    if (j > 0 && j + 1 < strText.size())
        strText.remove(j + 1, 1);
    return strText;
}

namespace
{

// A placeholder that cannot occur in the message stands in for the nested
// object: "rand_flag" followed by one "change" more than the longest run of
// "change" after any "rand_flag" in the message. Growing the placeholder and
// searching again each time would be quadratic in a page's message. The runs
// after two occurrences never overlap, so one pass over the text suffices.
QString placeholderFor(const QString& strMessage)
{
    const QLatin1String strBase("rand_flag");
    const QLatin1String strStep("change");
    int nLongestRun = -1;
    for (int nAt = strMessage.indexOf(strBase); nAt >= 0; nAt = strMessage.indexOf(strBase, nAt)) {
        nAt += strBase.size();
        int nRun = 0;
        while (QStringView(strMessage).mid(nAt).startsWith(strStep)) {
            nAt += strStep.size();
            ++nRun;
        }
        nLongestRun = std::max(nLongestRun, nRun);
    }
    QString strPlaceholder = strBase;
    for (int i = 0; i <= nLongestRun; ++i)
        strPlaceholder += strStep;
    return strPlaceholder;
}

} // namespace

CommandMap parseCommand(QString strMessage)
{
    CommandMap result;

    const QString strPlaceholder = placeholderFor(strMessage);

    if (!strMessage.contains(QLatin1Char('{')))
        return result;

    strMessage.remove(0, 1);
    const int nLastClose = strMessage.lastIndexOf(QLatin1Char('}'));
    if (nLastClose >= 0)
        strMessage.remove(nLastClose, 1);
    else
        strMessage.chop(1);

    QString strNested;
    const int f = strMessage.indexOf(QLatin1Char('{'));
    if (f >= 0) {
        int l = strMessage.lastIndexOf(QLatin1Char('}'));
        if (l < f) // no closing brace after it: the nested text runs to the end
            l = strMessage.size() - 1;
        strNested = strMessage.mid(f, l - f + 1);
        strMessage.remove(f, l - f + 1);
        strMessage.insert(f, QLatin1Char('"') + strPlaceholder + QLatin1Char('"'));
    }

    const QStringList lstParts = strMessage.split(QLatin1Char(','));
    for (QString strPart : lstParts) {
        strPart.remove(QLatin1Char('"'));
        const int nColon = strPart.indexOf(QLatin1Char(':'));
        const QString strKey = nColon >= 0 ? strPart.left(nColon) : strPart;
        QString strValue = nColon >= 0 ? strPart.mid(nColon + 1) : strPart;
        if (f >= 0 && strValue == strPlaceholder)
            strValue = strNested;
        result.insert(strKey, strValue);
    }
    return result;
}

QString rewriteArrayTargets(QString strMessage)
{
    const QString strTarget = QStringLiteral("\"target\":");
    const QString strNestedTarget = QStringLiteral("\"target\":\"{");
    if (strMessage.contains(QLatin1String("settingMutilScreen"))) {
        strMessage.replace(strTarget, strNestedTarget);
        // Without "}]," lastIndexOf gives -1 and the text goes in at position 1.
        strMessage.insert(strMessage.lastIndexOf(QLatin1String("}],")) + 2, QLatin1String("}\""));
    }
    if (strMessage.contains(QLatin1String("initLiveRoom")) &&
        strMessage.contains(QLatin1Char('['))) {
        strMessage.replace(strTarget, strNestedTarget);
        strMessage.insert(strMessage.lastIndexOf(QLatin1String("}]")) + 2, QLatin1Char('}'));
    }
    return strMessage;
}
