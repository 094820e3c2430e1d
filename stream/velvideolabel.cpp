#include "velvideolabel.h"

#include "crtspplayer.h"
#include "veltempdir.h"
#if defined(VEL_FORM_TESSARO)
#include "velvlcplayermanger.h"
#else
#include "veldiaglog.h"
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QThread>

#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int kSpinIntervalMs = 30;
// Loaded once per process, on the GUI thread (first paint).
const QImage& noSignalImage()
{
    static const QImage s_image(QStringLiteral(":/resource/CV_OVERVIEWWIDGET_SLIENT.png"));
    return s_image;
}

// Our own poster left in the shared temporary directory by an earlier
// version: a plain file of this user, named by the rule ("<scheme>_--...").
bool isOwnPublicPoster(const QString& strPath, const QString& strName)
{
    const int nScheme = strName.indexOf(QLatin1String("_--"));
    if (nScheme <= 0 || !strName.endsWith(QLatin1String(".png")))
        return false;
    for (int i = 0; i < nScheme; ++i) {
        const QChar c = strName.at(i);
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('+') &&
            c != QLatin1Char('-'))
            return false;
    }
    struct stat info = {};
    return ::lstat(QFile::encodeName(strPath).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_uid == ::geteuid() && info.st_nlink == 1;
}

// Earlier versions kept posters in the shared temporary directory, readable
// by everyone and with the camera's password in the name. They move into the
// private directory once a process (the cache keeps working); one the
// private directory already has is simply removed.
void adoptPublicPosters(const QString& strPrivateDir)
{
    static std::mutex s_lock;
    static QString s_strDone; // the public directory already looked at
    const QString strPublic = QDir::tempPath();
    {
        std::lock_guard<std::mutex> lock(s_lock);
        if (s_strDone == strPublic)
            return;
        s_strDone = strPublic;
    }
    if (QDir(strPublic).canonicalPath() == QDir(strPrivateDir).canonicalPath())
        return;
    const QStringList names =
        QDir(strPublic).entryList({QStringLiteral("*_--*.png")}, QDir::Files | QDir::Hidden);
    for (const QString& strName : names) {
        const QString strOld = strPublic + QLatin1Char('/') + strName;
        if (!isOwnPublicPoster(strOld, strName))
            continue;
        const QString strNew = strPrivateDir + QLatin1Char('/') + strName;
        if (!QFile::exists(strNew) && QFile::rename(strOld, strNew))
            QFile::setPermissions(strNew, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        else
            QFile::remove(strOld);
    }
}

} // namespace

VelVideoLabel::VelVideoLabel(QWidget* parent) : QLabel(parent)
{
#if defined(VEL_FORM_TESSARO)
    m_nState = VideoConnecting;
#else
    m_nState = VideoStateNoSignal;
    velCheckLogMarker();
    if (debugMode)
        velInstallDiagLog();
#endif
    publishBox();
    m_spinTimer.setInterval(kSpinIntervalMs);
    connect(&m_spinTimer, &QTimer::timeout, this, &VelVideoLabel::sltTimeout);
    m_spinTimer.start();
}

VelVideoLabel::~VelVideoLabel()
{
    // The player's threads call into the label; they must be gone first.
#if defined(VEL_FORM_TESSARO)
    if (VelVlcPlayerManger* pManager = VelVlcPlayerManger::ExistingInstance())
        pManager->RemovePlayer(this);
#else
    CRTSPPlayer::Release(m_pPlayer.exchange(nullptr));
#endif
    std::lock_guard<std::mutex> lock(m_availableLock);
    m_bAvailable = false;
}

const QImage& VelVideoLabel::indicatorImage()
{
    static const QImage s_image(QStringLiteral(":/resource/CV_OVERVIEWWIDGET_CONNECT.png"));
    return s_image;
}

CVideoSink* velVideoSinkOf(QWidget* pWidget)
{
    return qobject_cast<VelVideoLabel*>(pWidget);
}

CVideoSink* velVideoSinkAt(WId window)
{
    return velVideoSinkOf(QWidget::find(window));
}

void VelVideoLabel::setState(int nState)
{
    const int nOld = m_nState.exchange(nState);
    requestRepaint();
    if (nOld != nState)
        emit sigStateChanged(nState);
}

