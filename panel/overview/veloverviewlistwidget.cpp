#include "overview/veloverviewlistwidget.h"

#include "corvane.h"
#include "overview/veloverviewwidget.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QPropertyAnimation>

namespace
{

const QColor kGreyFrame(128, 128, 128, 25);
const QColor kGreenFrame(40, 183, 121);

QRect grownGeometry(const QWidget* pWidget)
{
    return pWidget->geometry().adjusted(-1, -1, 1, 1);
}

// What a widget can hold: a size below 0 makes Qt warn with the widget's
// name, once per thumbnail and resize (a page's thousands of cameras with a
// long name filled the disk with those warnings).
int clampedSize(qint64 nSize)
{
    return int(qBound<qint64>(0, nSize, QWIDGETSIZE_MAX));
}

const QPixmap& emptyPicture()
{
    static const QPixmap s_picture(QStringLiteral(":/resource/CV_OVERVIEWWIDGET_SLIENT.png"));
    return s_picture;
}

} // namespace

VelOverviewListWidget::VelOverviewListWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("overviewListWidget"));
    m_pLayout = new QHBoxLayout;
    m_pLayout->setContentsMargins(5, 5, 5, 10);
    m_pLayout->setSpacing(2);
    m_pLayout->addStretch();
    m_pLayout->addStretch();
    setLayout(m_pLayout);
    setFixedHeight(200);

    m_pFrameAnimation = new QPropertyAnimation(this, "broundingVideo", this);

    connect(this, &VelOverviewListWidget::sigCloudButtonsStateChanged, this,
            &VelOverviewListWidget::sltSetCloudControlState);
    if (auto* pControl = qobject_cast<Corvane*>(parent))
        connect(this, &VelOverviewListWidget::sigSendCommand, pControl, &Corvane::sltSendCommand);
}

void VelOverviewListWidget::setBroundingVideo(const QRect& rect)
{
    m_broundingVideo = rect;
    update();
}

// Six thumbnails share the width; from the seventh on they shrink. Many
// thumbnails in a narrow list come out 0 wide, never negative.
QSize VelOverviewListWidget::thumbnailSize(int nListWidth, int nExisting)
{
    const qint64 nWidth = nListWidth;
    const qint64 n = qMax(0, nExisting);
    const int b = clampedSize(n <= 5 ? (nWidth - 22) / 6 : (nWidth - 2 * n - 10) / (n + 1));
    return QSize(b, clampedSize(qint64(b / 16) * 9 + 25));
}

VelOverviewWidget* VelOverviewListWidget::addOverviewWidget(const QString& name,
                                                            const QString& token,
                                                            bool bPtzAvailable)
{
    auto* pOverview = new VelOverviewWidget(name, bPtzAvailable, nullptr);
    connect(pOverview, &VelOverviewWidget::sigSwitchClicked, this,
            &VelOverviewListWidget::sltChangeOutputWidget);
    // PTZ commands reach the control through the list's own signal.
    connect(pOverview, &VelOverviewWidget::sigSendCommand, this,
            &VelOverviewListWidget::sigSendCommand);
    connect(this, &VelOverviewListWidget::sigCloudButtonsStateChanged, pOverview,
            &VelOverviewWidget::sltSetCloudControlState);

    pOverview->setName(name);
    pOverview->setObjectName(token);
    pOverview->setSource(QString());

    // Sizes come from the width now and are not recomputed on later resizes.
    const QSize size = thumbnailSize(width(), m_overviewWidgets.size());
    for (VelOverviewWidget* pOther : qAsConst(m_overviewWidgets))
        pOther->setFixedSize(size);
    pOverview->setFixedSize(size);
    const int nOldHeight = height();
    setFixedHeight(clampedSize(qint64(size.width() / 16) * 9 + 40));
    m_pLayout->insertWidget(m_pLayout->count() - 1, pOverview);

    emit sigHeightChanged(nOldHeight - height());

    if (!m_pCurrent) {
        m_pCurrent = pOverview;
        pOverview->updateCloudButton();
    }
    m_overviewWidgets.append(pOverview);
    return pOverview;
}

