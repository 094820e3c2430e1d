#ifndef VELOVERVIEWLISTWIDGET_H
#define VELOVERVIEWLISTWIDGET_H

#include <QList>
#include <QMap>
#include <QRect>
#include <QString>
#include <QWidget>

class QHBoxLayout;
class QPropertyAnimation;
class VelOverviewWidget;

// The row of camera thumbnails under the output view. In the cloud control
// state (manual directing, single screen) it frames every thumbnail in grey
// and the one feeding the program in green, and the operator switches the
// program by picking a thumbnail; the page confirms with a "singleScreen"
// answer. Thumbnail sizes follow the list's width at the time a thumbnail is
// added. GUI thread only.
class VelOverviewListWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QRect broundingVideo READ broundingVideo WRITE setBroundingVideo)

public:
    explicit VelOverviewListWidget(QWidget* parent);

    VelOverviewWidget* addOverviewWidget(const QString& name, const QString& token,
                                         bool bPtzAvailable);
    QList<VelOverviewWidget*> overviewWidgets() const { return m_overviewWidgets; }
    VelOverviewWidget* currentOverviewWidget() const { return m_pCurrent; }
    bool cloudControlState() const { return m_bCloudControlState; }

    // The size every thumbnail gets when one is added to nExisting others in
    // a list nListWidth wide: never below 0, never beyond what a widget holds.
    static QSize thumbnailSize(int nListWidth, int nExisting);

    QRect broundingVideo() const { return m_broundingVideo; }
    void setBroundingVideo(const QRect& rect);

signals:
    void sigSendCommand(QMap<QString, QString> mapMessage);
    void sigCloudButtonsStateChanged(bool isHide);
    void sigHeightChanged(int nHeight);
    void sigCurrentOutputChanged(QString strToken);

public slots:
    void sltReceiveCommand(QMap<QString, QString> lstParam);
    void sltChangeOutputWidget(VelOverviewWidget* pOverview);
    void sltSetCloudControlState(bool state);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void moveFrameTo(VelOverviewWidget* pOverview);
    void resizeThumbnails();
    VelOverviewWidget* thumbnailWithFrame(const QString& strTarget) const;

    VelOverviewWidget* m_pCurrent = nullptr;
    QHBoxLayout* m_pLayout = nullptr;
    QPropertyAnimation* m_pFrameAnimation = nullptr;
    QRect m_broundingVideo;
    QList<VelOverviewWidget*> m_overviewWidgets;
    bool m_bCloudControlState = false;
};

#endif // VELOVERVIEWLISTWIDGET_H
