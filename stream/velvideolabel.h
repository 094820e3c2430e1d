#ifndef VELVIDEOLABEL_H
#define VELVIDEOLABEL_H

#include "cvideosink.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <atomic>
#include <mutex>

#if defined(VEL_FORM_VIMBREL)
class CRTSPPlayer;
#endif

// Shows one stream: pictures handed in by the player's decode thread, painted
// on the GUI thread into a 16:9 box as high as the label; a rotating
// indicator while connecting; a no-signal image, or before the first live
// picture the source's saved first picture from an earlier run. A click on a
// dead source retries it. Its player reaches it as the player's sink.
class VelVideoLabel : public QLabel, public CVideoSink
{
    Q_OBJECT
public:
    explicit VelVideoLabel(QWidget* parent = nullptr);
    ~VelVideoLabel() override;

    // Any thread. setState stores the whole word; changeState clears nClear and
    // sets nSet in one step, so that bits another thread owns survive.
    int state() const { return m_nState.load(); }
    void setState(int nState);
    void changeState(int nClear, int nSet);

    // Where the first picture of the current source is kept between runs.
    QString snapshotPath() const;
    static QString snapshotPathFor(const QString& strUrl);
#if defined(VEL_FORM_TESSARO)
    // The player manager tells the label which address its player plays.
    void setSnapshotSource(const QString& strUrl) override;
#else
    // The label owns its player; a previous one is deleted.
    void SetPlayer(CRTSPPlayer* pPlayer);
    CRTSPPlayer* GetPlayer() const
    {
        return m_pPlayer.load();
    }
#endif

    // Pictures handed to sltSetPixmap, and those of them dropped because the
    // previous one was still being copied or painted. Any thread.
    quint64 picturesReceived() const
    {
        return m_nReceived.load();
    }
    quint64 picturesDropped() const
    {
        return m_nDropped.load();
    }

    // The picture box in device pixels: the size at which a picture is drawn
    // 1:1. Published by the GUI thread on every resize; any thread reads it.
    QSize shownPictureSize() const override;
    // Called directly from the player's decode thread with a picture
    // converted at shownPictureSize() (any other size is scaled while
    // painting). The label keeps a reference, so the caller must not write
    // into the image while it is shared.
    // nReadAtUs: when the picture's packet was read (av_gettime_relative), -1 unknown.
    void setPicture(const QImage& picture, qint64 nReadAtUs = -1) override;
    // When the packet of the picture painted last was read (av_gettime_relative), -1
    // unknown: read after a paint, it gives the read-to-screen latency. GUI
    // thread.
    qint64 paintedPictureReadAt() const
    {
        return m_nPaintedReadAtUs;
    }
    // Whether the next picture is to be saved as the source's poster; the
    // player then hands its full picture to saveSnapshot. Any thread.
    bool wantsSnapshot() const override
    {
        return m_bSaveSnapshot.load();
    }
    void saveSnapshot(const QImage& fullPicture) override;
    void showPlayerState(PlayerState playerState) override;
    bool showsNoSignalOnly() const override;

signals:
    // Emitted on the thread that changed the word (a player's thread, or the
    // GUI thread), once per change.
    void sigStateChanged(int nState);

public slots:
    // Called directly from the player's decode thread.
    void sltSetPixmap(QPixmap img);
    void sltTimeout();
#if defined(VEL_FORM_VIMBREL)
    // Any thread.
    void sltSetState(VideoState state);
#endif

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    // Whether the rotating indicator keeps turning in this state.
    virtual bool keepsSpinning(int nState) const;
    // The indicator's angle in degrees, advanced by sltTimeout.
    double spinAngle() const
    {
        return m_dAngle;
    }
    // The indicator image, loaded once. GUI thread.
    static const QImage& indicatorImage();

private:
    QString posterSource() const; // the address the poster is named after
    bool isPlayingState(int nState) const;
    bool isNoSignalState(int nState) const;
    bool isConnectingState(int nState) const;
    QRect pictureBox() const;
    void drawPoster(QPainter& painter);
    void drawIndicator(QPainter& painter);
    void drawLivePicture(QPainter& painter);
    bool coversLabel(int nState) const;
    void updateOpaque();
    void updateSpinTimer(int nState);
    void requestRepaint();
    void publishBox();

    std::atomic<int> m_nState;
    QImage m_newest;                // written by the decode thread, read by paint; see m_bAvailable
    QImage m_painted;               // GUI thread
    qint64 m_nNewestReadAtUs = -1;  // with m_newest
    qint64 m_nPaintedReadAtUs = -1; // GUI thread
    std::atomic<quint32> m_nShownSize{0}; // box width << 16 | height, device pixels
    QPixmap m_poster;                     // GUI thread
    QString m_strPosterTried;             // GUI thread: the source m_poster was looked up for
    double m_dAngle = 0;
    // False while one side copies or paints m_newest; the other side then
    // leaves m_newest alone. Changed only under m_availableLock.
    bool m_bAvailable = true;
    std::mutex m_availableLock;
    std::atomic<bool> m_bHasPicture{false};
    std::atomic<bool> m_bSaveSnapshot{true};
    std::atomic<bool> m_bRepaintQueued{false};
    QTimer m_spinTimer;
    std::atomic<quint64> m_nReceived{0};
    std::atomic<quint64> m_nDropped{0};
#if defined(VEL_FORM_TESSARO)
    mutable std::mutex m_sourceLock;
    QString m_strSource;
#else
    std::atomic<CRTSPPlayer*> m_pPlayer{nullptr};
#endif
};

#endif // VELVIDEOLABEL_H
