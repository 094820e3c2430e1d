#ifndef VELVIDEOCONTROLBAR_H
#define VELVIDEOCONTROLBAR_H

#include <QFrame>
#include <QPainter>

class QHBoxLayout;
class QLabel;
class VelPushButton;

// The bar along the bottom of the tour view: the channel name, then the PTZ,
// snapshot, record and audio buttons. Record and audio are two-state; their
// clicks report the new state, and the owner sets what they show afterwards.
// GUI thread only.
class VelVideoControlBar : public QFrame
{
    Q_OBJECT
public:
    explicit VelVideoControlBar(QWidget* parent);

    void SetChannelName(const QString& strName);
    QString channelName() const;

    // "ptz", "snapshot", "record" or "audio"; null for any other key.
    VelPushButton* button(const QString& strKey) const;
    // What the two-state buttons show; Qt's check state follows, so that a
    // state set from outside and the next click agree.
    void setRecordState(bool bOn);
    // Shows off whenever the sound device could not be opened.
    void setAudioState(bool bOn);
    // Whether the player could open the sound device: without one the audio
    // button stays off and its tool tip says why.
    void setAudioDeviceOpen(bool bOpen);
    bool audioDeviceOpen() const { return m_bAudioDeviceOpen; }
    bool recordState() const;
    bool audioState() const;

signals:
    void Record(bool bOn);
    void Audio(bool bOn);
    void sigPtzClicked();
    void sigSnapshotClicked();

protected slots:
    void RecordClick();
    void AudioClick();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    VelPushButton* makeButton(const char* szImage, const char* szToolTip, bool bTwoState);

    QPainter m_painter;
    QLabel* m_pChannelLabel = nullptr;
    VelPushButton* m_pPtzButton = nullptr;
    VelPushButton* m_pSnapshotButton = nullptr;
    VelPushButton* m_pRecordButton = nullptr;
    VelPushButton* m_pAudioButton = nullptr;
    QHBoxLayout* m_pLayout = nullptr;
    bool m_bAudioDeviceOpen = true;
};

#endif // VELVIDEOCONTROLBAR_H
