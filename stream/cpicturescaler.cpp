#include "cpicturescaler.h"

#include <libyuv/convert_argb.h>
#include <libyuv/scale.h>

#include <algorithm>
#include <atomic>

namespace
{

std::atomic<int> s_defaultMethod{CPictureScaler::LibYuv};

// The scaler knows the full-range (JPEG) formats only under their
// limited-range names plus a range flag. Asked for a J format it converts
// the format on the way in, so a cached context never matched the next
// picture and was rebuilt, with a warning, every time.
AVPixelFormat limitedRangeName(AVPixelFormat format, bool* pFullRange)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV411P;
    default:
        return format;
    }
}

// A context for one conversion, full range mapped once.
SwsContext* makeSws(const AVFrame* pFrame, int nWidth, int nHeight, int nFlags, int* pFormat,
                    int* pRange)
{
    bool bFullRange = pFrame->color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat format = limitedRangeName(AVPixelFormat(pFrame->format), &bFullRange);
    *pFormat = format;
    *pRange = bFullRange ? 1 : 0;
    SwsContext* pSws = sws_getContext(pFrame->width, pFrame->height, format, nWidth, nHeight,
                                      AV_PIX_FMT_RGB32, nFlags, nullptr, nullptr, nullptr);
    if (pSws && bFullRange) {
        const int* pCoefficients = sws_getCoefficients(SWS_CS_DEFAULT);
        sws_setColorspaceDetails(pSws, pCoefficients, 1, pCoefficients, 1, 0, 1 << 16, 1 << 16);
    }
    return pSws;
}

bool swsInto(SwsContext* pSws, const AVFrame* pFrame, QImage* pImage)
{
    uint8_t* const dst[4] = {pImage->bits(), nullptr, nullptr, nullptr};
    const int dstStride[4] = {int(pImage->bytesPerLine()), 0, 0, 0};
    return sws_scale(pSws, pFrame->data, pFrame->linesize, 0, pFrame->height, dst, dstStride) > 0;
}

} // namespace

CPictureScaler::CPictureScaler() : m_method(Method(s_defaultMethod.load())) {}

CPictureScaler::~CPictureScaler() = default;

void CPictureScaler::setDefaultMethod(Method method)
{
    s_defaultMethod = method;
}

CPictureScaler::Method CPictureScaler::defaultMethod()
{
    return Method(s_defaultMethod.load());
}

const char* CPictureScaler::methodName(Method method)
{
    switch (method) {
    case LibYuv:
        return "libyuv";
    case SwsFastBilinear:
        return "swscale fast bilinear";
    case SwsBilinear:
        return "swscale bilinear";
    case SwsPoint:
        return "swscale point";
    }
    return "?";
}

void CPictureScaler::reset()
{
    m_pSws.reset();
    m_nSwsKey[4] = -1;
    m_planes.clear();
    m_planes.shrink_to_fit();
}

bool CPictureScaler::scale(const AVFrame* pFrame, QImage* pImage)
{
    if (pFrame->width <= 0 || pFrame->height <= 0 || pImage->isNull() ||
        pImage->format() != QImage::Format_RGB32)
        return false;
    switch (m_method) {
    case LibYuv:
        return scaleWithLibYuv(pFrame, pImage) || scaleWithSws(pFrame, pImage, SWS_FAST_BILINEAR);
    case SwsFastBilinear:
        return scaleWithSws(pFrame, pImage, SWS_FAST_BILINEAR);
    case SwsBilinear:
        return scaleWithSws(pFrame, pImage, SWS_BILINEAR);
    case SwsPoint:
        return scaleWithSws(pFrame, pImage, SWS_POINT);
    }
    return false;
}

