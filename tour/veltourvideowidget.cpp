#include "veltourvideowidget.h"

#include "crtspplayer.h"
#include "recordthread.h"
#include "velcloudsettingwidget.h"
#include "veldiaglog.h"
#include "velmaskaddress.h"
#include "velpopcontainer.h"
#include "velpushbutton.h"
#include "velsavedialog.h"
#include "velvideocontrolbar.h"

#include <QAbstractButton>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QtDebug>

namespace
{

const int kFallbackRect[4] = {0, 0, 1920, 1080};
// Long enough to read a short line, short enough not to hide the picture.
constexpr int kNoticeMs = 6000;

// A JSON string's content: the page parses the event text, so quotes,
// backslashes and control characters must not end up in it raw.
QString jsonEscaped(const QString& strValue)
{
    QString strResult;
    strResult.reserve(strValue.size());
    for (const QChar c : strValue) {
        switch (c.unicode()) {
        case '"':
            strResult += QLatin1String("\\\"");
            break;
        case '\\':
            strResult += QLatin1String("\\\\");
            break;
        case '\n':
            strResult += QLatin1String("\\n");
            break;
        case '\r':
            strResult += QLatin1String("\\r");
            break;
        case '\t':
            strResult += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                strResult += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                strResult += c;
        }
    }
    return strResult;
}

} // namespace

VelTourVideoWidget::VelTourVideoWidget(QWidget* parent) : VelVideoLabel(parent)
{
    m_pControlBar = new VelVideoControlBar(this);
    m_pControlBar->setFixedHeight(44);
    m_pControlBar->hide();
    m_pPtzPad = new VelCloudSettingWidget(this);
    m_pPtzPad->hide();

    m_pNotice = new QLabel(this);
    m_pNotice->setObjectName(QStringLiteral("recordNotice"));
    m_pNotice->setStyleSheet(QStringLiteral(
        "color: white; background: rgba(0, 0, 0, 160); padding: 4px 10px; border-radius: 4px"));
    m_pNotice->hide();
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, m_pNotice, &QWidget::hide);

    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pLayout->addStretch();
    m_pLayout->addWidget(m_pNotice, 0, Qt::AlignHCenter);
    m_pLayout->addWidget(m_pControlBar);

    connect(m_pControlBar, &VelVideoControlBar::sigPtzClicked, this,
            &VelTourVideoWidget::ptzControl);
    connect(m_pControlBar, &VelVideoControlBar::sigSnapshotClicked, this,
            &VelTourVideoWidget::snapshot);
    connect(m_pControlBar, &VelVideoControlBar::Record, this, &VelTourVideoWidget::record);
    connect(m_pControlBar, &VelVideoControlBar::Audio, this, &VelTourVideoWidget::audioPlay);
    connect(m_pPtzPad, &VelCloudSettingWidget::sigButtonPressed, this,
            &VelTourVideoWidget::sltButtonPressed);
    connect(m_pPtzPad, &VelCloudSettingWidget::sigButtonReleased, this,
            &VelTourVideoWidget::sltButtonReleased);
}

VelTourVideoWidget::~VelTourVideoWidget()
{
    // A held PTZ button is let go while the bar still names the channel.
    m_pPtzPad->releasePressed();
    // The player's threads call into this label: they go before any member.
    SetPlayer(nullptr);
    dropRecorder();
    delete m_pControlBar;
    m_pControlBar = nullptr;
    // The pad lives in the pop-up once there is one.
    delete m_pPtzPopup;
    m_pPtzPopup = nullptr;
}

void VelTourVideoWidget::Play(QString address)
{
    if (!address.contains(QLatin1String("rtsp")) && !address.contains(QLatin1String("rtp")))
        return;
    SetPlayer(nullptr);
    auto* pPlayer = new CRTSPPlayer(this, kFallbackRect);
    SetPlayer(pPlayer);
    // A new player starts without sound; the button must not claim otherwise.
    m_pControlBar->setAudioState(false);
    if (debugMode) {
        // The box's nested loop may delete this widget and its player: the box
        // is not our child, and nothing of ours is touched when we are gone.
        const QPointer<VelTourVideoWidget> pSelf(this);
        QMessageBox box(QMessageBox::Information, QStringLiteral("open url"), velMaskUrl(address),
                        QMessageBox::Ok);
        box.exec();
        if (!pSelf)
            return;
    }
    pPlayer->SetUrl(address);
    pPlayer->StartPlay();
}

void VelTourVideoWidget::Stop()
{
    if (CRTSPPlayer* pPlayer = GetPlayer()) {
        pPlayer->Restart();
        SetPlayer(nullptr);
    }
    m_pControlBar->setAudioState(false);
}

