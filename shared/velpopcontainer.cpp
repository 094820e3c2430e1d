#include "velpopcontainer.h"

#include <QApplication>
#include <QBitmap>
#include <QDesktopWidget>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QPropertyAnimation>
#include <QScreen>

namespace
{

const int kAnimationMs = 500;
const int kSlideDistance = 50;
const int kTitleHeight = 20;
// Distance of the arrow from the panel's left or right end when popped up.
const int kArrowInset = 10;

const QString kTitleStyle =
    QStringLiteral("border:0px solid red;                                    "
                   "border-bottom:%1px solid gray");

} // namespace

VelPopContainer::VelPopContainer(QWidget* parent, QWidget* pContent, const QString& strTitle)
    : QFrame(parent)
{
    m_pGeometryAnimation = new QPropertyAnimation(this, "geometry", this);
    m_pOpacityAnimation = new QPropertyAnimation(this, "windowOpacity", this);

    m_pContent = pContent;
    if (!m_pContent) {
        m_pContent = new QWidget(parent);
        m_pContent->resize(100, 100);
    }

    m_pGridLayout = new QGridLayout;
    m_pGridLayout->setContentsMargins(m_nMargin, m_nMargin + m_nArrowHeight, m_nMargin, m_nMargin);
    m_pGridLayout->setSpacing(0);
    m_backgroundColor = QColor(231, 232, 230, 255);

    m_nContentWidth = m_pContent->width();
    m_nContentHeight = m_pContent->height();

    const bool bHasTitle = !strTitle.isEmpty();
    const int nTitleHeight = bHasTitle ? kTitleHeight : 0;
    m_pTitleLabel = new QLabel(strTitle);
    m_pTitleLabel->setContentsMargins(5, 0, 0, 0);
    m_pTitleLabel->setStyleSheet(kTitleStyle.arg(bHasTitle ? 1 : 0));
    m_pTitleLabel->setFixedSize(m_nContentWidth, nTitleHeight);

    m_pGridLayout->addWidget(m_pTitleLabel, 0, 0);
    m_pGridLayout->addWidget(m_pContent, 1, 0);
    setLayout(m_pGridLayout);

    m_nTotalWidth = m_nContentWidth + 2 * m_nMargin;
    m_nTotalHeight = nTitleHeight + 2 * m_nMargin + m_nArrowHeight + m_nContentHeight;

    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_pContent->setParent(this);

    place();

    connect(m_pOpacityAnimation, &QPropertyAnimation::finished, this,
            &VelPopContainer::sltOpacityAnimationFinished);
}

void VelPopContainer::popupAt(int x, int y, int dy, int extra)
{
#ifdef VEL_FORM_VIMBREL
    m_nPendingX = x;
    m_nPendingY = y;
    m_nPendingDy = dy;
    m_nPendingExtra = extra;
    if (!m_bResized) {
        m_bPopupPending = true;
        show();
        return;
    }
#endif
    Q_UNUSED(extra)
    startPopup(x, y, dy);
    m_pGeometryAnimation->start();
    m_pOpacityAnimation->start();
    show();
}

// Places the panel for the anchor and sets both animations up for a fade-in;
// starting them is left to the caller.
void VelPopContainer::startPopup(int x, int y, int dy)
{
    const QRect screen = screenRect(QPoint(x, y));
    m_pGridLayout->activate();

    m_pGeometryAnimation->stop();
    m_pOpacityAnimation->stop();

    m_nPlacementMode = m_nWantedMode;
    m_nAnchorX = x;
    place();
    m_nAnchorY = m_nPlacementMode == 1 ? y - dy : y;
    place();

    if (screen.right() < x + m_nTotalWidth - kArrowInset) {
#ifdef VEL_FORM_VIMBREL
        m_nArrowOffset = x + m_nTotalWidth - screen.right();
#else
        m_nArrowOffset = m_nTotalWidth - m_nArrowWidth - kArrowInset;
#endif
    } else {
        m_nArrowOffset = kArrowInset;
    }
    // Near the left edge the arrow moves left with the pointer instead.
    if (x - m_nArrowWidth / 2 - m_nArrowOffset < screen.left())
        m_nArrowOffset = qMax(0, x - m_nArrowWidth / 2 - screen.left());
    keepOnScreen(screen, y);
    place();
    updateShape();

    const QRect current = geometry();
    m_pGeometryAnimation->setDuration(kAnimationMs);
    m_pGeometryAnimation->setStartValue(current.translated(-kSlideDistance, 0));
    m_pGeometryAnimation->setEndValue(current);
    m_pGeometryAnimation->setEasingCurve(QEasingCurve::OutExpo);

    m_pOpacityAnimation->setDuration(kAnimationMs);
    m_pOpacityAnimation->setStartValue(0.0);
    m_pOpacityAnimation->setEndValue(1.0);
}

