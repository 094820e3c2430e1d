#include "dialogs/velcaptionswidget.h"

#include "dialogs/velformstyle.h"
#include "velcolordisplaybutton.h"
#include "velcommand.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextEdit>
#include <QVBoxLayout>

namespace
{

VelColorDisplayButton* colourButton(const QString& strIcon, QWidget* parent)
{
    auto* pButton = new VelColorDisplayButton(parent);
    pButton->setFixedSize(24, 24);
    pButton->setIcon(QIcon(strIcon));
    pButton->setIconSize(QSize(24, 24));
    return pButton;
}

} // namespace

VelCaptionsWidget::VelCaptionsWidget(QWidget* parent) : VelDialogContent(parent)
{
    m_pFontSize = new QComboBox(this);
    m_pFontSize->setFixedSize(50, 24);
    m_pFontSize->addItems({QStringLiteral("10"), QStringLiteral("14"), QStringLiteral("16"),
                           QStringLiteral("20"), QStringLiteral("32")});
    m_pTextColor = colourButton(QStringLiteral(":/resource/CV_TEXT_COLOR.png"), this);
    m_pBackgroundColor = colourButton(QStringLiteral(":/resource/CV_BACKGROUND_COLOR.png"), this);
    m_pPosition = new QComboBox(this);
    m_pPosition->setFixedSize(60, 24);
    m_pPosition->addItems({tr("顶部"), tr("底部")});
    m_pCaption = new QTextEdit(this);

    auto* pRow = new QHBoxLayout;
    pRow->setSpacing(0);
    pRow->addSpacing(10);
    pRow->addWidget(m_pFontSize);
    pRow->addSpacing(10);
    pRow->addWidget(m_pTextColor);
    pRow->addSpacing(10);
    pRow->addWidget(new QLabel(tr("背景颜色"), this));
    pRow->addSpacing(4);
    pRow->addWidget(m_pBackgroundColor);
    pRow->addSpacing(10);
    pRow->addWidget(new QLabel(tr("位置"), this));
    pRow->addSpacing(4);
    pRow->addWidget(m_pPosition);
    pRow->addSpacing(10);
    pRow->addStretch();
    auto* pTextRow = new QHBoxLayout;
    pTextRow->setContentsMargins(10, 0, 10, 0);
    pTextRow->addWidget(m_pCaption);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 10, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addLayout(pRow);
    pLayout->addSpacing(5);
    pLayout->addLayout(pTextRow);

    m_pFontSize->setStyleSheet(velComboStyle());
    m_pPosition->setStyleSheet(velComboStyle());
    velUseStyledComboList(m_pFontSize);
    velUseStyledComboList(m_pPosition);
    m_pCaption->setStyleSheet(QStringLiteral("QTextEdit{border: 1px solid grey}"
                                             "QTextEdit:focus{border: 2px solid rgb(39, 183, "
                                             "121)}"));

    connect(m_pTextColor, &VelColorDisplayButton::sigColorChanged, this,
            &VelCaptionsWidget::sltTextColorChanged);
    connect(m_pBackgroundColor, &VelColorDisplayButton::sigColorChanged, this,
            &VelCaptionsWidget::sltBackGroundColorChanged);
}

int VelCaptionsWidget::checkAccept()
{
    QMap<QString, QString> target;
    target[QStringLiteral("subTitleName")] = m_pCaption->toPlainText();
    target[QStringLiteral("fontSize")] = m_pFontSize->currentText();
    target[QStringLiteral("fontColor")] = m_pTextColor->color().name();
    target[QStringLiteral("backColor")] = m_pBackgroundColor->color().name();
    target[QStringLiteral("transparency")] = QStringLiteral("0.8");
    target[QStringLiteral("startTime")] = QStringLiteral("15");
    target[QStringLiteral("duration")] = QStringLiteral("2");
    QMap<QString, QString> command;
    command[QStringLiteral("requestParam")] = QStringLiteral("subTile");
    command[QStringLiteral("event")] = QString();
    command[QStringLiteral("token")] = QString();
    command[QStringLiteral("target")] = formatCommand(target);
    emit sigSendCommand(command);
    return 1;
}

void VelCaptionsWidget::sltTextColorChanged(QColor color)
{
    Q_UNUSED(color)
}

void VelCaptionsWidget::sltBackGroundColorChanged(QColor color)
{
    Q_UNUSED(color)
}
