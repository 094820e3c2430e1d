#ifndef VELPOPCONTAINER_H
#define VELPOPCONTAINER_H

#include <QColor>
#include <QFrame>

class QGridLayout;
class QLabel;
class QListWidgetItem;
class QPropertyAnimation;

// Frameless pop-up panel with a speech-bubble arrow pointing at an anchor point.
// It wraps one content widget, optionally under a title, slides in from the left
// while fading in and slides out to the right while fading out. close() only
// starts the fade-out; the end of it hides the panel, so one container serves
// every pop-up of its owner. GUI thread only.
class VelPopContainer : public QFrame
{
    Q_OBJECT

public:
    VelPopContainer(QWidget* parent, QWidget* pContent, const QString& strTitle);

    // Shows the panel with its arrow at (x, y). dy lifts the anchor in placement
    // mode 1 only; extra is accepted for the callers' sake and unused.
    void popupAt(int x, int y, int dy, int extra);
    // 0: arrow on the top edge, panel below the anchor; 1: arrow at the bottom,
    // panel above the anchor. popupAt turns to the other side when the panel
    // would leave the pointer's screen; placementMode() tells the side in use.
    void setPlacementMode(int nMode);
    void setBackgroundColor(const QColor& color) { m_backgroundColor = color; }

    int placementMode() const { return m_nPlacementMode; }
    int arrowOffset() const { return m_nArrowOffset; }
    QColor backgroundColor() const { return m_backgroundColor; }
    QWidget* contentWidget() const { return m_pContent; }

public slots:
    // Overloads so that list and table clicks can close the pop-up directly.
    void sltClosePopContainer();
    void sltClosePopContainer(int a, int b);
    void sltClosePopContainer(QListWidgetItem* item);

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private slots:
    void sltOpacityAnimationFinished();

private:
    void place();
    void updateShape();
    void startPopup(int x, int y, int dy);
    void startFadeOut();
    void keepOnScreen(const QRect& screen, int y);
    int placedHeight() const;
    static QRect screenRect(const QPoint& point);

    int m_nTotalWidth = 0;
    int m_nTotalHeight = 0;
    int m_nContentWidth = 0;
    int m_nContentHeight = 0;
    int m_nMargin = 5;
    int m_nAnchorX = 100;
    int m_nAnchorY = 100;
    int m_nArrowOffset = 10;
    int m_nArrowWidth = 12;
    int m_nArrowHeight = 6;
    int m_nPlacementMode = 0;
    int m_nWantedMode = 0; // the caller's choice, tried first at every pop-up
    QWidget* m_pContent = nullptr;
    QLabel* m_pTitleLabel = nullptr;
    QColor m_backgroundColor;
    QGridLayout* m_pGridLayout = nullptr;
    QPropertyAnimation* m_pGeometryAnimation = nullptr;
    QPropertyAnimation* m_pOpacityAnimation = nullptr;
#ifdef VEL_FORM_VIMBREL
    // The tour form places its first pop-up only once the window has its real
    // size: popupAt before the first resize event just shows and remembers.
    bool m_bResized = false;
    bool m_bPopupPending = false;
    int m_nPendingX = 0;
    int m_nPendingY = 0;
    int m_nPendingDy = 0;
    int m_nPendingExtra = 0;
#endif
};

#endif // VELPOPCONTAINER_H
