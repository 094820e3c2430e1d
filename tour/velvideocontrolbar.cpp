#include "velvideocontrolbar.h"

#include "velpushbutton.h"

#include <QHBoxLayout>
#include <QLabel>

VelVideoControlBar::VelVideoControlBar(QWidget* parent) : QFrame(parent)
{
    m_pChannelLabel = new QLabel(tr("一年级四班"), this);
    m_pChannelLabel->setStyleSheet(QStringLiteral("color: white"));
    m_pPtzButton = makeButton("wm_ptz", "云台", false);
    m_pSnapshotButton = makeButton("wm_snapshot", "截图", false);
    m_pRecordButton = makeButton("wm_record", "录制", true);
    m_pAudioButton = makeButton("wm_audio", "声音", true);

    // The images alone show on and off: a checked flat button would also
    // draw its highlighted panel under the image.
    setStyleSheet(QStringLiteral("QPushButton{border: 0px; background: transparent}"));

    m_pLayout = new QHBoxLayout(this);
    m_pLayout->setContentsMargins(10, 0, 10, 0);
    m_pLayout->addWidget(m_pChannelLabel);
    m_pLayout->addStretch();
    m_pLayout->addWidget(m_pPtzButton);
    m_pLayout->addWidget(m_pSnapshotButton);
    m_pLayout->addWidget(m_pRecordButton);
    m_pLayout->addWidget(m_pAudioButton);

    connect(m_pPtzButton, &QPushButton::clicked, this, &VelVideoControlBar::sigPtzClicked);
    connect(m_pSnapshotButton, &QPushButton::clicked, this,
            &VelVideoControlBar::sigSnapshotClicked);
    connect(m_pRecordButton, &QPushButton::clicked, this, &VelVideoControlBar::RecordClick);
    connect(m_pAudioButton, &QPushButton::clicked, this, &VelVideoControlBar::AudioClick);
}

VelPushButton* VelVideoControlBar::makeButton(const char* szImage, const char* szToolTip,
                                              bool bTwoState)
{
    const QString strBase = QStringLiteral(":resource/") + QLatin1String(szImage);
    auto* pButton = new VelPushButton(this, QIcon(strBase + QStringLiteral("0.png")),
                                      QIcon(strBase + QStringLiteral("1.png")));
    pButton->setFixedSize(39, 33);
    pButton->setIconSize(QSize(39, 33));
    pButton->setToolTip(tr(szToolTip));
    pButton->setFocusPolicy(Qt::NoFocus);
    if (bTwoState) {
        pButton->setCheckable(true);
        pButton->setToggleMode(true);
    }
    return pButton;
}

void VelVideoControlBar::SetChannelName(const QString& strName)
{
    m_pChannelLabel->setText(strName);
}

QString VelVideoControlBar::channelName() const
{
    return m_pChannelLabel->text();
}

VelPushButton* VelVideoControlBar::button(const QString& strKey) const
{
    if (strKey == QLatin1String("ptz"))
        return m_pPtzButton;
    if (strKey == QLatin1String("snapshot"))
        return m_pSnapshotButton;
    if (strKey == QLatin1String("record"))
        return m_pRecordButton;
    if (strKey == QLatin1String("audio"))
        return m_pAudioButton;
    return nullptr;
}

void VelVideoControlBar::setRecordState(bool bOn)
{
    m_pRecordButton->setChecked(bOn);
    m_pRecordButton->setButtonState(bOn);
}

void VelVideoControlBar::setAudioState(bool bOn)
{
    const bool bShown = bOn && m_bAudioDeviceOpen;
    m_pAudioButton->setChecked(bShown);
    m_pAudioButton->setButtonState(bShown);
}

void VelVideoControlBar::setAudioDeviceOpen(bool bOpen)
{
    m_bAudioDeviceOpen = bOpen;
    m_pAudioButton->setToolTip(bOpen ? tr("声音") : tr("没有可用的声音设备, 无法播放声音"));
    if (!bOpen)
        setAudioState(false);
}

bool VelVideoControlBar::recordState() const
{
    return m_pRecordButton->buttonState();
}

bool VelVideoControlBar::audioState() const
{
    return m_pAudioButton->buttonState();
}

// The button has flipped its state when clicked() arrives.
void VelVideoControlBar::RecordClick()
{
    emit Record(m_pRecordButton->buttonState());
}

void VelVideoControlBar::AudioClick()
{
    emit Audio(m_pAudioButton->buttonState());
}

void VelVideoControlBar::paintEvent(QPaintEvent* e)
{
    m_painter.begin(this);
    m_painter.fillRect(rect(), QColor(155, 155, 155, 200));
    m_painter.end();
    QFrame::paintEvent(e);
}
