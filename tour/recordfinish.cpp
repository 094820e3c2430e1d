#include "recordfinish.h"

#include "velffmpeg.h"

#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <cstdio>
#include <memory>

namespace
{

struct PlainOutputDeleter {
    void operator()(AVFormatContext* p) const
    {
        if (p && !(p->oformat->flags & AVFMT_NOFILE))
            avio_closep(&p->pb);
        avformat_free_context(p);
    }
};
using PlainOutputPtr = std::unique_ptr<AVFormatContext, PlainOutputDeleter>;

QByteArray errorText(int nError)
{
    char szText[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(nError, szText, sizeof szText);
    return QByteArray(szText);
}

PlainOutputPtr openPlainOutput(const AVFormatContext* pInput, const QByteArray& strOut)
{
    AVFormatContext* pRaw = nullptr;
    if (avformat_alloc_output_context2(&pRaw, nullptr, "mp4", strOut.constData()) < 0)
        return nullptr;
    PlainOutputPtr pOutput(pRaw);
    for (unsigned i = 0; i < pInput->nb_streams; ++i) {
        AVStream* pStream = avformat_new_stream(pOutput.get(), nullptr);
        if (!pStream ||
            avcodec_parameters_copy(pStream->codecpar, pInput->streams[i]->codecpar) < 0)
            return nullptr;
        pStream->codecpar->codec_tag = 0;
        pStream->time_base = pInput->streams[i]->time_base;
    }
    return pOutput;
}

// Every packet of pInput into pOutput. Only the end of the file ends the copy:
// a read error in the middle would otherwise finish a truncated recording.
int copyPackets(AVFormatContext* pInput, AVFormatContext* pOutput, const char** pszWhere)
{
    VelPacketPtr pPacket(av_packet_alloc());
    if (!pPacket)
        return AVERROR(ENOMEM);
    for (;;) {
        int nResult = av_read_frame(pInput, pPacket.get());
        if (nResult == AVERROR_EOF)
            return 0;
        if (nResult < 0) {
            *pszWhere = "reading the recording";
            return nResult;
        }
        const AVStream* pIn = pInput->streams[pPacket->stream_index];
        const AVStream* pOut = pOutput->streams[pPacket->stream_index];
        av_packet_rescale_ts(pPacket.get(), pIn->time_base, pOut->time_base);
        pPacket->pos = -1;
        nResult = av_interleaved_write_frame(pOutput, pPacket.get());
        av_packet_unref(pPacket.get());
        if (nResult < 0) {
            *pszWhere = "writing the copy";
            return nResult;
        }
    }
}

struct Box {
    quint64 nSize = 0;
    QByteArray type;
};

// The top-level box at the file's position; false at the end or on nonsense.
bool readBox(QFile& file, Box* pBox)
{
    const qint64 nStart = file.pos();
    uchar header[16];
    if (file.read(reinterpret_cast<char*>(header), 8) != 8)
        return false;
    quint64 nSize = quint64(header[0]) << 24 | quint64(header[1]) << 16 | quint64(header[2]) << 8 |
                    quint64(header[3]);
    pBox->type = QByteArray(reinterpret_cast<const char*>(header) + 4, 4);
    if (nSize == 1) {
        if (file.read(reinterpret_cast<char*>(header) + 8, 8) != 8)
            return false;
        nSize = 0;
        for (int i = 8; i < 16; ++i)
            nSize = nSize << 8 | header[i];
    }
    // Size 0 (up to the end) is a box whose writing never finished.
    if (nSize < 8 || nSize > quint64(file.size() - nStart))
        return false;
    pBox->nSize = nSize;
    return file.seek(nStart + qint64(nSize));
}

} // namespace

bool RecordFinish::rewritePlain(const QString& strPath)
{
    const QFileInfo info(strPath);
    const QString strTemp = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                            QStringLiteral(".finishing.mp4");
    const QByteArray strIn = QFile::encodeName(strPath);
    const QByteArray strOut = QFile::encodeName(strTemp);

    const char* szWhere = "opening the recording";
    int nResult = 0;
    {
        AVFormatContext* pRawInput = nullptr;
        nResult = avformat_open_input(&pRawInput, strIn.constData(), nullptr, nullptr);
        VelFormatInputPtr pInput(nResult >= 0 ? pRawInput : nullptr);
        if (nResult >= 0)
            nResult = avformat_find_stream_info(pInput.get(), nullptr);
        PlainOutputPtr pOutput = nResult >= 0 ? openPlainOutput(pInput.get(), strOut) : nullptr;
        if (nResult >= 0 && !pOutput)
            nResult = AVERROR(ENOMEM);
        if (nResult >= 0) {
            szWhere = "writing the copy";
            VelDictionary options;
            options.set("movflags", "+faststart");
            nResult = avio_open(&pOutput->pb, strOut.constData(), AVIO_FLAG_WRITE);
            if (nResult >= 0)
                nResult = avformat_write_header(pOutput.get(), options.address());
        }
        if (nResult >= 0)
            nResult = copyPackets(pInput.get(), pOutput.get(), &szWhere);
        // The trailer moves the index to the front: it needs room for the copy.
        if (nResult >= 0) {
            szWhere = "finishing the copy";
            nResult = av_write_trailer(pOutput.get());
        }
        // Closing drops a failed last write silently: flush and look first.
        if (nResult >= 0) {
            avio_flush(pOutput->pb);
            nResult = pOutput->pb->error < 0 ? pOutput->pb->error : 0;
        }
    }
    // rename(2) replaces the fragmented file in one step.
    if (nResult >= 0 && std::rename(strOut.constData(), strIn.constData()) != 0) {
        szWhere = "renaming the copy";
        nResult = AVERROR(errno);
    }
    if (nResult < 0) {
        QFile::remove(strTemp);
        qDebug("RecordThread: %s kept fragmented, %s failed: %s", strIn.constData(), szWhere,
               errorText(nResult).constData());
        return false;
    }
    return true;
}

qint64 RecordFinish::cutToWholeFragment(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadWrite))
        return -1;
    // ftyp, moov, then (moof, mdat) pairs: a fragment is whole once its mdat is.
    qint64 nWhole = 0;
    bool bMoov = false;
    bool bMoof = false;
    Box box;
    while (readBox(file, &box)) {
        if (box.type == "moov") {
            bMoov = true;
        } else if (box.type == "moof") {
            bMoof = bMoov;
        } else if (box.type == "mdat" && bMoof) {
            nWhole = file.pos();
            bMoof = false;
        }
    }
    if (nWhole > 0 && nWhole < file.size() && !file.resize(nWhole))
        return -1;
    return nWhole;
}
