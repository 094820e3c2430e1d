#ifndef CAUDIOTRANSCODER_H
#define CAUDIOTRANSCODER_H

#include "velffmpeg.h"

extern "C" {
#include <libavutil/audio_fifo.h>
}

#include <functional>
#include <memory>

// Turns one audio stream that MP4 cannot hold (G.711 from a camera) into AAC
// with FFmpeg's own encoder, for the recorder: decode, resample to the
// encoder's sample format, cut into the encoder's frame size, encode. The
// timestamps follow the source's, in the encoder's time base (1/sample rate);
// a jump in the source's clock starts the count again there.
// Used from one thread at a time (the recorder's).
class CAudioTranscoder
{
public:
    // Takes each encoded packet; a negative result stops the transcoder's call.
    using Writer = std::function<int(AVPacket*)>;

    CAudioTranscoder() = default;
    CAudioTranscoder(const CAudioTranscoder&) = delete;
    CAudioTranscoder& operator=(const CAudioTranscoder&) = delete;
    ~CAudioTranscoder();

    // Whether a stream with these parameters is one this class converts.
    static bool converts(const AVCodecParameters* pPar);

    // Decoder for the source, AAC encoder at its rate and channels; pOut gets
    // the encoder's parameters. bGlobalHeader: the container wants the
    // configuration out of band (MP4 does).
    bool open(const AVStream* pIn, AVCodecParameters* pOut, bool bGlobalHeader);
    AVRational timeBase() const;

    // One packet of the source; every packet the encoder completes goes to
    // write. Undecodable input is dropped; the result is negative only when
    // write failed (its result) or the encoder broke.
    int send(const AVPacket* pPacket, const Writer& write);
    // The samples still held, padded out, and the encoder's delay.
    int flush(const Writer& write);

private:
    int decodeAll(const Writer& write);
    int queue(const AVFrame* pFrame);
    int convert(const AVFrame* pFrame, AVFrame* pOut);
    int encodeQueued(const Writer& write, bool bFinal);
    int drain(const Writer& write);

    struct FifoDeleter {
        void operator()(AVAudioFifo* p) const { av_audio_fifo_free(p); }
    };

    AVRational m_inTimeBase{1, 8000};
    VelCodecContextPtr m_pDecoder;
    VelCodecContextPtr m_pEncoder;
    VelSwrPtr m_pResampler;
    std::unique_ptr<AVAudioFifo, FifoDeleter> m_pFifo;
    VelFramePtr m_pDecoded;
    VelFramePtr m_pConverted;
    VelFramePtr m_pChunk;
    VelPacketPtr m_pEncoded;
    int64_t m_nFifoPts = AV_NOPTS_VALUE; // of the first sample held, 1/rate
};

#endif // CAUDIOTRANSCODER_H
