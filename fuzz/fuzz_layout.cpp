// The layout scanner under arbitrary text: a "settingMutilScreen" answer's
// target read into layouts and their cells must neither crash nor hang nor
// give geometry a widget cannot hold, a well-formed answer must come back as
// it went, and a preview (a live widget, offscreen) must take the cells.
#include "layout/velscreenlayoutpreviewwidget.h"
#include "layout/velscreenlayoutscan.h"
#include "velcommand.h"

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr int kRoundTripChars = 4096;

QApplication* s_pApp = nullptr;
VelScreenLayoutPreviewWidget* s_pPreview = nullptr;

void check(bool bOk, const char* szWhat)
{
    if (!bOk) {
        std::fprintf(stderr, "fuzz_layout: %s\n", szWhat);
        std::abort();
    }
}

// Text the answer can carry: none of its reserved characters or keys.
QString safe(QString strText)
{
    static const QString kReserved = QStringLiteral("{}[]\",:");
    for (QChar c : kReserved)
        strText.remove(c);
    // Until none is left: taking one key out can join the text around it
    // into another ("layou" + "initLiveRoom" + "tId").
    const QLatin1String kKeys[] = {QLatin1String("layoutId"), QLatin1String("tokens"),
                                   QLatin1String("initLiveRoom")};
    for (bool bRemoved = true; bRemoved;) {
        bRemoved = false;
        for (const QLatin1String strKey : kKeys) {
            if (strText.contains(strKey)) {
                strText.remove(strKey);
                bRemoved = true;
            }
        }
    }
    return strText;
}

// A layout a line: its id, then cell names split at tabs; the n-th cell at
// n * 64 units (one preview pixel) in each coordinate.
void roundTrip(const QString& strInput)
{
    QStringList lstLayouts;
    QList<QStringList> expected;
    const QStringList lstLines = strInput.split(QLatin1Char('\n'));
    for (const QString& strLine : lstLines) {
        QStringList lstFields = strLine.split(QLatin1Char('\t'));
        for (QString& strField : lstFields)
            strField = safe(strField);
        QStringList lstCells;
        for (int i = 1; i < lstFields.size(); ++i)
            lstCells << QStringLiteral("{\"tokenNames\":\"%1\",\"tokenId\":\"t%2\",\"left\":\"%2\","
                                       "\"top\":\"%2\",\"width\":\"%2\",\"height\":\"%2\"}")
                            .arg(lstFields.at(i), QString::number(i * 64));
        lstLayouts << QStringLiteral("{\"layoutId\":\"%1\",\"tokens\":[%2]}")
                          .arg(lstFields.first(), lstCells.join(QLatin1Char(',')));
        expected << lstFields;
    }
    const QString strMessage =
        QStringLiteral("{\"requestParam\":\"settingMutilScreen\",\"event\":\"\",\"target\":[%1],"
                       "\"token\":\"\"}")
            .arg(lstLayouts.join(QLatin1Char(',')));
    const QString strTarget =
        parseCommand(rewriteArrayTargets(strMessage)).value(QStringLiteral("target"));
    const QList<VelScreenLayoutEntry> layouts = velScreenLayoutsFromTarget(strTarget);
    // Layouts and cells past the bounds are not read.
    check(layouts.size() == qMin(expected.size(), kMaxScreenLayouts), "round trip: layout count");
    for (int n = 0; n < layouts.size(); ++n) {
        check(layouts.at(n).strId == expected.at(n).first(), "round trip: layout id");
        const QList<VelScreenCellEntry> cells = velScreenCellsFromTokens(layouts.at(n).strCells);
        check(cells.size() == qMin(expected.at(n).size() - 1, kMaxScreenCells),
              "round trip: cell count");
        for (int i = 0; i < cells.size(); ++i) {
            check(cells.at(i).strName == expected.at(n).at(i + 1), "round trip: cell name");
            check(cells.at(i).strToken == QStringLiteral("t%1").arg((i + 1) * 64),
                  "round trip: cell token");
            check(cells.at(i).geometry == QRect(i + 1, i + 1, i + 1, i + 1),
                  "round trip: cell geometry");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    s_pApp = new QApplication(*pArgc, *pArgv);
    s_pPreview = new VelScreenLayoutPreviewWidget(nullptr);
    s_pPreview->show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const QString strInput = QString::fromUtf8(reinterpret_cast<const char*>(pData), int(nSize));
    // The input as the target itself, and as a whole message.
    QString strWidgetCells;
    for (const QString& strTarget :
         {strInput, parseCommand(rewriteArrayTargets(strInput)).value(QStringLiteral("target"))}) {
        const QList<VelScreenLayoutEntry> layouts = velScreenLayoutsFromTarget(strTarget);
        for (const VelScreenLayoutEntry& layout : layouts) {
            for (const VelScreenCellEntry& cell : velScreenCellsFromTokens(layout.strCells)) {
                const QRect& r = cell.geometry;
                check(qAbs(qint64(r.x())) <= QWIDGETSIZE_MAX &&
                          qAbs(qint64(r.y())) <= QWIDGETSIZE_MAX &&
                          qAbs(qint64(r.width())) <= QWIDGETSIZE_MAX + 1 &&
                          qAbs(qint64(r.height())) <= QWIDGETSIZE_MAX + 1,
                      "cell geometry a widget cannot hold");
            }
        }
        if (!layouts.isEmpty())
            strWidgetCells = layouts.first().strCells;
    }
    // The widget takes the first layout's cells once an input (the message's if
    // it has any) and a bounded few: each cell is a widget, and building them
    // would cost more than all the scanning.
    if (strWidgetCells.count(QLatin1Char('{')) <= 8)
        s_pPreview->setCells(strWidgetCells);
    // The round trip checks the format, not its speed on long text.
    roundTrip(strInput.left(kRoundTripChars));
    return 0;
}
