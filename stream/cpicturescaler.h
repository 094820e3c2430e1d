#ifndef CPICTURESCALER_H
#define CPICTURESCALER_H

#include "velffmpeg.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <vector>

// Converts decoded pictures to Qt's RGB32 at the size they are shown, into an
// image the caller owns and reuses, so that painting is a 1:1 blit. Planar
// 4:2:0 and 4:2:2 pictures are scaled and converted with libyuv; any other
// format goes through a swscale context that is kept while size, format and
// range hold. One scaler per decode thread.
class CPictureScaler
{
public:
    enum Method {
        LibYuv,          // libyuv, bilinear; swscale fast bilinear for other formats
        SwsFastBilinear, // swscale only, each with this filter
        SwsBilinear,
        SwsPoint,
    };

    CPictureScaler();
    CPictureScaler(const CPictureScaler&) = delete;
    CPictureScaler& operator=(const CPictureScaler&) = delete;
    ~CPictureScaler();

    // pImage must be RGB32 and not shared; its size is the output size.
    bool scale(const AVFrame* pFrame, QImage* pImage);
    void reset();

    // The whole picture at its decoded size (snapshots, posters). Any thread;
    // it builds a scaler of its own, so it is for the occasional picture.
    static QImage fullPicture(const AVFrame* pFrame);

    // Chosen by measurement; the benchmark compares the others.
    static void setDefaultMethod(Method method);
    static Method defaultMethod();
    static const char* methodName(Method method);

private:
    bool scaleWithLibYuv(const AVFrame* pFrame, QImage* pImage);
    bool scaleWithSws(const AVFrame* pFrame, QImage* pImage, int nFlags);

    Method m_method;
    VelSwsPtr m_pSws;
    int m_nSwsKey[6] = {0, 0, 0, 0, -1, -1}; // source w, h, output w, h, format, range|flags
    std::vector<uint8_t> m_planes;           // scaled Y, U and V for libyuv
};

#endif // CPICTURESCALER_H