void VelTourVideoWidget::SetRunMode(int nMode)
{
    m_pControlBar->setVisible(nMode == 2);
}

void VelTourVideoWidget::SetChannelName(QString strName)
{
    m_pControlBar->SetChannelName(strName);
}

void VelTourVideoWidget::SetStreamingUrls(QString strMain, QString strSub)
{
    m_strMainStream = strMain;
    m_strSubStream = strSub;
}

void VelTourVideoWidget::SetPtzEnable(bool bEnable)
{
    m_pControlBar->button(QStringLiteral("ptz"))->setVisible(bEnable);
}

void VelTourVideoWidget::setButtonEnable(QString strKey, bool bVisible)
{
    if (!m_pControlBar)
        return;
    if (VelPushButton* pButton = m_pControlBar->button(strKey))
        pButton->setVisible(bVisible);
}

QImage VelTourVideoWidget::currentPicture()
{
    if (!GetPlayer() || state() != VideoStatePlaying)
        return QImage();
    // The player's last picture at its decoded size, not as shown.
    return GetPlayer()->GetCurrentImage();
}

void VelTourVideoWidget::snapshot()
{
    // The page may delete this view while the dialog is open.
    const QPointer<VelTourVideoWidget> pSelf(this);
    const QString strPath =
        VelSaveDialog::ShowSaveDialog(this, QStringLiteral("snapshot.png"), false);
    if (strPath.isEmpty() || !pSelf)
        return;
    const QImage picture = currentPicture();
    if (picture.isNull())
        return;
    if (!picture.save(strPath))
        qDebug("VelTourVideoWidget: could not save the snapshot %s", qPrintable(strPath));
}

void VelTourVideoWidget::record(bool checked)
{
    if (!checked) {
        // Pressed again at once: the user learns why no file appeared.
        if (m_pRecorder && !dropRecorder())
            showNotice(tr("录像未保存: 没有录到内容"));
        m_pControlBar->setRecordState(false);
        return;
    }
    // A running recording is left alone: no dialog, no second open.
    if (m_pRecorder) {
        m_pControlBar->setRecordState(true);
        return;
    }
    const QPointer<VelTourVideoWidget> pSelf(this);
    const QString strPath = VelSaveDialog::ShowSaveDialog(this, QStringLiteral("record.mp4"), true);
    if (!pSelf)
        return;
    if (!strPath.isEmpty() && GetPlayer())
        startRecorder(strPath);
    m_pControlBar->setRecordState(m_pRecorder != nullptr);
}

// The open happens on the recorder's thread: a camera that does not answer
// cannot freeze the page. A failed open removes the recorder again.
void VelTourVideoWidget::startRecorder(const QString& strPath)
{
    m_pRecorder = new RecordThread;
    const int nGeneration = ++m_nRecorderGeneration;
    connect(
        m_pRecorder, &RecordThread::sigInitFinished, this,
        [this, nGeneration](bool bOk) {
            if (bOk || nGeneration != m_nRecorderGeneration || !m_pRecorder)
                return;
            dropRecorder();
            m_pControlBar->setRecordState(false);
        },
        Qt::QueuedConnection);
    connect(
        m_pRecorder, &RecordThread::sigRecordingEnded, this,
        [this, nGeneration](int nReason) {
            if (nGeneration == m_nRecorderGeneration && m_pRecorder)
                recorderEnded(nReason);
        },
        Qt::QueuedConnection);
    m_pRecorder->StartRecording(GetPlayer()->GetUrl(), strPath);
}

// The recorder stopped by itself and has finished its file already.
void VelTourVideoWidget::recorderEnded(int nReason)
{
    dropRecorder();
    m_pControlBar->setRecordState(false);
    switch (nReason) {
    case RecordThread::EndDiskFull:
        showNotice(tr("录像已停止: 磁盘已满"));
        break;
    case RecordThread::EndWriteFailed:
        showNotice(tr("录像已停止: 无法写入文件"));
        break;
    default:
        showNotice(tr("录像已停止: 摄像机断开"));
        break;
    }
}

bool VelTourVideoWidget::dropRecorder()
{
    if (!m_pRecorder)
        return false;
    ++m_nRecorderGeneration;
    const bool bSaved = m_pRecorder->StopRecording() == RecordThread::ResultSaved;
    delete m_pRecorder;
    m_pRecorder = nullptr;
    return bSaved;
}

void VelTourVideoWidget::showNotice(const QString& strText)
{
    qDebug("VelTourVideoWidget: %s", qPrintable(strText));
    m_pNotice->setText(strText);
    m_pNotice->show();
    m_noticeTimer.start(kNoticeMs);
}

