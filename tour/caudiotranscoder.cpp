#include "caudiotranscoder.h"

#include <QtDebug>

#include <cstdlib>

namespace
{

// The AAC encoder takes only these; G.711's 8000 Hz is one of them.
bool aacRate(int nRate)
{
    static const int s_rates[] = {96000, 88200, 64000, 48000, 44100, 32000,
                                  24000, 22050, 16000, 12000, 11025, 8000};
    for (const int nKnown : s_rates) {
        if (nKnown == nRate)
            return true;
    }
    return false;
}

} // namespace

CAudioTranscoder::~CAudioTranscoder() = default;

bool CAudioTranscoder::converts(const AVCodecParameters* pPar)
{
    return pPar->codec_type == AVMEDIA_TYPE_AUDIO &&
           (pPar->codec_id == AV_CODEC_ID_PCM_MULAW || pPar->codec_id == AV_CODEC_ID_PCM_ALAW);
}

bool CAudioTranscoder::open(const AVStream* pIn, AVCodecParameters* pOut, bool bGlobalHeader)
{
    const AVCodec* pDecoderCodec = avcodec_find_decoder(pIn->codecpar->codec_id);
    const AVCodec* pEncoderCodec = avcodec_find_encoder_by_name("aac");
    if (!pDecoderCodec || !pEncoderCodec)
        return false;
    m_inTimeBase = pIn->time_base;
    m_pDecoder.reset(avcodec_alloc_context3(pDecoderCodec));
    if (!m_pDecoder || avcodec_parameters_to_context(m_pDecoder.get(), pIn->codecpar) < 0)
        return false;
    // A camera's description may leave the channels out: G.711 is mono.
    if (m_pDecoder->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&m_pDecoder->ch_layout, 1);
    if (m_pDecoder->sample_rate <= 0)
        m_pDecoder->sample_rate = 8000;
    m_pDecoder->pkt_timebase = pIn->time_base;
    if (avcodec_open2(m_pDecoder.get(), pDecoderCodec, nullptr) < 0)
        return false;

    m_pEncoder.reset(avcodec_alloc_context3(pEncoderCodec));
    if (!m_pEncoder)
        return false;
    const int nRate = aacRate(m_pDecoder->sample_rate) ? m_pDecoder->sample_rate : 16000;
    const int nChannels = m_pDecoder->ch_layout.nb_channels >= 2 ? 2 : 1;
    m_pEncoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    m_pEncoder->sample_rate = nRate;
    av_channel_layout_default(&m_pEncoder->ch_layout, nChannels);
    m_pEncoder->bit_rate = 32000 * nChannels;
    m_pEncoder->time_base = AVRational{1, nRate};
    if (bGlobalHeader)
        m_pEncoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(m_pEncoder.get(), pEncoderCodec, nullptr) < 0 ||
        avcodec_parameters_from_context(pOut, m_pEncoder.get()) < 0)
        return false;

    // Set up from the first frame: a container's channel layout may be
    // described differently from what its decoder gives.
    m_pResampler.reset(swr_alloc());
    if (!m_pResampler)
        return false;
    m_pFifo.reset(av_audio_fifo_alloc(m_pEncoder->sample_fmt, nChannels,
                                      qMax(m_pEncoder->frame_size, 1024) * 4));
    m_pDecoded.reset(av_frame_alloc());
    m_pConverted.reset(av_frame_alloc());
    m_pChunk.reset(av_frame_alloc());
    m_pEncoded.reset(av_packet_alloc());
    return m_pFifo && m_pDecoded && m_pConverted && m_pChunk && m_pEncoded;
}

AVRational CAudioTranscoder::timeBase() const
{
    return m_pEncoder ? m_pEncoder->time_base : AVRational{1, 8000};
}

int CAudioTranscoder::send(const AVPacket* pPacket, const Writer& write)
{
    if (!m_pEncoder)
        return AVERROR(EINVAL);
    // A damaged packet costs its own samples only.
    if (avcodec_send_packet(m_pDecoder.get(), pPacket) < 0)
        return 0;
    return decodeAll(write);
}

int CAudioTranscoder::flush(const Writer& write)
{
    if (!m_pEncoder)
        return 0;
    avcodec_send_packet(m_pDecoder.get(), nullptr);
    int nResult = decodeAll(write);
    if (nResult >= 0)
        nResult = encodeQueued(write, true);
    if (nResult >= 0 && avcodec_send_frame(m_pEncoder.get(), nullptr) >= 0)
        nResult = drain(write);
    return nResult;
}

