#include "corvane.h"

#include "output/veloutputwidget.h"
#include "overview/veloverviewlistwidget.h"
#include "overview/veloverviewwidget.h"
#include "strip/velrecordsettingwidget.h"
#include "velaxbindable.h"
#include "velcloudsettingwidget.h"
#include "velcommandroute.h"
#include "veldiaglog.h"
#include "veldrive.h"
#include "velmaskaddress.h"
#include "velmodal.h"
#include "velvideolabel.h"
#include "velvlcplayermanger.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

namespace
{

Corvane* s_pCurrentInstance = nullptr;

const QString kMovieMode = QStringLiteral("电影模式");

bool containsAll(const QString& strText, const char* szA, const char* szB)
{
    return strText.contains(QLatin1String(szA)) && strText.contains(QLatin1String(szB));
}

// The diagnostic mode's message box. It runs a nested event loop in which a
// page timer may replace or delete the control: false when pCaller is gone.
bool debugBox(const QObject* pCaller, const QString& strTitle, const QString& strText)
{
    QMessageBox box(QMessageBox::Information, strTitle, strText, QMessageBox::Ok);
    return velExecModal(&box, pCaller);
}

} // namespace

// Outside any namespace: the macro declares the resource's init function.
static void initTessaroResources()
{
    Q_INIT_RESOURCE(tessaro);
}

Corvane::Corvane(QWidget* parent) : QWidget(parent)
{
    if (s_pCurrentInstance) {
        delete s_pCurrentInstance; // its destructor clears the current instance
        s_pCurrentInstance = nullptr;
    }

    velCheckLogMarker();
    QFile::remove(velDrivePath(QStringLiteral("d:/tessaro.log")));
    QFile::remove(velDrivePath(QStringLiteral("d:/tessaro_callback_log.txt")));
    initTessaroResources();
    setObjectName(QStringLiteral("Corvane"));

    m_pOutputWidget = new VelOutputWidget(this);
    m_pRecordSettingWidget = new VelRecordSettingWidget(this);
    m_pOverviewListWidget = new VelOverviewListWidget(this);

    m_pLayout = new QVBoxLayout;
    m_pLayout->setContentsMargins(10, 0, 10, 0);
    m_pLayout->addWidget(m_pOutputWidget);
    m_pLayout->addWidget(m_pRecordSettingWidget);
    m_pLayout->addWidget(m_pOverviewListWidget);
    setLayout(m_pLayout);

    connect(m_pRecordSettingWidget, &VelRecordSettingWidget::sigBroadcastStrategyChanged,
            m_pOverviewListWidget, &VelOverviewListWidget::sigCloudButtonsStateChanged);
    connect(m_pOverviewListWidget, &VelOverviewListWidget::sigHeightChanged, this,
            &Corvane::sltChangeOutputWidgetHeight);
    connect(m_pRecordSettingWidget, &VelRecordSettingWidget::sigRecordModeChanged, m_pOutputWidget,
            &VelOutputWidget::sigRecordModeChanged);
    connect(m_pOutputWidget, &VelOutputWidget::sigSetRecordMode, m_pRecordSettingWidget,
            &VelRecordSettingWidget::sltSetRecordMode);
    connect(m_pOutputWidget, &VelOutputWidget::sigRecordStateChanged, m_pRecordSettingWidget,
            &VelRecordSettingWidget::sltSetRecordState);
    connect(m_pOutputWidget, &VelOutputWidget::sigRecordTypeChanged, m_pRecordSettingWidget,
            &VelRecordSettingWidget::sltSetRecordType);

    // A plain QWidget paints no style sheet background without this attribute.
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#Corvane{background: #F2F2F2}                   "
                                 "QWidget{font-family: Microsoft YaHei;font-size: 12px}"));

    if (debugMode)
        velInstallDiagLog();

    s_pCurrentInstance = this;
}

Corvane::~Corvane()
{
    // A PTZ button held now still gets its release out, while the list and
    // this control can pass it on.
    for (VelOverviewWidget* pOverview : m_pOverviewListWidget->overviewWidgets()) {
        if (VelCloudSettingWidget* pPad = pOverview->existingCloudSettingWidget())
            pPad->releasePressed();
    }
    // Every stream player goes with the manager, before the labels they paint.
    VelVlcPlayerManger::DeleteInstance();
    s_pCurrentInstance = nullptr;
}

Corvane* Corvane::currentInstance()
{
    return s_pCurrentInstance;
}

void Corvane::setText(const QString& strText)
{
    m_strText = strText;
    // Every store reaches the page, an identical message included.
    VelAxBindable::propertyChanged(this, "text");
}

bool Corvane::event(QEvent* e)
{
    if (e->type() == QEvent::HideToParent)
        VelVlcPlayerManger::DeleteInstance();
    return QWidget::event(e);
}