void VelVideoLabel::changeState(int nClear, int nSet)
{
    int nOld = m_nState.load();
    while (!m_nState.compare_exchange_weak(nOld, (nOld & ~nClear) | nSet)) {
    }
    requestRepaint();
    const int nNew = (nOld & ~nClear) | nSet;
    if (nNew != nOld)
        emit sigStateChanged(nNew);
}

// The player's bits change in one step, so that the panel's task bits
// survive a state change made on a player's thread.
void VelVideoLabel::showPlayerState(PlayerState playerState)
{
#if defined(VEL_FORM_TESSARO)
    switch (playerState) {
    case PlayerConnecting:
        changeState(VideoPlaying | VideoNoSignal, VideoConnecting);
        break;
    case PlayerPlaying:
        changeState(VideoConnecting | VideoNoSignal, VideoPlaying);
        break;
    case PlayerNoSignal:
        changeState(VideoPlaying | VideoConnecting, VideoNoSignal);
        break;
    }
#else
    switch (playerState) {
    case PlayerConnecting:
        sltSetState(VideoStateConnecting);
        break;
    case PlayerPlaying:
        sltSetState(VideoStatePlaying);
        break;
    case PlayerNoSignal:
        sltSetState(VideoStateNoSignal);
        break;
    }
#endif
}

bool VelVideoLabel::showsNoSignalOnly() const
{
#if defined(VEL_FORM_TESSARO)
    return state() == VideoNoSignal;
#else
    return state() == VideoStateNoSignal;
#endif
}

#if defined(VEL_FORM_VIMBREL)
void VelVideoLabel::sltSetState(VideoState state)
{
    setState(int(state));
}

void VelVideoLabel::SetPlayer(CRTSPPlayer* pPlayer)
{
    CRTSPPlayer* pOld = m_pPlayer.load();
    if (pOld == pPlayer)
        return;
    // The old player lets go of the label before the new one is seen; its
    // threads end on their own.
    m_pPlayer = nullptr;
    CRTSPPlayer::Release(pOld);
    m_pPlayer = pPlayer;
}
#endif

// The name keeps the address whole, password and all, as pages and earlier
// runs know it; what keeps it private is the directory (only the user can
// list it) and the file's mode.
QString VelVideoLabel::snapshotPathFor(const QString& strUrl)
{
    const QString strDir = velTempPath();
    if (strDir.isEmpty())
        return QString(); // no private place: no poster at all
    adoptPublicPosters(strDir);
    QString strName = strUrl;
    strName.replace(QLatin1Char(':'), QLatin1Char('_'));
    strName.replace(QLatin1Char('/'), QLatin1Char('-'));
    strName.replace(QLatin1Char('.'), QLatin1Char('+'));
    return strDir + QLatin1Char('/') + strName + QStringLiteral(".png");
}

QString VelVideoLabel::posterSource() const
{
#if defined(VEL_FORM_TESSARO)
    std::lock_guard<std::mutex> lock(m_sourceLock);
    return m_strSource;
#else
    CRTSPPlayer* pPlayer = m_pPlayer.load();
    return pPlayer ? pPlayer->GetUrl() : QString();
#endif
}

QString VelVideoLabel::snapshotPath() const
{
    return snapshotPathFor(posterSource());
}

#if defined(VEL_FORM_TESSARO)
void VelVideoLabel::setSnapshotSource(const QString& strUrl)
{
    std::lock_guard<std::mutex> lock(m_sourceLock);
    m_strSource = strUrl;
}
#endif

// Decode thread (or whoever hands in a whole picture): shown, and saved as
// the poster when one is wanted.
void VelVideoLabel::sltSetPixmap(QPixmap img)
{
    const QImage picture = img.toImage();
    setPicture(picture);
    if (!picture.isNull() && wantsSnapshot())
        saveSnapshot(picture);
}

