#ifndef CVIDEODECODER_H
#define CVIDEODECODER_H

#include "cpicturescaler.h"
#include "cvideosink.h"
#include "velffmpeg.h"

#include <QImage>
#include <QSize>

#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

class CAudioDecoder;
class CStreamInput;

// The player's picture: the decoder, the conversion to the shown size into a
// few reused images, the hand-off to the sink in step with the sound (late
// pictures dropped) and the last picture kept for snapshots. Decode thread,
// but for the snapshot and the count of late pictures.
class CVideoDecoder
{
public:
    // Pictures come from input's queue and follow audio's clock while it
    // leads; onFirstPicture is called when an open's first picture is handed
    // on, before the sink gets it.
    CVideoDecoder(const std::atomic<bool>& bStop, CStreamInput& input, CAudioDecoder& audio,
                  std::function<void()> onFirstPicture);
    CVideoDecoder(const CVideoDecoder&) = delete;
    CVideoDecoder& operator=(const CVideoDecoder&) = delete;

    // A new open: its first picture is shown at once.
    void beginOpen() { m_bFirstPicture = true; }
    bool waitsForFirstPicture() const { return m_bFirstPicture; }
    // The decoder for pStream: 0 or the error.
    int open(const AVStream* pStream);
    // Frees the decoder and the pictures.
    void free();

    // One drain pass of the video queue into pSink (null: released, nothing
    // is handed on). The caller keeps the sink from going away meanwhile.
    void decodePass(CVideoSink* pSink);

    // The last decoded picture at its full size, converted now. Any thread.
    QImage currentImage() const;
    // Any thread.
    quint64 picturesLate() const { return m_nPicturesLate.load(); }

private:
    void showPicture(const AVFrame* pFrame);
    void takePicture(const AVFrame* pFrame);
    void presentHeld(bool bWaitForNext);
    void keepLastFrame(const AVFrame* pFrame);
    QImage* freePicture(const QSize& size);

    const std::atomic<bool>& m_bStop;
    CStreamInput& m_input;
    CAudioDecoder& m_audio;
    const std::function<void()> m_onFirstPicture;
    CVideoSink* m_pSink = nullptr; // during a pass only

    VelCodecContextPtr m_pVideoCodec;
    VelFramePtr m_pVideoFrame;
    CPictureScaler m_scaler;
    // Pictures at the shown size, reused: one the label does not hold (a
    // detached image) is written next. The label holds at most two.
    std::array<QImage, 3> m_pictures;
    bool m_bFirstPicture = true;
    // The player with sound shows each picture when its sound is heard: the
    // decoded pictures wait here (decode thread), a few at most, while their
    // packets wait in the queue. Times in microseconds.
    std::deque<VelFramePtr> m_heldPictures;
    int64_t m_nLastShownUs = -1;          // av_gettime_relative of the last hand-off
    int64_t m_nFrameUs = 40000;           // between the last two pictures
    int64_t m_nLastPictureUs = INT64_MIN; // stream time of the last picture taken
    std::atomic<quint64> m_nPicturesLate{0};
    mutable std::mutex m_lastFrameLock; // guards m_pLastFrame's reference
    VelFramePtr m_pLastFrame;           // a reference to the last decoded picture
};

#endif // CVIDEODECODER_H
