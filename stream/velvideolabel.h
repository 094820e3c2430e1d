#ifndef VELVIDEOLABEL_H
#define VELVIDEOLABEL_H

#include <QLabel>

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

class VelVideoLabel : public QLabel {
    Q_OBJECT
public:
    explicit VelVideoLabel(QWidget* parent = nullptr);
    ~VelVideoLabel() override;

    int state() const { return m_nState; }
    void setState(int nState);

private:
    int m_nState = VideoConnecting;
};

#endif // VELVIDEOLABEL_H