// A picture that finds the previous one still being copied or painted is
// dropped.
void VelVideoLabel::setPicture(const QImage& picture, qint64 nReadAtUs)
{
    ++m_nReceived;
    if (picture.isNull())
        return;
    {
        std::lock_guard<std::mutex> lock(m_availableLock);
        if (!m_bAvailable) {
            ++m_nDropped;
            return;
        }
        m_bAvailable = false;
    }
    m_newest = picture;
    m_nNewestReadAtUs = nReadAtUs;
    {
        std::lock_guard<std::mutex> lock(m_availableLock);
        m_bAvailable = true;
    }
    m_bHasPicture = true;
    requestRepaint();
}

void VelVideoLabel::saveSnapshot(const QImage& fullPicture)
{
    if (fullPicture.isNull() || !m_bSaveSnapshot)
        return;
    // Written aside and renamed: a reader never finds half a picture.
    const QString strPath = snapshotPath();
    if (strPath.isEmpty())
        return;
    QFile::remove(strPath);
    QSaveFile file(strPath);
    // QSaveFile gives a new file the umask's mode: the picture of a
    // classroom is the user's alone.
    if (!file.open(QIODevice::WriteOnly) || !velMakePrivateFileDescriptor(file.handle()))
        return;
    // The poster is written on the decode thread at every open: zlib's
    // fastest level (Qt's PNG quality 80) takes about half the time of the
    // default level.
    QImageWriter writer(&file, "PNG");
    writer.setQuality(80);
    if (writer.write(fullPicture) && file.commit())
        m_bSaveSnapshot = false;
}

QSize VelVideoLabel::shownPictureSize() const
{
    const quint32 nPacked = m_nShownSize.load();
    return QSize(int(nPacked >> 16), int(nPacked & 0xffff));
}

void VelVideoLabel::publishBox()
{
    const qreal dRatio = devicePixelRatioF();
    const QRect box = pictureBox();
    const int nWidth = qBound(0, qRound(box.width() * dRatio), 0xffff);
    const int nHeight = qBound(0, qRound(box.height() * dRatio), 0xffff);
    m_nShownSize = (quint32(nWidth) << 16) | quint32(nHeight);
}

void VelVideoLabel::resizeEvent(QResizeEvent* e)
{
    publishBox();
    updateOpaque();
    QLabel::resizeEvent(e);
}

void VelVideoLabel::sltTimeout()
{
    m_dAngle += 6;
    if (m_dAngle >= 360)
        m_dAngle = 0;
#if defined(VEL_FORM_TESSARO)
    if (!(state() & VideoPlaying))
        update();
#else
    update();
#endif
}

// Any thread; repaints are only ever done on the GUI thread, and requests
// from other threads collapse into one queued update.
void VelVideoLabel::requestRepaint()
{
    if (QThread::currentThread() == thread()) {
        updateOpaque();
        update();
        return;
    }
    if (m_bRepaintQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bRepaintQueued = false;
            updateOpaque();
            update();
        },
        Qt::QueuedConnection);
}

bool VelVideoLabel::isPlayingState(int nState) const
{
#if defined(VEL_FORM_TESSARO)
    return nState & VideoPlaying;
#else
    return nState == VideoStatePlaying;
#endif
}

bool VelVideoLabel::isNoSignalState(int nState) const
{
#if defined(VEL_FORM_TESSARO)
    return nState & VideoNoSignal;
#else
    return nState == VideoStateNoSignal;
#endif
}

bool VelVideoLabel::isConnectingState(int nState) const
{
#if defined(VEL_FORM_TESSARO)
    return nState & VideoConnecting;
#else
    return nState == VideoStateConnecting;
#endif
}

// A 16:9 box as high as the label, centred; cut at both sides when the label
// is narrower than 16:9.
QRect VelVideoLabel::pictureBox() const
{
    const int nHeight = height();
    const int nBoxWidth = (nHeight / 9) * 16;
    return QRect((width() - nBoxWidth) / 2, 0, nBoxWidth, nHeight);
}

void VelVideoLabel::drawPoster(QPainter& painter)
{
    // One look at the disk per source: without a saved picture this would
    // otherwise check the private directory and read the disk on every
    // spinner frame.
    if (m_poster.isNull()) {
        const QString strSource = posterSource();
        if (strSource != m_strPosterTried) {
            m_strPosterTried = strSource;
            const QString strPath = snapshotPathFor(strSource);
            if (!strPath.isEmpty())
                m_poster.load(strPath);
        }
    }
    if (!m_poster.isNull())
        painter.drawPixmap(pictureBox(), m_poster);
}

