#include "output/vellivesettingwidget.h"

#include "dialogs/velformstyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

VelLiveSettingWidget::VelLiveSettingWidget(const QStringList& lstRooms, QWidget* parent)
    : VelDialogContent(parent)
{
    m_pCheckBox = new QCheckBox(this);
    m_pCheckBox->hide();

    m_pMessageLabel = new QLabel(this);
    m_pMessageLabel->setWordWrap(true);
    m_pMessageLabel->setAlignment(Qt::AlignHCenter);
    m_pMessageLabel->setFixedHeight(100);

    m_pRoomBox = new QComboBox(this);
    m_pRoomBox->setFixedWidth(200);
    m_pRoomBox->addItems(lstRooms);
    m_pRoomBox->setStyleSheet(velComboStyle());
    velUseStyledComboList(m_pRoomBox);

    if (lstRooms.isEmpty()) {
        m_pMessageLabel->setText(tr("\r\n\r\n目前还没有直播间可以使用\r\n\r\n"
                                    "请登录教育视频资源平台创建直播间"));
        m_pRoomBox->hide();
    } else {
        m_pMessageLabel->setText(tr("\r\n\r\n请选择一个直播间, 进行视频直播"));
    }

    auto* pLayout = new QVBoxLayout;
    pLayout->addWidget(m_pCheckBox, 4, Qt::AlignHCenter);
    pLayout->addWidget(m_pMessageLabel, 4);
    pLayout->addWidget(m_pRoomBox, 4, Qt::AlignHCenter);
    setLayout(pLayout);
    setFixedWidth(300);
}

int VelLiveSettingWidget::checkAccept()
{
    m_strSelectedRoom = m_pRoomBox->currentText();
    return 1;
}

void VelLiveSettingWidget::setCheckBoxText(const QString& strText)
{
    m_pCheckBox->setText(strText);
}

void VelLiveSettingWidget::setCheckBoxMode(bool bCheckBox)
{
    m_pCheckBox->setVisible(bCheckBox);
    m_pMessageLabel->setVisible(!bCheckBox);
    m_pRoomBox->setVisible(!bCheckBox);
}

bool VelLiveSettingWidget::isCheckBoxChecked() const
{
    return m_pCheckBox->isChecked();
}

QString VelLiveSettingWidget::message() const
{
    return m_pMessageLabel->text();
}
