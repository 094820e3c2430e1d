#include "output/velrecordtypewidget.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

VelRecordTypeWidget::VelRecordTypeWidget(QWidget* parent) : QWidget(parent)
{
    m_pRecordButton = new QRadioButton(tr("录制"), this);
    m_pRecordButton->setObjectName(QStringLiteral("workingModeRecording"));
    m_pRecordButton->setChecked(true);
    m_pLiveButton = new QRadioButton(tr("直播"), this);
    m_pLiveButton->setObjectName(QStringLiteral("workingModeLiveCasting"));
    m_pBothButton = new QRadioButton(tr("录制 + 直播"), this);
    m_pBothButton->setObjectName(QStringLiteral("workingModeRecordingAndLivecast"));

    m_pButtonGroup = new QButtonGroup(this);
    m_pButtonGroup->setExclusive(true);
    m_pLayout = new QVBoxLayout;
    for (QRadioButton* pButton : {m_pRecordButton, m_pLiveButton, m_pBothButton}) {
        m_pButtonGroup->addButton(pButton);
        m_pLayout->addWidget(pButton);
    }
    setLayout(m_pLayout);
    m_pCurrentButton = m_pRecordButton;

    connect(m_pButtonGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &VelRecordTypeWidget::sltButtonChecked);
}

void VelRecordTypeWidget::sltButtonChecked(QAbstractButton* pbtn)
{
    if (!pbtn || pbtn->objectName() == m_pCurrentButton->objectName())
        return;
    m_pCurrentButton = pbtn;
    emit sigButtonChecked(pbtn);
}

void VelRecordTypeWidget::setWorkingMode(const QString& strMode)
{
    setObjectName(QStringLiteral("flag"));
    m_pButtonGroup->setExclusive(false);
    for (QAbstractButton* pButton : m_pButtonGroup->buttons()) {
        if (pButton->objectName() != strMode)
            continue;
        if (QAbstractButton* pChecked = m_pButtonGroup->checkedButton())
            pChecked->setChecked(false);
        m_pCurrentButton = pButton;
        pButton->setChecked(true);
        emit sigButtonChecked(pButton);
        break;
    }
    m_pButtonGroup->setExclusive(true);
    setObjectName(QString());
}