void VelVideoLabel::drawIndicator(QPainter& painter)
{
    const QImage& indicator = indicatorImage();
    painter.save();
    painter.translate(width() / 2, height() / 2);
    painter.rotate(m_dAngle);
    painter.drawImage(QPoint(-indicator.width() / 2, -indicator.height() / 2), indicator);
    painter.restore();
}

void VelVideoLabel::drawLivePicture(QPainter& painter)
{
    bool bTaken = false;
    {
        std::lock_guard<std::mutex> lock(m_availableLock);
        bTaken = m_bAvailable;
        if (bTaken)
            m_bAvailable = false;
    }
    if (!bTaken) {
        painter.drawImage(pictureBox(), m_painted);
        // Nothing painted yet: the picture being handed over is the first,
        // so come back for it rather than wait for the next one.
        if (m_painted.isNull())
            update();
        return;
    }
    painter.drawImage(pictureBox(), m_newest);
    m_nPaintedReadAtUs = m_nNewestReadAtUs;
    // The fallback for the next paint that finds m_newest being written.
    m_painted = m_newest;
    std::lock_guard<std::mutex> lock(m_availableLock);
    m_bAvailable = true;
}

// A live picture that fills the label hides what lies under it, so the
// parents need not paint their background first: at 25 pictures a second
// that fill cost more than the picture's own blit. Decided on the GUI thread
// before the paint is asked for, since the parents paint before the label.
bool VelVideoLabel::coversLabel(int nState) const
{
    return isPlayingState(nState) && m_bHasPicture && pictureBox() == rect();
}

void VelVideoLabel::updateOpaque()
{
    setAttribute(Qt::WA_OpaquePaintEvent, coversLabel(state()));
}

void VelVideoLabel::paintEvent(QPaintEvent* /*e*/)
{
    publishBox(); // the screen, and with it the pixel ratio, may have changed
    const int nState = state();
    QPainter painter(this);
    if (testAttribute(Qt::WA_OpaquePaintEvent) && !coversLabel(nState)) {
        // The state changed on another thread after the label was taken for
        // opaque: nothing was painted under this paint. Black for now, and
        // one more paint with the parents' background.
        painter.fillRect(rect(), Qt::black);
        updateOpaque();
        update();
    }
    if (!isPlayingState(nState)) {
        if (isNoSignalState(nState)) {
            if (!m_bHasPicture) {
                drawPoster(painter);
            } else {
                const QImage& image = noSignalImage();
                painter.drawImage(
                    QPoint((width() - image.width()) / 2, (height() - image.height()) / 2), image);
            }
        } else if (isConnectingState(nState)) {
            painter.fillRect(rect(), Qt::black);
            if (!m_bHasPicture)
                drawPoster(painter);
            drawIndicator(painter);
        }
    } else if (m_bHasPicture) {
        drawLivePicture(painter);
    }
    updateSpinTimer(nState);
}

bool VelVideoLabel::keepsSpinning(int nState) const
{
    return isConnectingState(nState);
}

void VelVideoLabel::updateSpinTimer(int nState)
{
    if (!keepsSpinning(nState))
        m_spinTimer.stop();
    else if (!m_spinTimer.isActive())
        m_spinTimer.start(kSpinIntervalMs);
}

// A click retries a source that is dead and shows nothing else.
void VelVideoLabel::mouseReleaseEvent(QMouseEvent* e)
{
#if defined(VEL_FORM_TESSARO)
    VelVlcPlayerManger* pManager = VelVlcPlayerManger::ExistingInstance();
    CRTSPPlayer* pPlayer = pManager ? pManager->FindPlayer(this) : nullptr;
    const bool bDead = state() == VideoNoSignal;
#else
    CRTSPPlayer* pPlayer = m_pPlayer.load();
    const bool bDead = state() == VideoStateNoSignal;
#endif
    if (pPlayer && pPlayer->GetPlayState() != 1 && bDead) {
        pPlayer->Restart();
        pPlayer->StartPlay();
    }
    QLabel::mouseReleaseEvent(e);
}
