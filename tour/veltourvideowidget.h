#ifndef VELTOURVIDEOWIDGET_H
#define VELTOURVIDEOWIDGET_H

#include "velvideolabel.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <QTimer>

class QAbstractButton;
class QLabel;
class QVBoxLayout;
class RecordThread;
class VelCloudSettingWidget;
class VelPopContainer;
class VelVideoControlBar;

// The one view of the tour control: a video label that owns its player, with
// a control bar (channel name; PTZ, snapshot, record and audio buttons), a
// PTZ pad in a pop-up, snapshots and recordings into files the user picks,
// and a double click that goes full screen on the classroom's main stream.
// GUI thread only.
class VelTourVideoWidget : public VelVideoLabel
{
    Q_OBJECT
public:
    explicit VelTourVideoWidget(QWidget* parent);
    ~VelTourVideoWidget() override;

    // Addresses without "rtsp" or "rtp" are ignored.
    void Play(QString address);
    void Stop();
    void SetRunMode(int nMode);
    void SetChannelName(QString strName);
    void SetStreamingUrls(QString strMain, QString strSub);
    void SetPtzEnable(bool bEnable);

    VelVideoControlBar* controlBar() const { return m_pControlBar; }
    VelCloudSettingWidget* ptzPad() const { return m_pPtzPad; }
    VelPopContainer* ptzPopup() const { return m_pPtzPopup; }
    RecordThread* recorder() const { return m_pRecorder; }
    bool isFullScreenMode() const { return m_bFullScreen; }
    // The picture shown now at the size it was decoded; null before the
    // first picture of the current player.
    QImage currentPicture();

    // The text of one PTZ event: a JSON object with the members token,
    // target, event and requestParam, in that order.
    static QString ptzEventText(const QString& strToken, const QString& strTarget,
                                const QString& strEvent);

signals:
    // A PTZ button went down or came up; the control passes it to the page.
    void sigPtzControl(QString strJson);

public slots:
    void snapshot();
    void record(bool checked);
    void audioPlay(bool checked);
    void ptzControl();
    void setButtonEnable(QString strKey, bool bVisible);

protected slots:
    void sltButtonPressed(QAbstractButton* pbtn);
    void sltButtonReleased(QAbstractButton* pbtn);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void replacePlayer(const QString& strUrl);
    void startRecorder(const QString& strPath);
    void recorderEnded(int nReason);
    // Stops and deletes the recorder; whether its file holds anything.
    bool dropRecorder();
    // A short line over the picture, gone after a few seconds.
    void showNotice(const QString& strText);

    RecordThread* m_pRecorder = nullptr;
    // Tells a late report of a recorder that is gone from the current one's.
    int m_nRecorderGeneration = 0;
    bool m_bFullScreen = false;
    VelVideoControlBar* m_pControlBar = nullptr;
    VelCloudSettingWidget* m_pPtzPad = nullptr;
    VelPopContainer* m_pPtzPopup = nullptr; // no parent: a window of its own
    QString m_strMainStream;
    QString m_strSubStream;
    QString m_strPreviousAddress;
    QVBoxLayout* m_pLayout = nullptr;
    QLabel* m_pNotice = nullptr;
    QTimer m_noticeTimer;
    QPainter m_painter;
};

#endif // VELTOURVIDEOWIDGET_H
