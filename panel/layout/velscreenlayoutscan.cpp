#include "layout/velscreenlayoutscan.h"

#include "velcommand.h"

#include <algorithm>
#include <cmath>

namespace
{

// Widgets hold at most this many pixels a side (QWIDGETSIZE_MAX).
constexpr double kMaxPixels = (1 << 24) - 1;

// Layout data counts in 64ths of a preview pixel.
int previewPixels(const QString& strValue)
{
    bool bOk = false;
    const double dValue = std::ceil(strValue.toDouble(&bOk) / 64.0);
    // Text such as "nan" or "1e300" is read as a number too.
    if (!bOk || std::isnan(dValue))
        return 0;
    return int(qBound(-kMaxPixels, dValue, kMaxPixels));
}

} // namespace

QList<VelScreenLayoutEntry> velScreenLayoutsFromTarget(const QString& strTarget)
{
    QList<VelScreenLayoutEntry> layouts;
    const QString strText = strTarget.mid(2, strTarget.size() - 4);
    int a = 0;
    int b = 0;
    while (layouts.size() < kMaxScreenLayouts) {
        a = strText.indexOf(QLatin1String("layoutId"), a);
        b = strText.indexOf(QLatin1String("tokens"), b);
        if (a < 0 || b < 0)
            break;
        // Past the key, its closing quote, the colon and the opening quote.
        const int nIdEnd = strText.indexOf(QLatin1Char('"'), a + 11);
        const QString strId = strText.mid(a + 11, nIdEnd < 0 ? -1 : nIdEnd - a - 11);
        const int nCellsEnd = strText.indexOf(QLatin1Char(']'), b + 8);
        const QString strCells = strText.mid(b + 8, nCellsEnd < 0 ? -1 : nCellsEnd - b - 7);
        layouts.append({strId, strCells});
        // The next keys come after these values: texts never overlap, which
        // kept long answers without ']' quadratic in time and memory.
        a = nIdEnd < 0 ? strText.size() : std::max(a + 1, nIdEnd);
        b = nCellsEnd < 0 ? strText.size() : std::max(b + 1, nCellsEnd);
    }
    return layouts;
}

QList<VelScreenCellEntry> velScreenCellsFromTokens(const QString& strCells)
{
    QList<VelScreenCellEntry> cells;
    const QString strText = strCells.mid(1, strCells.size() - 2);
    int nFrom = 0;
    while (cells.size() < kMaxScreenCells) {
        const int nOpen = strText.indexOf(QLatin1Char('{'), nFrom);
        if (nOpen < 0)
            break;
        const int nClose = strText.indexOf(QLatin1Char('}'), nOpen + 1);
        if (nClose < 0)
            break;
        const CommandMap cell = parseCommand(strText.mid(nOpen, nClose - nOpen + 1));
        const QRect geometry(previewPixels(cell.value(QStringLiteral("left"))),
                             previewPixels(cell.value(QStringLiteral("top"))),
                             previewPixels(cell.value(QStringLiteral("width"))),
                             previewPixels(cell.value(QStringLiteral("height"))));
        cells.append({cell.value(QStringLiteral("tokenNames")),
                      cell.value(QStringLiteral("tokenId")), geometry});
        nFrom = nClose;
    }
    return cells;
}