int CAudioTranscoder::decodeAll(const Writer& write)
{
    while (avcodec_receive_frame(m_pDecoder.get(), m_pDecoded.get()) >= 0) {
        const int nQueued = queue(m_pDecoded.get());
        av_frame_unref(m_pDecoded.get());
        if (nQueued < 0)
            continue; // this frame is lost, the stream goes on
        const int nResult = encodeQueued(write, false);
        if (nResult < 0)
            return nResult;
    }
    return 0;
}

// Resamples one decoded frame into the queue, placing it by its timestamp.
int CAudioTranscoder::queue(const AVFrame* pFrame)
{
    AVFrame* pOut = m_pConverted.get();
    int nResult = convert(pFrame, pOut);
    if (nResult == AVERROR_INPUT_CHANGED) {
        // The source changed its format: set the resampler up again.
        swr_close(m_pResampler.get());
        nResult = convert(pFrame, pOut);
    }
    if (nResult < 0 || pOut->nb_samples <= 0)
        return -1;
    const AVRational outBase = m_pEncoder->time_base;
    const int64_t nExpected = m_nFifoPts == AV_NOPTS_VALUE
                                  ? AV_NOPTS_VALUE
                                  : m_nFifoPts + av_audio_fifo_size(m_pFifo.get());
    int64_t nPts = pFrame->best_effort_timestamp;
    nPts = nPts == AV_NOPTS_VALUE ? nExpected : av_rescale_q(nPts, m_inTimeBase, outBase);
    if (nPts == AV_NOPTS_VALUE)
        return -1; // nothing to place the first samples by
    // Lost packets or a camera's new clock: a jump of more than a fifth of a
    // second starts the count again, so that sound stays with its picture;
    // never before what went out already, which the muxer would refuse.
    if (nExpected == AV_NOPTS_VALUE) {
        m_nFifoPts = nPts;
    } else if (std::llabs(nPts - nExpected) > outBase.den / 5) {
        av_audio_fifo_reset(m_pFifo.get());
        m_nFifoPts = qMax(nPts, m_nFifoPts);
    }
    if (av_audio_fifo_write(m_pFifo.get(), reinterpret_cast<void**>(pOut->extended_data),
                            pOut->nb_samples) < pOut->nb_samples)
        return -1;
    return 0;
}

int CAudioTranscoder::convert(const AVFrame* pFrame, AVFrame* pOut)
{
    av_frame_unref(pOut);
    pOut->format = m_pEncoder->sample_fmt;
    pOut->sample_rate = m_pEncoder->sample_rate;
    const int nResult = av_channel_layout_copy(&pOut->ch_layout, &m_pEncoder->ch_layout);
    return nResult < 0 ? nResult : swr_convert_frame(m_pResampler.get(), pOut, pFrame);
}

// Whole encoder frames from the queue; with bFinal also the short rest.
int CAudioTranscoder::encodeQueued(const Writer& write, bool bFinal)
{
    const int nFrameSize = m_pEncoder->frame_size > 0 ? m_pEncoder->frame_size : 1024;
    for (;;) {
        const int nHeld = av_audio_fifo_size(m_pFifo.get());
        if (nHeld <= 0 || (nHeld < nFrameSize && !bFinal))
            return 0;
        AVFrame* pChunk = m_pChunk.get();
        av_frame_unref(pChunk); // the encoder may still hold the previous buffer
        pChunk->nb_samples = qMin(nHeld, nFrameSize);
        pChunk->format = m_pEncoder->sample_fmt;
        pChunk->sample_rate = m_pEncoder->sample_rate;
        if (av_channel_layout_copy(&pChunk->ch_layout, &m_pEncoder->ch_layout) < 0 ||
            av_frame_get_buffer(pChunk, 0) < 0)
            return AVERROR(ENOMEM);
        av_audio_fifo_read(m_pFifo.get(), reinterpret_cast<void**>(pChunk->data),
                           pChunk->nb_samples);
        pChunk->pts = m_nFifoPts;
        m_nFifoPts += pChunk->nb_samples;
        int nResult = avcodec_send_frame(m_pEncoder.get(), pChunk);
        if (nResult < 0)
            return nResult;
        nResult = drain(write);
        if (nResult < 0)
            return nResult;
    }
}

int CAudioTranscoder::drain(const Writer& write)
{
    for (;;) {
        const int nResult = avcodec_receive_packet(m_pEncoder.get(), m_pEncoded.get());
        if (nResult == AVERROR(EAGAIN) || nResult == AVERROR_EOF)
            return 0;
        if (nResult < 0)
            return nResult;
        const int nWritten = write(m_pEncoded.get());
        av_packet_unref(m_pEncoded.get());
        if (nWritten < 0)
            return nWritten;
    }
}
