#ifndef VELPICTUREGRAB_H
#define VELPICTUREGRAB_H

#include <QImage>
#include <QPaintDevice>
#include <QSize>

#include <memory>

// A paint device that keeps the largest pixmap painted on it, at that
// pixmap's own size. Rendering a video label onto it yields the picture the
// label shows, as the player decoded it rather than as scaled on screen.
// GUI thread only.
class VelPictureGrab : public QPaintDevice
{
public:
    explicit VelPictureGrab(const QSize& size);
    ~VelPictureGrab() override;

    QPaintEngine* paintEngine() const override;
    // Null when nothing was painted.
    QImage picture() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    std::unique_ptr<Engine> m_pEngine;
    QSize m_size;
};

#endif // VELPICTUREGRAB_H
