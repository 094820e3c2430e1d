#include "output/veloutputwidget.h"

#include "output/veloutputcontrolbar.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>

namespace
{

const int kFadeMs = 300;
const qreal kShownOpacity = 0.8;

// Loaded on the first paint of any view and shared by all of them.
const QPixmap& backdropImage()
{
    // Never freed: a pixmap must not outlive the application object.
    static const QPixmap* pImage =
        new QPixmap(QStringLiteral(":/resource/CV_OVERVIEWWIDGET_SLIENT.png"));
    return *pImage;
}

} // namespace

VelOutputWidget::VelOutputWidget(QWidget* parent) : VelVideoLabel(parent)
{
    setObjectName(QStringLiteral("movie"));
    setMouseTracking(true);

    m_pControlBar = new VelOutputControlBar(this);
    m_pControlBar->hide();
    m_pOpacityEffect = new QGraphicsOpacityEffect(this);
    m_pOpacityEffect->setOpacity(0);
    m_pControlBar->setGraphicsEffect(m_pOpacityEffect); // the bar takes it over
    m_pOpacityAnimation = new QPropertyAnimation(m_pOpacityEffect, "opacity", this);

    connect(m_pControlBar, &VelOutputControlBar::sigMouseLeaved, this,
            &VelOutputWidget::sltHideControlBar);
    connect(m_pOpacityAnimation, &QPropertyAnimation::finished, this,
            &VelOutputWidget::sltAnimationFinished);
    connect(this, &VelOutputWidget::sigRecordModeChanged, m_pControlBar,
            &VelOutputControlBar::sltRecordModeChanged);
    connect(m_pControlBar, &VelOutputControlBar::sigRecordStateChanged, this,
            &VelOutputWidget::sigRecordStateChanged);
    connect(m_pControlBar, &VelOutputControlBar::sigRecordTypeChanged, this,
            &VelOutputWidget::sigRecordTypeChanged);
    // The control (our parent) takes the commands and hands out the start time.
    if (parent && parent->metaObject()->indexOfSlot("sltSendCommand(QMap<QString,QString>)") >= 0)
        connect(m_pControlBar, SIGNAL(sigSendCommand(QMap<QString, QString>)), parent,
                SLOT(sltSendCommand(QMap<QString, QString>)));
    if (parent && parent->metaObject()->indexOfSignal("sigStartTimeChanged(QString)") >= 0)
        connect(parent, SIGNAL(sigStartTimeChanged(QString)), m_pControlBar,
                SLOT(sltSetRecordTime(QString)));
}

VelOutputWidget::~VelOutputWidget()
{
    // The animation goes first: it drives the effect the bar owns.
    delete m_pOpacityAnimation;
    m_pOpacityAnimation = nullptr;
    delete m_pControlBar;
    m_pControlBar = nullptr;
    delete m_pStandIn;
}

void VelOutputWidget::setLiveAddress(const QString& strAddress)
{
    m_pControlBar->setLiveAddress(strAddress);
}

void VelOutputWidget::setSmartDevice(bool isSmart)
{
    m_pControlBar->setSmartDevice(isSmart);
}

void VelOutputWidget::setNasReady(bool isReady)
{
    m_pControlBar->setNasReady(isReady);
}

qreal VelOutputWidget::barOpacity() const
{
    return m_pOpacityEffect->opacity();
}

qreal VelOutputWidget::barTargetOpacity() const
{
    const QVariant end = m_pOpacityAnimation->endValue();
    return end.isValid() ? end.toReal() : m_pOpacityEffect->opacity();
}

void VelOutputWidget::sltReceiveCommand(QMap<QString, QString> mapMessage)
{
    m_pControlBar->sltReceiveCommand(mapMessage);
}

void VelOutputWidget::sltSetFunctionShownState(QString /*strIndex*/, QString state)
{
    if (state == QLatin1String("enable"))
        m_pControlBar->setEnabled(true);
    else if (state == QLatin1String("disable"))
        m_pControlBar->setEnabled(false);
}

void VelOutputWidget::fadeTo(qreal dOpacity)
{
    m_pOpacityAnimation->setStartValue(m_pOpacityEffect->opacity());
    m_pOpacityAnimation->setEndValue(dOpacity);
    m_pOpacityAnimation->setDuration(kFadeMs);
    m_pOpacityAnimation->start();
}

void VelOutputWidget::sltShowControlBar()
{
    const QVariant end = m_pOpacityAnimation->endValue();
    if (end.isValid() && qFuzzyCompare(end.toReal(), kShownOpacity))
        return;
    // A running fade-out keeps running towards the new end value.
    fadeTo(kShownOpacity);
}

void VelOutputWidget::sltHideControlBar()
{
    const QVariant end = m_pOpacityAnimation->endValue();
    if (end.isValid() && qFuzzyIsNull(end.toReal()))
        return;
    m_pOpacityAnimation->stop();
    fadeTo(0);
}

void VelOutputWidget::sltAnimationFinished() {}

