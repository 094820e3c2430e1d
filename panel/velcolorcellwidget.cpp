#include "velcolorcellwidget.h"

#include "velcolordisplaybutton.h"

#include <QPixmap>

namespace
{

const char* const kPalette[] = {
    "255,255,255", "255,0,255",   "223,0,36",   "150,0,20",    "255,0,0",     "49,181,115",
    "180,180,180", "200,164,109", "169,131,79", "114,76,33",   "0,159,60",    "0,255,255",
    "129,129,129", "140,102,53",  "91,55,21",   "124,198,35",  "0,168,236",   "0,112,158",
    "75,75,75",    "255,255,0",   "0,255,0",    "136,201,157", "140,204,202", "0,0,255",
    "0,0,0",       "51,42,41",    "118,100,84", "232,100,27",  "239,156,0",   "0,176,52",
};

const char* const kStyle =
    "QListWidget{background: rgba(0, 0, 0, 0)}"
    "QScrollBar:vertical {border: 2px solid grey;background: #32CC99; margin: 22px 0 22px 0;}"
    "QScrollBar::handle:vertical {background: white; border-radius: 5px}"
    "QScrollBar::handle:vertical:pressed {background: #EEEEEE; border-radius: 5px}"
    "QScrollBar::add-line:vertical {border: 2px solid grey; background: #32CC99; height: 20px; "
    "subcontrol-position: bottom; subcontrol-origin: margin;}"
    "QScrollBar::sub-line:vertical {border: 2px solid grey; background: #32CC99; height: 20px; "
    "subcontrol-position: top; subcontrol-origin: margin;}"
    "QScrollBar::up-arrow:vertical, QScrollBar::down-arrow:vertical {width: 6px; height: 6px; "
    "border-radius: 3px; background: white}"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical {background: none;}";

QColor colorFromText(const QString& strRgb)
{
    return QColor(strRgb.section(',', 0, 0).toInt(), strRgb.section(',', 1, 1).toInt(),
                  strRgb.section(',', 2, 2).toInt(), 255);
}

} // namespace

VelColorCellWidget::VelColorCellWidget(VelColorDisplayButton* owner) : QListWidget(owner)
{
    setViewMode(QListView::IconMode);
    setResizeMode(QListView::Adjust);
    setFixedSize(212, 197);
    setStyleSheet(QLatin1String(kStyle));
    // Picked with the mouse only. Taking focus when the pop-up opens would make
    // the first cell current, and a reopened palette must show no current cell.
    setFocusPolicy(Qt::NoFocus);

    for (const char* szRgb : kPalette) {
        const QString strRgb = QLatin1String(szRgb);
        QPixmap swatch(32, 32);
        swatch.fill(colorFromText(strRgb));
        auto* pItem = new QListWidgetItem;
        pItem->setIcon(QIcon(swatch));
        pItem->setData(Qt::AccessibleDescriptionRole, strRgb);
        addItem(pItem);
    }
}