// Planar 4:2:0 and 4:2:2 only: scaled plane by plane into m_planes (skipped at
// the decoded size), then converted with the BT.601 matrix of the picture's
// range, as swscale's default does.
bool CPictureScaler::scaleWithLibYuv(const AVFrame* pFrame, QImage* pImage)
{
    const int format = pFrame->format;
    const bool b420 = format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
    const bool b422 = format == AV_PIX_FMT_YUV422P || format == AV_PIX_FMT_YUVJ422P;
    if (!b420 && !b422)
        return false;
    const bool bFull = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
                       pFrame->color_range == AVCOL_RANGE_JPEG;
    const int nWidth = pImage->width();
    const int nHeight = pImage->height();

    const uint8_t* pY = pFrame->data[0];
    const uint8_t* pU = pFrame->data[1];
    const uint8_t* pV = pFrame->data[2];
    int nStrideY = pFrame->linesize[0];
    int nStrideU = pFrame->linesize[1];
    int nStrideV = pFrame->linesize[2];
    if (nWidth != pFrame->width || nHeight != pFrame->height) {
        const int nChromaWidth = (nWidth + 1) / 2;
        const int nChromaHeight = b420 ? (nHeight + 1) / 2 : nHeight;
        const size_t nLuma = size_t(nWidth) * size_t(nHeight);
        const size_t nChroma = size_t(nChromaWidth) * size_t(nChromaHeight);
        // Grows with the shown size only, never per picture.
        if (m_planes.size() < nLuma + 2 * nChroma)
            m_planes.resize(nLuma + 2 * nChroma);
        uint8_t* pDstY = m_planes.data();
        uint8_t* pDstU = pDstY + nLuma;
        uint8_t* pDstV = pDstU + nChroma;
        const int nResult =
            b420 ? libyuv::I420Scale(pY, nStrideY, pU, nStrideU, pV, nStrideV, pFrame->width,
                                     pFrame->height, pDstY, nWidth, pDstU, nChromaWidth, pDstV,
                                     nChromaWidth, nWidth, nHeight, libyuv::kFilterBilinear)
                 : libyuv::I422Scale(pY, nStrideY, pU, nStrideU, pV, nStrideV, pFrame->width,
                                     pFrame->height, pDstY, nWidth, pDstU, nChromaWidth, pDstV,
                                     nChromaWidth, nWidth, nHeight, libyuv::kFilterBilinear);
        if (nResult != 0)
            return false;
        pY = pDstY;
        pU = pDstU;
        pV = pDstV;
        nStrideY = nWidth;
        nStrideU = nStrideV = nChromaWidth;
    }
    uint8_t* pArgb = pImage->bits();
    const int nStride = int(pImage->bytesPerLine());
    int nResult = 0;
    if (b420)
        nResult = bFull ? libyuv::J420ToARGB(pY, nStrideY, pU, nStrideU, pV, nStrideV, pArgb,
                                             nStride, nWidth, nHeight)
                        : libyuv::I420ToARGB(pY, nStrideY, pU, nStrideU, pV, nStrideV, pArgb,
                                             nStride, nWidth, nHeight);
    else
        nResult = bFull ? libyuv::J422ToARGB(pY, nStrideY, pU, nStrideU, pV, nStrideV, pArgb,
                                             nStride, nWidth, nHeight)
                        : libyuv::I422ToARGB(pY, nStrideY, pU, nStrideU, pV, nStrideV, pArgb,
                                             nStride, nWidth, nHeight);
    return nResult == 0;
}

// One context per source size, output size, format, range and filter: built
// once, kept while they hold.
bool CPictureScaler::scaleWithSws(const AVFrame* pFrame, QImage* pImage, int nFlags)
{
    bool bFullRange = pFrame->color_range == AVCOL_RANGE_JPEG;
    const int nFormat = limitedRangeName(AVPixelFormat(pFrame->format), &bFullRange);
    const int key[6] = {pFrame->width,    pFrame->height, pImage->width(),
                        pImage->height(), nFormat,        (bFullRange ? 1 : 0) | (nFlags << 1)};
    if (!m_pSws || !std::equal(key, key + 6, m_nSwsKey)) {
        int nMadeFormat = -1;
        int nMadeRange = 0;
        m_pSws.reset(
            makeSws(pFrame, pImage->width(), pImage->height(), nFlags, &nMadeFormat, &nMadeRange));
        m_nSwsKey[4] = -1;
        if (!m_pSws)
            return false;
        std::copy(key, key + 6, m_nSwsKey);
    }
    return swsInto(m_pSws.get(), pFrame, pImage);
}

QImage CPictureScaler::fullPicture(const AVFrame* pFrame)
{
    if (!pFrame || pFrame->width <= 0 || pFrame->height <= 0)
        return QImage();
    int nFormat = -1;
    int nRange = 0;
    VelSwsPtr pSws(makeSws(pFrame, pFrame->width, pFrame->height, SWS_BICUBIC, &nFormat, &nRange));
    QImage image(pFrame->width, pFrame->height, QImage::Format_RGB32);
    if (!pSws || image.isNull() || !swsInto(pSws.get(), pFrame, &image))
        return QImage();
    return image;
}