void VelTourVideoWidget::audioPlay(bool checked)
{
    CRTSPPlayer* pPlayer = GetPlayer();
    if (pPlayer)
        pPlayer->SetAudioEnabled(checked);
    if (m_pControlBar) {
        // Without a sound device the button stays off and says why.
        m_pControlBar->setAudioDeviceOpen(!pPlayer || pPlayer->GetAudioDeviceState() !=
                                                          CRTSPPlayer::AudioDeviceFailed);
        m_pControlBar->setAudioState(pPlayer && pPlayer->IsAudioEnabled());
    }
}

void VelTourVideoWidget::ptzControl()
{
    const QPoint cursor = QCursor::pos();
    QScreen* pScreen = QGuiApplication::screenAt(cursor);
    if (!pScreen)
        pScreen = QGuiApplication::primaryScreen();
    const QRect desktop = pScreen ? pScreen->geometry() : QRect(0, 0, 1920, 1080);
    int y = cursor.y();
    if (!m_pPtzPopup) {
        m_pPtzPad->show();
        m_pPtzPopup = new VelPopContainer(nullptr, m_pPtzPad, QString());
        m_pPtzPopup->setBackgroundColor(QColor(120, 120, 120, 255));
        m_pPtzPopup->setPlacementMode(0);
    }
    if (desktop.bottom() - desktop.top() + 1 < y + 100) {
        m_pPtzPopup->setPlacementMode(1);
        y -= 10;
    } else {
        m_pPtzPopup->setPlacementMode(0);
    }
    m_pPtzPopup->popupAt(cursor.x(), y, 95, 95);
    m_pPtzPopup->raise();
}

QString VelTourVideoWidget::ptzEventText(const QString& strToken, const QString& strTarget,
                                         const QString& strEvent)
{
    return QStringLiteral("{\"token\":\"%1\",\"target\":\"%2\",\"event\":\"%3\","
                          "\"requestParam\":\"cloudControl\"}")
        .arg(jsonEscaped(strToken), jsonEscaped(strTarget), jsonEscaped(strEvent));
}

void VelTourVideoWidget::sltButtonPressed(QAbstractButton* pbtn)
{
    emit sigPtzControl(
        ptzEventText(m_pControlBar->channelName(), pbtn->objectName(), QStringLiteral("press")));
}

void VelTourVideoWidget::sltButtonReleased(QAbstractButton* pbtn)
{
    emit sigPtzControl(
        ptzEventText(m_pControlBar->channelName(), pbtn->objectName(), QStringLiteral("release")));
}

void VelTourVideoWidget::paintEvent(QPaintEvent* e)
{
    static const QImage s_noSignal(QStringLiteral(":/resource/CV_OVERVIEWWIDGET_SLIENT.png"));
    m_painter.begin(this);
    m_painter.fillRect(rect(), Qt::black);
    m_painter.drawImage(
        QPoint((width() - s_noSignal.width()) / 2, (height() - s_noSignal.height()) / 2),
        s_noSignal);
    m_painter.end();
    VelVideoLabel::paintEvent(e);
}

// Only in run mode 2, where the bar is shown.
void VelTourVideoWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (m_pControlBar->isHidden()) {
        VelVideoLabel::mouseDoubleClickEvent(e);
        return;
    }
    m_bFullScreen = !m_bFullScreen;
    CRTSPPlayer* pPlayer = GetPlayer();
    if (m_bFullScreen) {
        if (pPlayer && !m_strMainStream.isEmpty() && m_strMainStream != pPlayer->GetUrl()) {
            m_strPreviousAddress = pPlayer->GetUrl();
            replacePlayer(m_strMainStream);
        }
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        showFullScreen();
    } else {
        if (pPlayer && !m_strPreviousAddress.isEmpty() &&
            m_strPreviousAddress != pPlayer->GetUrl()) {
            replacePlayer(m_strPreviousAddress);
            m_strPreviousAddress.clear();
        }
        setWindowFlags(Qt::SubWindow);
        showNormal();
    }
}

void VelTourVideoWidget::hideEvent(QHideEvent* e)
{
    // The pad's pop-up is a window of its own and would stay up over a hidden
    // view; a button held in it is let go first.
    m_pPtzPad->releasePressed();
    if (m_pPtzPopup)
        m_pPtzPopup->hide();
    VelVideoLabel::hideEvent(e);
}

void VelTourVideoWidget::replacePlayer(const QString& strUrl)
{
    if (CRTSPPlayer* pOld = GetPlayer()) {
        pOld->Restart();
        SetPlayer(nullptr);
    }
    auto* pPlayer = new CRTSPPlayer(this, kFallbackRect);
    SetPlayer(pPlayer);
    pPlayer->SetUrl(strUrl);
    pPlayer->StartPlay();
    m_pControlBar->setAudioState(false);
}
