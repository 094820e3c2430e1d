#ifndef CVIDEOSINK_H
#define CVIDEOSINK_H

#include <QImage>
#include <QSize>
#include <QString>
#include <qwindowdefs.h>

// State bits of a label; the player owns Playing/Connecting/NoSignal, the
// directing control owns the three task bits.
enum VideoStateBits {
    VideoPlaying = 0x1,
    VideoConnecting = 0x10,
    VideoTaskStarting = 0x1000,
    VideoTaskStopping = 0x10000,
    VideoMovieSwitching = 0x100000,
    VideoNoSignal = 0x1000000,
};

#if defined(VEL_FORM_VIMBREL)
// The tour player's label holds one of three values instead of bits.
enum VideoState {
    VideoStatePlaying = 0,
    VideoStateConnecting = 1,
    VideoStateNoSignal = 3,
};
#endif

// Where a player puts what it decodes and what it is doing: the video label
// implements it, so that the engine knows no widget. Called from the
// player's threads (and its GUI-thread slots); every call must be safe there.
class CVideoSink
{
public:
    enum PlayerState {
        PlayerConnecting,
        PlayerPlaying,
        PlayerNoSignal,
    };

    // The size pictures are best converted at (device pixels).
    virtual QSize shownPictureSize() const = 0;
    // A picture at (about) shownPictureSize(). The sink keeps a reference, so
    // the caller must not write into the image while it is shared.
    // nReadAtUs: when its packet was read (av_gettime_relative), -1 unknown.
    virtual void setPicture(const QImage& picture, qint64 nReadAtUs = -1) = 0;
    // Whether the next picture is wanted at full size for saveSnapshot.
    virtual bool wantsSnapshot() const = 0;
    virtual void saveSnapshot(const QImage& fullPicture) = 0;
    // The player's own part of the state; other parts (the panel's task
    // bits) are kept.
    virtual void showPlayerState(PlayerState state) = 0;
    // Whether the sink shows "no signal" and nothing else: a dead source
    // that a reconnect may take over.
    virtual bool showsNoSignalOnly() const = 0;
#if defined(VEL_FORM_TESSARO)
    // The address pictures are saved under (the poster's name).
    virtual void setSnapshotSource(const QString& strUrl) = 0;
#endif

protected:
    ~CVideoSink() = default;
};

class QWidget;

// Defined with the video label, the only sink: the label that is the widget
// (or owns the native window), else null. GUI thread.
CVideoSink* velVideoSinkOf(QWidget* pWidget);
CVideoSink* velVideoSinkAt(WId window);

#endif // CVIDEOSINK_H