void VelOverviewListWidget::moveFrameTo(VelOverviewWidget* pOverview)
{
    m_pCurrent = pOverview;
    m_pFrameAnimation->stop();
    m_pFrameAnimation->setDuration(1);
    m_pFrameAnimation->setStartValue(m_broundingVideo);
    m_pFrameAnimation->setEndValue(grownGeometry(pOverview));
    m_pFrameAnimation->setEasingCurve(QEasingCurve::InOutQuart);
    m_pFrameAnimation->start();
}

void VelOverviewListWidget::sltChangeOutputWidget(VelOverviewWidget* pOverview)
{
    if (pOverview && pOverview != m_pCurrent) {
        moveFrameTo(pOverview);
        pOverview->updateCloudButton();
        if (!pOverview->source().isEmpty())
            emit sigSendCommand({{QStringLiteral("requestParam"), QStringLiteral("singleScreen")},
                                 {QStringLiteral("target"), QString()},
                                 {QStringLiteral("event"), QStringLiteral("change")},
                                 {QStringLiteral("token"), pOverview->objectName()}});
    }
    emit sigCurrentOutputChanged(m_pCurrent ? m_pCurrent->objectName() : QString());
}

// The first thumbnail holding a frame (title bar or label) with that name; a
// null target matches any frame.
VelOverviewWidget* VelOverviewListWidget::thumbnailWithFrame(const QString& strTarget) const
{
    for (QObject* pChild : children()) {
        auto* pWidget = qobject_cast<QWidget*>(pChild);
        if (!pWidget)
            continue;
        const QList<QFrame*> frames = pWidget->findChildren<QFrame*>();
        for (const QFrame* pFrame : frames) {
            if (strTarget.isNull() || pFrame->objectName() == strTarget)
                return qobject_cast<VelOverviewWidget*>(pWidget);
        }
    }
    return nullptr;
}

void VelOverviewListWidget::sltReceiveCommand(QMap<QString, QString> lstParam)
{
    const auto it = lstParam.constFind(QStringLiteral("target"));
    const QString strTarget = it == lstParam.constEnd() ? QString() : it.value();
    VelOverviewWidget* pMatch = thumbnailWithFrame(strTarget);
    if (pMatch && pMatch != m_pCurrent)
        moveFrameTo(pMatch);
}

void VelOverviewListWidget::sltSetCloudControlState(bool state)
{
    m_bCloudControlState = state;
    update();
}

void VelOverviewListWidget::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (!m_pCurrent)
        return;
    if (m_pFrameAnimation->state() == QAbstractAnimation::Running) {
        m_pFrameAnimation->stop();
        m_pFrameAnimation->setDuration(1);
        m_pFrameAnimation->setStartValue(m_broundingVideo);
        m_pFrameAnimation->setEndValue(grownGeometry(m_pCurrent));
        m_pFrameAnimation->setEasingCurve(QEasingCurve::InOutQuart);
        m_pFrameAnimation->start();
    } else {
        setBroundingVideo(grownGeometry(m_pCurrent));
    }
}

void VelOverviewListWidget::paintEvent(QPaintEvent* e)
{
    QWidget::paintEvent(e);
    QPainter painter(this);
    const QPixmap& picture = emptyPicture();

    painter.setPen(QPen(kGreyFrame, 2));
    const QList<QWidget*> labels = findChildren<QWidget*>(QStringLiteral("VideoWidget"));
    for (const QWidget* pLabel : labels) {
        const QWidget* pThumbnail = pLabel->parentWidget();
        if (!pThumbnail)
            continue;
        const QRect rect(pThumbnail->pos() + pLabel->geometry().topLeft(), pLabel->size());
        if (m_bCloudControlState)
            painter.drawRect(grownGeometry(pThumbnail));
        painter.fillRect(rect, Qt::black);
        QSize size = picture.size();
        if (size.width() >= rect.width() || size.height() >= rect.height())
            size = rect.size() / 2;
        QRect target(QPoint(0, 0), size);
        target.moveCenter(rect.center());
        painter.drawPixmap(target, picture);
    }

    painter.setPen(QPen(kGreenFrame, 2));
    if (m_pFrameAnimation->state() == QAbstractAnimation::Running) {
        if (m_bCloudControlState)
            painter.drawRect(m_broundingVideo);
    } else if (m_pCurrent) {
        // Thumbnails move when others are added; the frame follows at the next
        // paint. Stored without update(): this paint draws it already.
        m_broundingVideo = grownGeometry(m_pCurrent);
        if (m_bCloudControlState)
            painter.drawRect(m_broundingVideo);
    }
}
