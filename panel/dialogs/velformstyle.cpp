#include "dialogs/velformstyle.h"

#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QStyledItemDelegate>

namespace
{

// "%1" stands for the resource root so that the same text serves a file path.
const char* const kComboStyle =
    "QComboBox{background: white; border: 1px solid grey; border-radius: 0px}"
    "QComboBox::drop-down{border: 0px; width: 20px}"
    "QComboBox::down-arrow{image: url(%1/resource/CV_COMBOBOX_DOWNARROW_SLIENT.png)}"
    "QComboBox::down-arrow:on{image: url(%1/resource/CV_COMBOBOX_DOWNARROW_PRESS.png)}"
    "QComboBox QAbstractItemView{background: white; border: 1px solid grey; "
    "selection-background-color: rgb(39, 183, 121); selection-color: white}"
    "QComboBox QAbstractItemView::item{min-height: 22px; padding-left: 3px}";

const char* const kClipFormStyle =
    "QGroupBox {border: 2px solid gray;border-radius: 5px;margin-top: 1ex;background: white}"
    "QLineEdit{border: 1px solid gray; border-radius: 0px; background: white; "
    "selection-background-color: rgb(39, 183, 121)}"
    "QLineEdit:focus{border: 2px solid rgb(39, 183, 121)}"
    "QLineEdit:disabled{background: rgb(245, 245, 245); color: gray}"
    "QRadioButton::indicator:unchecked{image: url(%1/resource/CV_RADIOBUTTON_UNCHECKED.png)}"
    "QRadioButton::indicator:checked{image: url(%1/resource/CV_RADIOBUTTON_CHECKED.png)}"
    "QPushButton{background: white; border-radius: 3px; border: 1px solid gray}"
    "QPushButton:hover{color: rgb(39, 183, 121)}"
    "QPushButton:pressed{background: rgb(40, 183, 121); color: white}";

const char* const kScrollBarStyle =
    "QScrollBar:vertical {border: 2px solid grey;background: #32CC99; margin: 22px 0 22px 0;}"
    "QScrollBar::handle:vertical {background: white; border-radius: 5px}"
    "QScrollBar::handle:vertical:pressed {background: #EEEEEE; border-radius: 5px}"
    "QScrollBar::add-line:vertical {border: 2px solid grey; background: #32CC99; height: 20px; "
    "subcontrol-position: bottom; subcontrol-origin: margin;}"
    "QScrollBar::sub-line:vertical {border: 2px solid grey; background: #32CC99; height: 20px; "
    "subcontrol-position: top; subcontrol-origin: margin;}"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical {background: none;}";

} // namespace

QString velComboStyle()
{
    return QString::fromLatin1(kComboStyle).arg(QStringLiteral(":"));
}

void velUseStyledComboList(QComboBox* pBox)
{
    pBox->setItemDelegate(new QStyledItemDelegate(pBox));
}

QString velClipFormStyle()
{
    return QString::fromLatin1(kClipFormStyle).arg(QStringLiteral(":")) + velComboStyle();
}

QString velGreenScrollBarStyle()
{
    return QString::fromLatin1(kScrollBarStyle);
}

QLabel* velFormLabel(const QString& strText, int nWidth, bool bBold, QWidget* parent)
{
    auto* pLabel = new QLabel(strText, parent);
    pLabel->setFixedWidth(nWidth);
    pLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (bBold) {
        QFont font = pLabel->font();
        font.setWeight(75);
        pLabel->setFont(font);
    }
    return pLabel;
}