QStringList Corvane::cameraNames() const
{
    QStringList names;
    for (const VelOverviewWidget* pOverview : m_pOverviewListWidget->overviewWidgets())
        names << pOverview->name();
    return names;
}

QString Corvane::tokenForName(const QString& name) const
{
    for (const VelOverviewWidget* pOverview : m_pOverviewListWidget->overviewWidgets())
        if (pOverview->name() == name)
            return pOverview->objectName();
    return QString();
}

QString Corvane::nameForToken(const QString& token) const
{
    for (const VelOverviewWidget* pOverview : m_pOverviewListWidget->overviewWidgets())
        if (pOverview->objectName() == token)
            return pOverview->name();
    return token;
}

void Corvane::changeOutputState(int nBit, bool bSet)
{
    if (!m_pOutputWidget)
        return;
    // One atomic step: a player thread changes its own bits of the same word.
    m_pOutputWidget->changeState(bSet ? 0 : nBit, bSet ? nBit : 0);
}

void Corvane::sltFlush(int /*nExplorerWidth*/, int /*nExplorerHeight*/)
{
    update();
    m_pOutputWidget->hide();
    m_pOutputWidget->show();
    m_pOverviewListWidget->hide();
    m_pOverviewListWidget->show();
}

void Corvane::sltStateChanged(bool bIsStart)
{
    m_pRecordSettingWidget->sltStateChanged(bIsStart);
    // A device that is not smart keeps no clips between recordings.
    if (bIsStart && m_bNotSmartDevice)
        m_pRecordSettingWidget->resetCredits();
}

void Corvane::sltSendCommand(QMap<QString, QString> lstParam)
{
    const QString strText = outgoingCommandText(lstParam);

    // Plain substring tests over keys and values alike: "restart" counts as start.
    if (containsAll(strText, "workingMode", "start"))
        changeOutputState(VideoTaskStarting, true);
    if (containsAll(strText, "workingMode", "stop"))
        changeOutputState(VideoTaskStopping, true);
    if (strText.contains(QLatin1String("singleScreen")))
        changeOutputState(VideoMovieSwitching, true);

    setText(strText);

    // After the sender's code has run to its end: a page may replace the
    // control while the box is open, and the sender must not wake up in a
    // deleted widget.
    if (debugMode) {
        QTimer::singleShot(0, this, [this, strMasked = velMaskAddresses(strText)] {
            debugBox(this, QStringLiteral("send"), strMasked);
        });
    }
}

void Corvane::sltReceiveCommand(QString message)
{
    if (containsAll(message, "workingMode", "start"))
        changeOutputState(VideoTaskStarting, false);
    if (containsAll(message, "workingMode", "stop"))
        changeOutputState(VideoTaskStopping, false);
    if (containsAll(message, "workingMode", "error")) {
        changeOutputState(VideoTaskStarting, false);
        changeOutputState(VideoTaskStopping, false);
    }
    if (message.contains(QLatin1String("singleScreen")))
        changeOutputState(VideoMovieSwitching, false);

    message = rewriteArrayTargets(message);

    if (debugMode) {
        if (!debugBox(this, QStringLiteral("reveive"), velMaskAddresses(message)))
            return;
    }

    routeCommand(parseCommand(message));
}

void Corvane::routeCommand(const CommandMap& map)
{
    const QString strKind = map.value(QStringLiteral("requestParam"));
    switch (corvaneRouteFor(strKind)) {
    case CorvaneRoute::SetOverviewWidget: {
        const CommandMap target = parseCommand(map.value(QStringLiteral("target")));
        sltSetOverviewWidget(target.value(QStringLiteral("name")),
                             target.value(QStringLiteral("tokenId")),
                             target.value(QStringLiteral("ptzAvaliable")));
        break;
    }
    case CorvaneRoute::FunctionState: {
        const CommandMap target = parseCommand(map.value(QStringLiteral("target")));
        sltSetFunctionShownState(target.value(QStringLiteral("index")),
                                 target.value(QStringLiteral("state")));
        break;
    }
    case CorvaneRoute::SetOverviewSource: {
        // The slot's parameters are (source, name, strIndex); the page's keys land
        // in them as name, tokenId, source, in that order.
        const CommandMap target = parseCommand(map.value(QStringLiteral("target")));
        sltSetOverviewSource(target.value(QStringLiteral("name")),
                             target.value(QStringLiteral("tokenId")),
                             target.value(QStringLiteral("source")));
        break;
    }
    case CorvaneRoute::OutputView:
        // May run a modal dialog; nothing of this control is touched after it.
        m_pOutputWidget->sltReceiveCommand(map);
        break;
    case CorvaneRoute::OverviewList:
        m_pOverviewListWidget->sltReceiveCommand(map);
        break;
    case CorvaneRoute::RecordSetting:
        m_pRecordSettingWidget->sltReceiveCommand(map);
        break;
    }
}

