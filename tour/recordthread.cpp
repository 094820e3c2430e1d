#include "recordthread.h"

#include "recordfinish.h"
#include "velmaskaddress.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>
#include <QtDebug>

#include <cstdio>

namespace
{

// Pause before a failed read is tried again.
constexpr unsigned long kReadRetryMs = 20;
// Fragments of at most a quarter of a second: a killed recording loses no more.
const char kFragmentMicroseconds[] = "250000";

QString errorText(int nError)
{
    char szText[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(nError, szText, sizeof szText);
    return QString::fromLocal8Bit(szText);
}

QThreadPool* finishingPool()
{
    static QThreadPool s_pool;
    return &s_pool;
}

} // namespace

void RecordThread::OutputDeleter::operator()(AVFormatContext* p) const
{
    if (p && !(p->oformat->flags & AVFMT_NOFILE))
        avio_closep(&p->pb);
    avformat_free_context(p);
}

RecordThread::RecordThread(QObject* parent) : QThread(parent)
{
    m_guard.pStop = &m_bStop;
}

RecordThread::~RecordThread()
{
    StopRecording();
}

QByteArray RecordThread::maskedInput() const
{
    return velMaskUrl(QString::fromUtf8(m_strInput)).toUtf8();
}

bool RecordThread::waitForFinishing(int nMs)
{
    return finishingPool()->waitForDone(nMs);
}

void RecordThread::StartRecording(QString inputUrl, QString outputFile)
{
    if (isRunning() || m_pOutput)
        return;
    m_strInput = inputUrl.toLocal8Bit();
    m_strOutputName = outputFile;
    m_bOpenOnThread = true;
    start();
}

bool RecordThread::Init(QString inputUrl, QString outputFile)
{
    if (m_pOutput)
        return false; // a running recording is never opened again
    m_strInput = inputUrl.toLocal8Bit();
    m_strOutputName = outputFile;
    m_strOutput = QFile::encodeName(outputFile);
    m_eEndReason = EndStopped;
    m_eResult = ResultNothing;
    m_nWritten = 0;
    m_nWriteError = 0;
    m_nDropped = 0;
    // Read for each recording, so that a changed file counts from the next.
    CInputOpener::readLimits(&m_guard);

    CInputOpener opener(&m_guard);
    const int nResult = opener.open(m_strInput, &m_pInput);
    if (nResult != 0) {
        qDebug("Could not open input file. (%s)", qPrintable(errorText(nResult)));
        return false;
    }
    // Packets are copied, so the frame rate need not be measured: that
    // probe alone would hold the start back by a second or more.
    m_pInput->fps_probe_size = 0;
    if (opener.probe(m_pInput.get()) < 0) {
        qDebug("Failed to retrieve input stream information");
        release();
        return false;
    }
    // FFmpeg prints the address it is given: a camera password stays out.
    av_dump_format(m_pInput.get(), 0, maskedInput().constData(), 0);

    AVFormatContext* pOutput = nullptr;
    avformat_alloc_output_context2(&pOutput, nullptr, nullptr, m_strOutput.constData());
    if (!pOutput) {
        qDebug("Could not create output context\n");
        release();
        return false;
    }
    m_pOutput.reset(pOutput);
    m_pOutputFormat = pOutput->oformat;
    // A stopped recording still being rewritten may be the very file chosen
    // now; it must be in place before this one truncates it.
    finishingPool()->waitForDone();
    if (!addStreams() || !openOutput()) {
        const bool bCreated = m_pOutput->pb != nullptr;
        release();
        if (bCreated)
            QFile::remove(m_strOutputName);
        return false;
    }
    m_pPacket.reset(av_packet_alloc());
    if (!m_pPacket) {
        release();
        return false;
    }
    qDebug("qDebug -- init ok\n");
    return true;
}

bool RecordThread::addStreams()
{
    m_streamMap.assign(m_pInput->nb_streams, -1);
    m_filters.clear();
    m_filters.resize(m_pInput->nb_streams);
    m_transcoders.clear();
    m_transcoders.resize(m_pInput->nb_streams);
    m_nVideoOutput = -1;
    for (unsigned i = 0; i < m_pInput->nb_streams; ++i) {
        if (!addStream(i))
            return false;
    }
    if (m_pOutput->nb_streams == 0) {
        qDebug("RecordThread: no stream of %s fits the output", maskedInput().constData());
        return false;
    }
    av_dump_format(m_pOutput.get(), 0, m_strOutput.constData(), 1);
    return true;
}

// G.711 sound becomes AAC; any other stream the container cannot hold is left
// out, so that the rest still records.
bool RecordThread::addStream(unsigned nIndex)
{
    const AVStream* pIn = m_pInput->streams[nIndex];
    const AVCodecParameters* pPar = pIn->codecpar;
    if (CAudioTranscoder::converts(pPar) &&
        avformat_query_codec(m_pOutputFormat, AV_CODEC_ID_AAC, FF_COMPLIANCE_NORMAL) == 1)
        return addConvertedStream(nIndex);
    if (avformat_query_codec(m_pOutputFormat, pPar->codec_id, FF_COMPLIANCE_NORMAL) != 1) {
        qDebug("RecordThread: stream %u (%s) left out, %s cannot hold it", nIndex,
               avcodec_get_name(pPar->codec_id), m_pOutputFormat->name);
        return true;
    }
    AVStream* pOut = avformat_new_stream(m_pOutput.get(), nullptr);
    if (!pOut) {
        qDebug("Failed allocating output stream\n");
        return false;
    }
    if (avcodec_parameters_copy(pOut->codecpar, pPar) < 0) {
        qDebug("Failed to copy context from input to output stream codec context\n");
        return false;
    }
    // AAC in ADTS frames (transport streams, raw AAC) needs its headers moved
    // into the MP4's decoder configuration; the filter passes raw AAC as it is.
    if (pPar->codec_id == AV_CODEC_ID_AAC) {
        AVBSFContext* pBsf = nullptr;
        const AVBitStreamFilter* pFilter = av_bsf_get_by_name("aac_adtstoasc");
        if (!pFilter || av_bsf_alloc(pFilter, &pBsf) < 0)
            return false;
        m_filters[nIndex].reset(pBsf);
        pBsf->time_base_in = pIn->time_base;
        if (avcodec_parameters_copy(pBsf->par_in, pPar) < 0 || av_bsf_init(pBsf) < 0 ||
            avcodec_parameters_copy(pOut->codecpar, pBsf->par_out) < 0)
            return false;
    }
    pOut->codecpar->codec_tag = 0;
    pOut->time_base = pIn->time_base;
    m_streamMap[nIndex] = pOut->index;
    if (pPar->codec_type == AVMEDIA_TYPE_VIDEO && m_nVideoOutput < 0)
        m_nVideoOutput = pOut->index;
    return true;
}

bool RecordThread::addConvertedStream(unsigned nIndex)
{
    const AVStream* pIn = m_pInput->streams[nIndex];
    const char* szCodec = avcodec_get_name(pIn->codecpar->codec_id);
    auto pTranscoder = std::make_unique<CAudioTranscoder>();
    AVCodecParameters* pPar = avcodec_parameters_alloc();
    const bool bOpen =
        pPar && pTranscoder->open(pIn, pPar, m_pOutputFormat->flags & AVFMT_GLOBALHEADER);
    AVStream* pOut = bOpen ? avformat_new_stream(m_pOutput.get(), nullptr) : nullptr;
    const bool bOk = pOut && avcodec_parameters_copy(pOut->codecpar, pPar) >= 0;
    avcodec_parameters_free(&pPar);
    if (!bOpen) {
        // The picture still records.
        qDebug("RecordThread: stream %u (%s) left out, it cannot be converted to AAC", nIndex,
               szCodec);
        return true;
    }
    if (!bOk)
        return false; // out of memory: the output has a stream without parameters
    qDebug("RecordThread: stream %u (%s) recorded as AAC", nIndex, szCodec);
    pOut->codecpar->codec_tag = 0;
    pOut->time_base = pTranscoder->timeBase();
    m_transcoders[nIndex] = std::move(pTranscoder);
    m_streamMap[nIndex] = pOut->index;
    return true;
}

bool RecordThread::openOutput()
{
    if (!(m_pOutputFormat->flags & AVFMT_NOFILE)) {
        const int nResult = avio_open(&m_pOutput->pb, m_strOutput.constData(), AVIO_FLAG_WRITE);
        if (nResult < 0) {
            qDebug("Could not open output file '%s'", m_strOutput.constData());
            return false;
        }
    }
    VelDictionary options;
    // Fragmented while recording; the moov waits for the first fragment so
    // that AAC taken from ADTS has its configuration by then.
    options.set("movflags", "+frag_keyframe+empty_moov+delay_moov+default_base_moof");
    options.set("frag_duration", kFragmentMicroseconds);
    options.set("flush_packets", "1");
    options.set("avoid_negative_ts", "make_zero");
    const int nResult = avformat_write_header(m_pOutput.get(), options.address());
    if (nResult < 0) {
        qDebug("Error occurred when opening output file\n");
        return false;
    }
    m_bHeaderWritten = true;
    return true;
}

void RecordThread::run()
{
    if (m_bOpenOnThread) {
        m_bOpenOnThread = false;
        const bool bOk = !m_bStop && Init(QString::fromLocal8Bit(m_strInput), m_strOutputName);
        emit sigInitFinished(bOk);
        if (!bOk)
            return;
    }
    if (!m_pOutput)
        return;
    const EndReason eReason = copyLoop();
    if (eReason == EndStopped)
        return; // StopRecording() finishes the file
    // Nobody asked for the end: the file is finished here, and the owner told.
    m_eEndReason = eReason;
    m_eResult = finish();
    emit sigRecordingEnded(eReason);
}

RecordThread::EndReason RecordThread::copyLoop()
{
    m_bSawKeyFrame = m_nVideoOutput < 0;
    m_timed.assign(m_streamMap.size(), false);
    EndReason eReason = EndStopped;
    CInputOpener(&m_guard).guardReads(m_pInput.get());
    QElapsedTimer sinceData;
    sinceData.start();
    while (!m_bStop) {
        m_guard.timedOut = false;
        m_guard.clock.restart();
        int nResult = av_read_frame(m_pInput.get(), m_pPacket.get());
        if (nResult == AVERROR(EAGAIN))
            continue;
        // The socket timeout comes from the open limit's tuning file and may
        // be far shorter than the read limit: a failed read is a loss only
        // once no data came for the read limit, as in the player.
        if (nResult < 0 && !m_bStop && nResult != AVERROR_EOF && !m_guard.timedOut &&
            sinceData.elapsed() < m_guard.readTimeout) {
            QThread::msleep(kReadRetryMs);
            continue;
        }
        if (nResult < 0) {
            if (!m_bStop) {
                qDebug("av_read_frame break run(): %s, the recording of %s stops",
                       qPrintable(errorText(nResult)), maskedInput().constData());
                eReason = EndInputLost;
            }
            break;
        }
        sinceData.restart();
        const unsigned nInput = unsigned(m_pPacket->stream_index);
        nResult = acceptPacket(m_pPacket.get()) ? writePacket(m_pPacket.get(), nInput) : 0;
        av_packet_unref(m_pPacket.get());
        if (nResult < 0) {
            // One line: every packet after it would fail the same way.
            qDebug("RecordThread: writing %s failed (%s), the recording stops",
                   m_strOutput.constData(), qPrintable(errorText(nResult)));
            eReason = nResult == AVERROR(ENOSPC) ? EndDiskFull : EndWriteFailed;
            break;
        }
    }
    m_guard.clock.invalidate();
    if (m_bStop)
        qDebug("WAIT_OBJECT_0 break run()\n");
    return m_bStop ? EndStopped : eReason;
}

// Left-out streams are dropped, and so is everything before the first video
// key frame: no picture before it decodes.
bool RecordThread::acceptPacket(const AVPacket* pPacket)
{
    const unsigned nInput = unsigned(pPacket->stream_index);
    if (nInput >= m_streamMap.size() || m_streamMap[nInput] < 0)
        return false;
    // A live source's first packets may come before its clock is known;
    // the muxer could only guess where they belong.
    if (!m_timed[nInput]) {
        if (pPacket->dts == AV_NOPTS_VALUE && pPacket->pts == AV_NOPTS_VALUE)
            return false;
        m_timed[nInput] = true;
    }
    // The file starts with its first picture: sound before it would make the
    // tracks differ in length, and a player show nothing while it plays.
    if (!m_bSawKeyFrame) {
        if (m_streamMap[nInput] != m_nVideoOutput || !(pPacket->flags & AV_PKT_FLAG_KEY))
            return false;
        m_bSawKeyFrame = true;
    }
    return true;
}

// Negative only for a write error: a packet the filter refuses is dropped.
int RecordThread::writePacket(AVPacket* pPacket, unsigned nInput)
{
    if (m_transcoders[nInput])
        return writeConverted(pPacket, nInput);
    const AVRational from = m_pInput->streams[nInput]->time_base;
    const int nOutput = m_streamMap[nInput];
    AVBSFContext* pBsf = m_filters[nInput].get();
    if (!pBsf)
        return mux(pPacket, from, nOutput);
    if (av_bsf_send_packet(pBsf, pPacket) < 0) {
        av_packet_unref(pPacket);
        return 0;
    }
    while (av_bsf_receive_packet(pBsf, pPacket) >= 0) {
        const int nResult = mux(pPacket, from, nOutput);
        if (nResult < 0)
            return nResult;
    }
    return 0;
}

int RecordThread::writeConverted(AVPacket* pPacket, unsigned nInput)
{
    CAudioTranscoder* pTranscoder = m_transcoders[nInput].get();
    const AVRational from = pTranscoder->timeBase();
    const int nOutput = m_streamMap[nInput];
    m_nWriteError = 0;
    const int nResult = pTranscoder->send(
        pPacket, [&](AVPacket* pEncoded) { return mux(pEncoded, from, nOutput); });
    if (nResult >= 0 || m_nWriteError < 0)
        return nResult;
    // The encoder broke: the picture goes on without the sound.
    qDebug("RecordThread: converting stream %u failed (%s), its sound is left out", nInput,
           qPrintable(errorText(nResult)));
    m_streamMap[nInput] = -1;
    return 0;
}

int RecordThread::mux(AVPacket* pPacket, AVRational from, int nOutput)
{
    const AVRational to = m_pOutput->streams[nOutput]->time_base;
    const auto rounding = AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX);
    pPacket->pts = av_rescale_q_rnd(pPacket->pts, from, to, rounding);
    pPacket->dts = av_rescale_q_rnd(pPacket->dts, from, to, rounding);
    pPacket->duration = av_rescale_q(pPacket->duration, from, to);
    pPacket->pos = -1;
    pPacket->stream_index = nOutput;
    const int nResult = av_interleaved_write_frame(m_pOutput.get(), pPacket);
    av_packet_unref(pPacket);
    if (nResult >= 0) {
        ++m_nWritten;
        return 0;
    }
    // Only a failed write ends the recording; a packet the muxer refuses (a
    // camera's timestamps going back) is dropped, logged once.
    const int nIoError = m_pOutput->pb ? m_pOutput->pb->error : 0;
    if (nIoError < 0) {
        m_nWriteError = nIoError;
        return nIoError;
    }
    if (m_nDropped++ == 0)
        qDebug("Error muxing packet: %s (later ones are not logged)",
               qPrintable(errorText(nResult)));
    return 0;
}

