#include "velmaskaddress.h"

// No static objects here: the diagnostic log masks messages that may arrive
// after static destruction.
namespace
{

const QLatin1String kSchemeEnd("://");
const QLatin1String kMask("***");

bool endsUrlAuthority(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('?') || c == QLatin1Char('#');
}

bool endsTextAuthority(QChar c)
{
    if (endsUrlAuthority(c) || c.isSpace() || c.unicode() < 0x20)
        return true;
    switch (c.unicode()) {
    case '"':
    case '\'':
    case ',':
    case '<':
    case '>':
    case '{':
    case '}':
    case '\\':
        return true;
    default:
        return false;
    }
}

// Appends the address whose authority starts at nStart to strOut, its
// password masked; returns where scanning goes on. Linear in the authority,
// so a hostile message of many addresses costs no more than its length.
int appendAuthority(const QString& strText, int nStart, bool (*fnEnds)(QChar), QString& strOut)
{
    int nEnd = nStart;
    while (nEnd < strText.size() && !fnEnds(strText.at(nEnd)))
        ++nEnd;
    const QStringRef authority = strText.midRef(nStart, nEnd - nStart);
    const int nAt = authority.lastIndexOf(QLatin1Char('@'));
    const int nColon = nAt > 0 ? authority.left(nAt).indexOf(QLatin1Char(':')) : -1;
    if (nColon < 0 || nColon + 1 == nAt) {
        strOut += authority;
        return nEnd;
    }
    strOut += authority.left(nColon + 1);
    strOut += kMask;
    strOut += authority.mid(nAt);
    return nEnd;
}

QString maskAll(const QString& strText, bool (*fnEnds)(QChar))
{
    int nScheme = strText.indexOf(kSchemeEnd);
    if (nScheme < 0)
        return strText;
    QString strOut;
    strOut.reserve(strText.size());
    int nFrom = 0;
    while (nScheme >= 0) {
        const int nStart = nScheme + kSchemeEnd.size();
        strOut += strText.midRef(nFrom, nStart - nFrom);
        nFrom = appendAuthority(strText, nStart, fnEnds, strOut);
        nScheme = strText.indexOf(kSchemeEnd, nFrom);
    }
    strOut += strText.midRef(nFrom);
    return strOut;
}

} // namespace

QString velMaskUrl(const QString& strUrl)
{
    // An address in the query is masked as well, though FFmpeg ignores it.
    return maskAll(strUrl, &endsUrlAuthority);
}

QString velMaskAddresses(const QString& strText)
{
    return maskAll(strText, &endsTextAuthority);
}