void VelPopContainer::startFadeOut()
{
    // A running fade-in is taken over; start() would ignore a running animation.
    m_pGeometryAnimation->stop();
    m_pOpacityAnimation->stop();

    const QRect current = geometry();
    m_pGeometryAnimation->setDuration(kAnimationMs);
    m_pGeometryAnimation->setStartValue(current);
    m_pGeometryAnimation->setEndValue(current.translated(kSlideDistance, 0));
    m_pGeometryAnimation->setEasingCurve(QEasingCurve::InExpo);

    m_pOpacityAnimation->setDuration(kAnimationMs);
    m_pOpacityAnimation->setStartValue(1.0);
    m_pOpacityAnimation->setEndValue(0.0);

    m_pGeometryAnimation->start();
    m_pOpacityAnimation->start();
}

// The panel must stay reachable on the screen that holds the pointer: one that
// would run past the bottom (the strip and thumbnails sit low on the page)
// stands above the pointer instead, one that would run past the top hangs below
// it, and when neither side has the room it takes the roomier side and is
// pushed inside. The caller's mode stays the one tried first next time.
void VelPopContainer::keepOnScreen(const QRect& screen, int y)
{
    const int nHeight = placedHeight();
    auto fits = [&](int nMode, int nAnchorY) {
        return nMode == 0 ? nAnchorY + nHeight - 1 <= screen.bottom()
                          : nAnchorY - nHeight >= screen.top();
    };
    if (fits(m_nPlacementMode, m_nAnchorY))
        return;
    const int nOther = m_nPlacementMode == 0 ? 1 : 0;
    if (fits(nOther, y)) {
        m_nPlacementMode = nOther;
        m_nAnchorY = y;
        return;
    }
    m_nPlacementMode = screen.bottom() - y >= y - screen.top() ? 0 : 1;
    m_nAnchorY = y;
    if (m_nPlacementMode == 0)
        m_nAnchorY = qMax(screen.top(), qMin(y, screen.bottom() - nHeight + 1));
    else
        m_nAnchorY = qMin(screen.bottom() + 1, qMax(y, screen.top() + nHeight));
}

QRect VelPopContainer::screenRect(const QPoint& point)
{
    QScreen* pScreen = QGuiApplication::screenAt(point);
    if (!pScreen)
        pScreen = QGuiApplication::primaryScreen();
    return pScreen ? pScreen->geometry() : QApplication::desktop()->rect();
}

void VelPopContainer::setPlacementMode(int nMode)
{
    m_nWantedMode = nMode;
    m_nPlacementMode = nMode;
    place();
    updateShape();
}

void VelPopContainer::place()
{
    const int x = m_nAnchorX - m_nArrowWidth / 2 - m_nArrowOffset;
    const int y = m_nPlacementMode == 0 ? m_nAnchorY : m_nAnchorY - placedHeight();
    setGeometry(x, y, m_nTotalWidth, m_nTotalHeight);
    update();
}

// Content that grew after construction (the layout list fills from the page's
// answer) makes the layout hold the window taller than the size read then.
int VelPopContainer::placedHeight() const
{
    return qMax(m_nTotalHeight, minimumHeight());
}

void VelPopContainer::sltClosePopContainer()
{
    close();
}