RecordThread::Result RecordThread::StopRecording()
{
    // Also cuts an open or a read that is blocked right now.
    m_bStop = true;
    wait();
    if (m_bHeaderWritten)
        m_eResult = finish();
    release();
    return m_eResult;
}

// Ends the file after the copy loop: the trailer, then the plain rewrite in
// the background; after a write error the fragmented file cut back to a whole
// fragment; no file at all when nothing was recorded.
RecordThread::Result RecordThread::finish()
{
    m_bHeaderWritten = false;
    const EndReason eReason = m_eEndReason;
    bool bWriteFailed = eReason == EndDiskFull || eReason == EndWriteFailed;
    if (!bWriteFailed) {
        for (size_t i = 0; i < m_transcoders.size() && m_nWriteError == 0; ++i) {
            if (!m_transcoders[i] || m_streamMap[i] < 0)
                continue;
            const AVRational from = m_transcoders[i]->timeBase();
            const int nOutput = m_streamMap[i];
            m_transcoders[i]->flush([&](AVPacket* p) { return mux(p, from, nOutput); });
        }
        if (m_nWritten > 0 && (m_nWriteError < 0 || av_write_trailer(m_pOutput.get()) < 0)) {
            qDebug("RecordThread: writing the end of %s failed", m_strOutput.constData());
            bWriteFailed = true;
        }
    }
    const qint64 nWritten = m_nWritten;
    release();
    const QString strPath = m_strOutputName;
    qint64 nKept = nWritten;
    if (nWritten > 0 && bWriteFailed) {
        nKept = RecordFinish::cutToWholeFragment(strPath);
        if (nKept < 0)
            qDebug("RecordThread: %s could not be cut back to a whole fragment",
                   m_strOutput.constData());
    }
    if (nKept == 0) {
        QFile::remove(strPath);
        qDebug("RecordThread: nothing was recorded, %s removed", m_strOutput.constData());
        return ResultNothing;
    }
    if (!bWriteFailed)
        finishingPool()->start([strPath] { RecordFinish::rewritePlain(strPath); });
    return ResultSaved;
}

void RecordThread::release()
{
    m_pPacket.reset();
    m_filters.clear();
    m_transcoders.clear();
    m_pOutput.reset();
    // The camera hears the TEARDOWN even after a stop.
    CInputOpener(&m_guard).close(&m_pInput);
    m_pOutputFormat = nullptr;
    m_bHeaderWritten = false;
}
