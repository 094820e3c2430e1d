#include "velpicturegrab.h"

#include <QPaintEngine>
#include <QPixmap>

#include <climits>

class VelPictureGrab::Engine : public QPaintEngine
{
public:
    Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return QPaintEngine::User; }
    void drawPixmap(const QRectF&, const QPixmap& pixmap, const QRectF&) override
    {
        const QSize size = pixmap.size();
        if (size.width() * size.height() > m_largest.width() * m_largest.height())
            m_largest = pixmap;
    }
    // Images (the no-signal sign) are not pictures of the stream.
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
    {
    }
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}

    QPixmap m_largest;
};

VelPictureGrab::VelPictureGrab(const QSize& size) : m_pEngine(new Engine), m_size(size) {}

VelPictureGrab::~VelPictureGrab() = default;

QPaintEngine* VelPictureGrab::paintEngine() const
{
    return m_pEngine.get();
}

QImage VelPictureGrab::picture() const
{
    return m_pEngine->m_largest.toImage();
}

int VelPictureGrab::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return m_size.width() * 254 / 960;
    case PdmHeightMM:
        return m_size.height() * 254 / 960;
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
    default:
        return QPaintDevice::metric(metric);
    }
}
