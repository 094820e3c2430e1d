#ifndef VELOUTPUTWIDGET_H
#define VELOUTPUTWIDGET_H

#include "velvideolabel.h"

#include <QMap>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QGraphicsOpacityEffect;
class QPropertyAnimation;
class VelOutputControlBar;

// The directing panel's large video area: plays the program output through the
// player manager like any label, and fades its control bar in while the
// pointer is within the bottom band. Double click toggles full screen.
class VelOutputWidget : public VelVideoLabel
{
    Q_OBJECT

public:
    // The band at the bottom edge that shows the bar, in pixels.
    static const int kBarHeight = 50;

    explicit VelOutputWidget(QWidget* parent = nullptr);
    ~VelOutputWidget() override;

    void setLiveAddress(const QString& strAddress);
    void setSmartDevice(bool isSmart);
    void setNasReady(bool isReady);

    VelOutputControlBar* controlBar() const { return m_pControlBar; }
    // The bar's opacity now, and the one it is fading to.
    qreal barOpacity() const;
    qreal barTargetOpacity() const;
    bool isFullScreenView() const { return m_bFullScreen; }
    // What holds the view's place in the panel: the view itself, or while it
    // is full screen the stand-in that keeps its size there. The panel sizes
    // this one.
    QWidget* panelSlot();

signals:
    void sigRecordModeChanged(QAbstractButton* pbtn);
    void sigSetRecordMode(QString text);
    void sigRecordStateChanged(QString strState);
    void sigRecordTypeChanged(QString strType);

public slots:
    void sltReceiveCommand(QMap<QString, QString> mapMessage);
    void sltSetFunctionShownState(QString strIndex, QString state);
    void sltShowControlBar();
    void sltHideControlBar();
    void sltAnimationFinished();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    // The task overlays' indicators turn too.
    bool keepsSpinning(int nState) const override;

private:
    QRect barGeometry() const;
    void drawTaskOverlays(QPainter& painter, int nState);
    void fadeTo(qreal dOpacity);
    void enterFullScreen();
    void leaveFullScreen();

    VelOutputControlBar* m_pControlBar = nullptr;
    QGraphicsOpacityEffect* m_pOpacityEffect = nullptr;
    QPropertyAnimation* m_pOpacityAnimation = nullptr;
    bool m_bFullScreen = false;
    QPointer<QWidget> m_pStandIn; // only while full screen; the panel owns it
};

#endif // VELOUTPUTWIDGET_H