QRect VelOutputWidget::barGeometry() const
{
    return QRect(0, height() - kBarHeight, width(), kBarHeight);
}

void VelOutputWidget::resizeEvent(QResizeEvent* e)
{
    m_pControlBar->setGeometry(barGeometry());
    VelVideoLabel::resizeEvent(e);
}

void VelOutputWidget::mouseMoveEvent(QMouseEvent* e)
{
    if (height() - e->pos().y() > kBarHeight) {
        if (!m_pControlBar->isPopupOpen())
            sltHideControlBar();
    } else {
        m_pControlBar->setGeometry(barGeometry());
        m_pControlBar->show();
        sltShowControlBar();
    }
    VelVideoLabel::mouseMoveEvent(e);
}

void VelOutputWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (m_bFullScreen)
        leaveFullScreen();
    else
        enterFullScreen();
    VelVideoLabel::mouseDoubleClickEvent(e);
}

QWidget* VelOutputWidget::panelSlot()
{
    return m_pStandIn ? m_pStandIn.data() : static_cast<QWidget*>(this);
}

// The panel gives the view a fixed size, which would hold the full-screen
// window at the panel's size; and a view that turns into a window leaves its
// layout, which would close up behind it. A stand-in takes over both the
// place and the size limits until the view comes back.
void VelOutputWidget::enterFullScreen()
{
    m_bFullScreen = true;
    QWidget* pParent = parentWidget();
    if (pParent && pParent->layout()) {
        m_pStandIn = new QWidget(pParent);
        m_pStandIn->setObjectName(QStringLiteral("movieStandIn"));
        m_pStandIn->setSizePolicy(sizePolicy());
        m_pStandIn->setMinimumSize(minimumSize());
        m_pStandIn->setMaximumSize(maximumSize());
        m_pStandIn->resize(size());
        delete pParent->layout()->replaceWidget(this, m_pStandIn, Qt::FindDirectChildrenOnly);
    }
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    // Only now: a view that plays has a native window, which keeps the limits
    // it was created with unless they change while it is a window.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    showFullScreen();
}

void VelOutputWidget::leaveFullScreen()
{
    m_bFullScreen = false;
    setWindowFlags(Qt::SubWindow);
    if (m_pStandIn) {
        // Limits the panel set while the view was away are kept.
        setMinimumSize(m_pStandIn->minimumSize());
        setMaximumSize(m_pStandIn->maximumSize());
        if (QWidget* pParent = m_pStandIn->parentWidget()) {
            if (pParent->layout())
                delete pParent->layout()->replaceWidget(m_pStandIn, this,
                                                        Qt::FindDirectChildrenOnly);
        }
        delete m_pStandIn;
    }
    showNormal();
}

void VelOutputWidget::paintEvent(QPaintEvent* e)
{
    {
        QPainter painter(this);
        const QRect area = rect();
        painter.fillRect(area, Qt::black);
        const QPixmap& image = backdropImage();
        painter.drawPixmap((area.left() + area.right()) / 2 - image.width() / 2,
                           (area.top() + area.bottom()) / 2 - image.height() / 2, image);
    }
    VelVideoLabel::paintEvent(e);
    QPainter painter(this);
    drawTaskOverlays(painter, state());
}

bool VelOutputWidget::keepsSpinning(int nState) const
{
    const int nTaskBits = VideoTaskStarting | VideoTaskStopping | VideoMovieSwitching;
    return VelVideoLabel::keepsSpinning(nState) ||
           ((nState & nTaskBits) && !(nState & VideoNoSignal));
}

// A running command's rows, stacked from the top-left corner, each with the
// turning indicator and its text.
void VelOutputWidget::drawTaskOverlays(QPainter& painter, int nState)
{
    struct Overlay {
        int nBit;
        const char* szText;
    };
    static const Overlay kOverlays[] = {
        {VideoTaskStarting, "正在启动任务"},
        {VideoTaskStopping, "正在停止任务"},
        {VideoMovieSwitching, "正在准备切换电影资源"},
    };
    const int nRow = height() / 10;
    const QImage& indicator = indicatorImage();
    int nTop = 0;
    for (const Overlay& overlay : kOverlays) {
        if (!(nState & overlay.nBit))
            continue;
        painter.save();
        painter.setPen(Qt::white);
        painter.translate(nRow / 2.0, nTop + nRow / 2.0);
        painter.rotate(spinAngle());
        painter.translate(-nRow / 2.0, -(nTop + nRow / 2.0));
        painter.drawImage(QRect(0, nTop, nRow, nRow), indicator);
        painter.resetTransform();
        // A tenth of the view, or the text's own width where that is wider:
        // a narrow view would cut the text at both ends.
        const QString strText = tr(overlay.szText);
        const int nTextWidth =
            qMax(width() / 10, painter.fontMetrics().horizontalAdvance(strText) + 4);
        painter.drawText(QRect(nRow, nTop, nTextWidth, nRow), Qt::AlignCenter, strText);
        painter.restore();
        nTop += nRow;
    }
}
