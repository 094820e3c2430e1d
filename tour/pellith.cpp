#include "pellith.h"

#include "velcrash.h"
#include "veltourvideowidget.h"

#include <QEvent>
#include <QPointer>
#include <QVBoxLayout>
#include <QtDebug>

// Outside any namespace: the macro declares the list's init function.
static void initResources()
{
    Q_INIT_RESOURCE(vimbrel);
}

Pellith::Pellith(QWidget* parent) : QWidget(parent)
{
    initResources();
    velInstallCrashFilter();
}

Pellith::~Pellith()
{
    if (m_pVideoWidget) {
        m_pVideoWidget->record(false);
        m_pVideoWidget->Stop();
    }
    delete m_pLayout;
    delete m_pVideoWidget;
}

void Pellith::showEvent(QShowEvent* e)
{
    qDebug("Pellith::showEvent  Pellith.winId() = %llx\n",
           static_cast<unsigned long long>(winId()));
    if (!m_pVideoWidget) {
        m_pVideoWidget = new VelTourVideoWidget(this);
        connect(m_pVideoWidget, &VelTourVideoWidget::sigPtzControl, this, &Pellith::OnPtzControl);
        m_pLayout = new QVBoxLayout(this);
        m_pLayout->setContentsMargins(0, 0, 0, 0);
        m_pLayout->addWidget(m_pVideoWidget);
        // Children built during the show would otherwise appear one event later.
        m_pVideoWidget->show();
    }
    if (!m_strPendingAddress.isEmpty())
        playPendingLater();
    QWidget::showEvent(e);
}

// Queued on the GUI thread: it runs once, after the show is complete, and
// only if the widget it was meant for is still there.
void Pellith::playPendingLater()
{
    const QString strAddress = m_strPendingAddress;
    m_strPendingAddress.clear();
    QPointer<VelTourVideoWidget> pWidget = m_pVideoWidget;
    QMetaObject::invokeMethod(
        this,
        [this, pWidget, strAddress] {
            if (!pWidget || pWidget != m_pVideoWidget)
                return;
            pWidget->hide();
            pWidget->Play(strAddress);
            // Play's diagnostic box may have let the page delete the view.
            if (!pWidget)
                return;
            pWidget->show();
            qDebug("Pellith::Task::run");
        },
        Qt::QueuedConnection);
}

bool Pellith::event(QEvent* e)
{
    if (e->type() == QEvent::HideToParent)
        dropVideoWidget();
    return QWidget::event(e);
}

void Pellith::dropVideoWidget()
{
    if (!m_pVideoWidget)
        return;
    m_pVideoWidget->record(false);
    m_pVideoWidget->Stop();
    m_pVideoWidget->hide();
    // The layout goes at once, so that the next show can install a new one.
    delete m_pLayout;
    m_pLayout = nullptr;
    m_pVideoWidget->deleteLater();
    m_pVideoWidget = nullptr;
}

void Pellith::sltFlush()
{
    if (!m_pVideoWidget)
        return;
    m_pVideoWidget->update();
    m_pVideoWidget->hide();
    m_pVideoWidget->show();
}

void Pellith::stop()
{
    if (m_pVideoWidget)
        m_pVideoWidget->Stop();
}

void Pellith::play(QString address)
{
    if (!m_pVideoWidget) {
        m_strPendingAddress = address;
        return;
    }
    m_pVideoWidget->hide();
    m_pVideoWidget->Play(address);
    m_pVideoWidget->show();
}

void Pellith::setRunMode(int nMode)
{
    if (m_pVideoWidget)
        m_pVideoWidget->SetRunMode(nMode);
}

void Pellith::snapshot()
{
    if (m_pVideoWidget)
        m_pVideoWidget->snapshot();
}

void Pellith::record()
{
    if (m_pVideoWidget)
        m_pVideoWidget->record(true);
}

void Pellith::stopRecord()
{
    if (m_pVideoWidget)
        m_pVideoWidget->record(false);
}

void Pellith::setChannelName(QString name)
{
    if (m_pVideoWidget)
        m_pVideoWidget->SetChannelName(name);
}

void Pellith::setStreamingUrls(QString mainStream, QString subStream)
{
    if (m_pVideoWidget)
        m_pVideoWidget->SetStreamingUrls(mainStream, subStream);
}

void Pellith::setPtzEnable(bool bEnable)
{
    if (m_pVideoWidget)
        m_pVideoWidget->SetPtzEnable(bEnable);
}

void Pellith::setButtonEnable(QString strKey, bool bVisible)
{
    if (m_pVideoWidget)
        m_pVideoWidget->setButtonEnable(strKey, bVisible);
}