void VelPopContainer::sltClosePopContainer(int a, int b)
{
    Q_UNUSED(a)
    Q_UNUSED(b)
    close();
}

void VelPopContainer::sltClosePopContainer(QListWidgetItem* item)
{
    Q_UNUSED(item)
    close();
}

void VelPopContainer::sltOpacityAnimationFinished()
{
    // Only the end of a fade-out hides; a finished fade-in leaves the panel up.
    if (qFuzzyIsNull(m_pOpacityAnimation->endValue().toReal()))
        hide();
}

bool VelPopContainer::event(QEvent* e)
{
    if (e->type() == QEvent::Close) {
        // Closing is animated: the panel stays until the fade-out hides it.
        startFadeOut();
        e->ignore();
        return false;
    }
    // On Windows the first native window of this class also drops the class's
    // CS_DROPSHADOW style, once per process. X11 and the offscreen platform give
    // this frameless popup no shadow of their own, so Linux has nothing to undo.
    return QFrame::event(e);
}

void VelPopContainer::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
#ifdef VEL_FORM_VIMBREL
    if (!m_bResized) {
        m_bResized = true;
        if (m_bPopupPending) {
            m_bPopupPending = false;
            startPopup(m_nPendingX, m_nPendingY, m_nPendingDy);
        }
    }
#endif
    updateShape();
}

// Margins follow the arrow's edge; the outline becomes the window mask.
void VelPopContainer::updateShape()
{
    const int W = width();
    const int H = height();
    const int a = m_nArrowOffset;
    const int w = m_nArrowWidth;
    const int h = m_nArrowHeight;

    QPolygon outline;
    if (m_nPlacementMode == 0) {
        m_pGridLayout->setContentsMargins(m_nMargin, m_nMargin + h, m_nMargin, m_nMargin);
        outline << QPoint(a, h) << QPoint(a + w / 2, 0) << QPoint(a + w, h) << QPoint(W - 1, h)
                << QPoint(W - 1, H - 1) << QPoint(0, H - 1) << QPoint(0, h);
    } else {
        m_pGridLayout->setContentsMargins(m_nMargin, m_nMargin, m_nMargin, m_nMargin + h);
        outline << QPoint(a, H - 1 - h) << QPoint(a + w / 2, H - 1) << QPoint(a + w, H - 1 - h)
                << QPoint(W, H - h) << QPoint(W - 1, 0) << QPoint(0, 0) << QPoint(0, H - 1 - h);
    }
    if (W <= 0 || H <= 0)
        return;

    QPixmap shape(W, H);
    shape.fill(Qt::transparent);
    {
        const QColor fill(220, 220, 220, 200);
        QPainter painter(&shape);
        // The edge in the fill colour too, so the outline's last row and column
        // stay inside the mask.
        painter.setPen(fill);
        painter.setBrush(fill);
        painter.drawPolygon(outline);
    }
    setMask(shape.createHeuristicMask());
}

void VelPopContainer::paintEvent(QPaintEvent* e)
{
    Q_UNUSED(e)
    const int W = width();
    const int H = height();
    const int a = m_nArrowOffset;
    const int w = m_nArrowWidth;
    const int h = m_nArrowHeight;

    {
        QPainter painter(this);
        QPen pen(QColor(0, 0, 0, 0));
        pen.setWidth(1);
        painter.setPen(pen);
        painter.setBrush(m_backgroundColor);

        QPolygon arrow;
        if (m_nPlacementMode == 0) {
            painter.drawRoundedRect(QRect(0, h, W - pen.width(), H - h - pen.width()), 3, 3);
            arrow << QPoint(a, h) << QPoint(a + w / 2, 0) << QPoint(a + w, h);
        } else {
            painter.drawRoundedRect(QRect(0, 0, W - pen.width(), H - 1 - h), 3, 3);
            arrow << QPoint(a, H - 1 - h) << QPoint(a + w / 2, H - 1) << QPoint(a + w, H - 1 - h);
        }
        painter.drawPolygon(arrow);
    }
    updateShape();
}