void Corvane::sltSetOverviewWidget(QString name, QString strIndex, QString isPtzAvaliable)
{
    if (name == kMovieMode)
        return;
    name.remove(QLatin1Char(' '));
    const bool bPtz = isPtzAvaliable.toInt() != 0;
    m_pOverviewListWidget->addOverviewWidget(name, strIndex, bPtz);
}

bool Corvane::isManualDirecting() const
{
    return m_pRecordSettingWidget->strategyGroup()->checkedId() != 0;
}

void Corvane::sltSetOverviewSource(QString source, QString name, const QString& strIndex)
{
    // The manager exists from here on; the debug boxes below may delete it
    // (hiding the control), so each use fetches it again.
    VelVlcPlayerManger::Instance();
    if (name == kMovieMode) {
        if (debugMode) {
            // Hiding the control during the box's event loop deletes the manager,
            // deleting the control deletes us: the manager is fetched after it.
            if (!debugBox(this, strIndex, velMaskUrl(source)))
                return;
        }
        VelVlcPlayerManger* pManager = VelVlcPlayerManger::Instance();
        pManager->RemovePlayer(m_pOutputWidget);
        pManager->AddPlayer(m_pOutputWidget, source, true);
        return;
    }
    name.remove(QLatin1Char(' '));
    const QList<VelOverviewWidget*> thumbnails = m_pOverviewListWidget->overviewWidgets();
    for (VelOverviewWidget* pOverview : thumbnails) {
        if (pOverview->name() != name)
            continue;
        pOverview->setObjectName(strIndex);
        pOverview->setSource(source);
        if (isManualDirecting())
            pOverview->updateCloudButton();
        if (debugMode) {
            // Same nested loop as above: the control, the thumbnail or the
            // manager may be gone when the box returns.
            const QPointer<VelOverviewWidget> pAlive(pOverview);
            // A thumbnail gone means the list changed under us: stop.
            if (!debugBox(this, strIndex, velMaskUrl(source)) || !pAlive)
                return;
        }
        // Thumbnails play without sound: their players never decode audio.
        auto* pLabel = pOverview->findChild<QWidget*>(QStringLiteral("VideoWidget"));
        if (!pLabel)
            continue;
        VelVlcPlayerManger* pManager = VelVlcPlayerManger::Instance();
        pManager->RemovePlayer(pLabel);
        pManager->AddPlayer(pLabel, source, false);
    }
}

void Corvane::sltChangeOutputWidgetHeight(int nHeight)
{
    // The page's number may be anything: the sum is kept to what a widget holds
    // (Qt reads a minimum of QWIDGETSIZE_MAX itself as no minimum).
    // While the view is full screen its stand-in in the panel takes the size.
    QWidget* pSlot = m_pOutputWidget->panelSlot();
    const qint64 nWanted = qint64(pSlot->height()) + nHeight;
    pSlot->setFixedHeight(int(qBound<qint64>(0, nWanted, QWIDGETSIZE_MAX - 1)));
    pSlot->setFixedWidth(pSlot->width());
}

void Corvane::sltSetFunctionShownState(QString strIndex, QString state)
{
    if (strIndex == QLatin1String("PopBar")) {
        m_pOutputWidget->sltSetFunctionShownState(strIndex, state);
    } else if (strIndex == QLatin1String("deviceType")) {
        sltSetDeviceType(state);
    } else if (strIndex == QLatin1String("nasState")) {
        sltSetNasState(state);
    } else if (strIndex == QLatin1String("uploadPath")) {
        sltSetUploadService(state);
    } else if (strIndex == QLatin1String("CloseLog")) {
        velUninstallDiagLog();
    } else {
        m_pRecordSettingWidget->sltSetFunctionShownState(strIndex, state);
    }
}

void Corvane::sltSetLiveAddress(QString address)
{
    m_pRecordSettingWidget->sltSetLiveAddress(address);
    m_pOutputWidget->setLiveAddress(address);
}

void Corvane::sltSetDeviceType(QString isSmartType)
{
    const int nType = isSmartType.toInt();
    m_bNotSmartDevice = (nType == 0);
    m_pOutputWidget->setSmartDevice(nType != 0);
    m_pRecordSettingWidget->setSmartDevice(nType != 0);
}

void Corvane::sltSetNasState(QString isReady)
{
    m_pOutputWidget->setNasReady(isReady == QLatin1String("true"));
}

void Corvane::sltSetUploadService(QString strPath)
{
    emit sigServiceChanged(strPath);
}

void Corvane::sltStartTime(QString strTime)
{
    emit sigStartTimeChanged(strTime);
}
