#include "dialogs/veltailsettingwidget.h"

#include "dialogs/velformstyle.h"
#include "vellineedit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace
{

VelClipSettingPage::Texts tailTexts()
{
    return {QStringLiteral("curtainName"),
            QStringLiteral("curtain"),
            VelTailSettingWidget::tr("* 片尾时长"),
            VelTailSettingWidget::tr("启用片尾"),
            VelTailSettingWidget::tr("采样率应设为 8000 ~ 44100"),
            5};
}

} // namespace

VelTailSettingWidget::VelTailSettingWidget(QWidget* parent)
    : VelClipSettingPage(tailTexts(), parent)
{
    auto* pBlock = new QWidget(this);
    auto* pColumn = new QVBoxLayout(pBlock);
    pColumn->setContentsMargins(0, 0, 0, 0);
    auto addRow = [pBlock, pColumn](const QString& strLabel) {
        auto* pEdit = new VelLineEdit(pBlock, 22);
        pEdit->setMinimumWidth(250);
        pEdit->setMinimumHeight(25);
        auto* pRow = new QHBoxLayout;
        pRow->addWidget(velFormLabel(strLabel, 70, false, pBlock));
        pRow->addWidget(pEdit);
        pRow->addStretch();
        pColumn->addLayout(pRow);
        return pEdit;
    };
    m_pProduction = addRow(tr("制作单位"));
    m_pCopyright = addRow(tr("版权单位"));
    m_pDate = addRow(tr("录制时间"));
    pColumn->addSpacing(30);
    insertBlock(pBlock, false);
    // Takes the room of the settings rows that hide with it.
    insertBlock(new QWidget(this), true);
}

void VelTailSettingWidget::addOwnSettings(QMap<QString, QString>& map) const
{
    map[QStringLiteral("production")] = m_pProduction->text();
    map[QStringLiteral("copyright")] = m_pCopyright->text();
    map[QStringLiteral("date")] = m_pDate->text();
}

void VelTailSettingWidget::fillOwn(const QMap<QString, QString>& mapSettings)
{
    m_pProduction->setText(mapSettings.value(QStringLiteral("production")));
    m_pCopyright->setText(mapSettings.value(QStringLiteral("copyright")));
    m_pDate->setText(mapSettings.value(QStringLiteral("date")));
}

void VelTailSettingWidget::clearOwn()
{
    m_pProduction->clear();
    m_pCopyright->clear();
    m_pDate->clear();
}
