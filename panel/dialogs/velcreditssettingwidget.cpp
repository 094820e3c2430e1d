#include "dialogs/velcreditssettingwidget.h"

#include "dialogs/veltailsettingwidget.h"
#include "dialogs/veltitlesettingwidget.h"
#include "velcommand.h"
#include "veldialogframe.h"

#include <QButtonGroup>
#include <QDebug>
#include <QHBoxLayout>
#include <QHttpMultiPart>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QTime>
#include <QVBoxLayout>

namespace
{

const char* const kStyle =
    // The tab rules name the tabs: the pages' browse buttons are push buttons
    // too and turned grey, as if disabled.
    "QPushButton#creditsTab{background: #FFFFFF; border: 0px solid gray; color: gray}"
    "QPushButton#creditsTab:checked{color: black; border-bottom: 4px solid rgb(40, 183, 121);}"
    "QProgressBar{border: 2px solid grey;border-radius: 0px; text-align: center; color: red; "
    "font-size: 20px}"
    "QProgressBar::chunk{background: qlineargradient(x1: 0, y1: 0, x2: 1, y2: 0, "
    "stop: 0 #AAAAAA, stop: 1 #888888)}";

QPushButton* tabButton(const QString& strText, QWidget* parent)
{
    auto* pButton = new QPushButton(strText, parent);
    pButton->setObjectName(QStringLiteral("creditsTab"));
    pButton->setCheckable(true);
    pButton->setFixedSize(60, 40);
    return pButton;
}

VelDialogFrame* frameOf(QWidget* pWidget)
{
    for (QWidget* p = pWidget->parentWidget(); p; p = p->parentWidget()) {
        if (auto* pFrame = qobject_cast<VelDialogFrame*>(p))
            return pFrame;
    }
    return nullptr;
}

} // namespace

VelCreditsSettingWidget::VelCreditsSettingWidget(QWidget* parent) : VelDialogContent(parent)
{
    m_pTitleTab = tabButton(tr("片头"), this);
    m_pTailTab = tabButton(tr("片尾"), this);
    m_pTabGroup = new QButtonGroup(this);
    m_pTabGroup->setExclusive(true);
    m_pTabGroup->addButton(m_pTitleTab, 0);
    m_pTabGroup->addButton(m_pTailTab, 1);
    m_pTitleTab->setChecked(true);

    m_pTitlePage = new VelTitleSettingWidget(this);
    m_pTailPage = new VelTailSettingWidget(this);
    m_pStack = new QStackedLayout;
    m_pStack->setContentsMargins(0, 0, 0, 0);
    m_pStack->addWidget(m_pTitlePage);
    m_pStack->addWidget(m_pTailPage);
    m_pStack->setCurrentIndex(0);

    m_pProgress = new QProgressBar(this);
    m_pProgress->setFixedSize(280, 40);
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->hide();
    m_pFailureTip = new QLabel(this);
    m_pFailureTip->setWordWrap(true);
    m_pFailureTip->setAlignment(Qt::AlignCenter);
    m_pFailureTip->setStyleSheet(QStringLiteral("color: rgb(223, 0, 36)"));
    m_pFailureTip->hide();

    auto* pTabRow = new QHBoxLayout;
    pTabRow->setSpacing(0);
    pTabRow->addSpacing(10);
    pTabRow->addWidget(m_pTitleTab);
    pTabRow->addWidget(m_pTailTab);
    pTabRow->addStretch();
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setSpacing(0);
    pLayout->setContentsMargins(2, 0, 2, 10);
    pLayout->addLayout(pTabRow);
    pLayout->addLayout(m_pStack);
    pLayout->addWidget(m_pProgress, 0, Qt::AlignHCenter);
    pLayout->addWidget(m_pFailureTip);
    setStyleSheet(QLatin1String(kStyle));

    m_pManager = new QNetworkAccessManager(this);
    connect(m_pManager, &QNetworkAccessManager::finished, this,
            &VelCreditsSettingWidget::sltFinishUpload);
    connect(m_pTabGroup, &QButtonGroup::idClicked, m_pStack, &QStackedLayout::setCurrentIndex);
}

VelCreditsSettingWidget::~VelCreditsSettingWidget()
{
    if (m_pReply)
        releaseReply();
}

int VelCreditsSettingWidget::checkAccept()
{
    // One upload at a time; its end decides.
    if (m_pReply)
        return -1;
    if (m_bUploadStored) {
        m_bUploadStored = false;
        sendSelected();
        return 1;
    }

    m_strStamp = QTime::currentTime().toString(QStringLiteral("hh_mm_ss"));
    delete m_pMultiPart;
    m_pMultiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType, this);
    m_pTitlePage->setUploadHandles(m_pManager, m_pMultiPart, m_strStamp);
    m_pTailPage->setUploadHandles(m_pManager, m_pMultiPart, m_strStamp);

    VelClipSettingPage* pPage = selectedPage();
    if (pPage->checkAccept() != 1)
        return 0;
    if (pPage->clipDisabled() || pPage->addedParts() == 0) {
        sendSelected();
        return 1;
    }
    if (m_strServicePath.isEmpty()) {
        showFailure(tr("上传失败: 未设置上传地址"));
        return 0;
    }
    startUpload();
    return -1;
}

int VelCreditsSettingWidget::checkReject()
{
    if (m_pReply)
        releaseReply();
    m_bUploadStored = false;
    showIdle();
    m_pFailureTip->hide();
    return 1;
}

void VelCreditsSettingWidget::resetSettings()
{
    m_pTitlePage->clearSettings();
    m_pTailPage->clearSettings();
}

void VelCreditsSettingWidget::sltReceiveCommand(QMap<QString, QString> mapMessage)
{
    const QString strKind = mapMessage.value(QStringLiteral("requestParam"));
    if (strKind == QLatin1String("prelude"))
        m_pTitlePage->fillFromMessage(mapMessage);
    else if (strKind == QLatin1String("curtain"))
        m_pTailPage->fillFromMessage(mapMessage);
}

void VelCreditsSettingWidget::sltSetUploadService(QString strPath)
{
    m_strServicePath = strPath;
}

void VelCreditsSettingWidget::sltSetHideState(bool bState)
{
    m_pTitlePage->sltSetHideState(bState);
    m_pTailPage->sltSetHideState(bState);
    setFixedHeight(bState ? 500 : 250);
    if (VelDialogFrame* pFrame = frameOf(this))
        pFrame->setFixedHeight(bState ? 635 : 380);
}

void VelCreditsSettingWidget::sltFinishUpload(QNetworkReply* reply)
{
    // Replies already given up on (cancelled, superseded) end here too.
    if (!reply || reply != m_pReply)
        return;
    const int nStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool bStored =
        reply->error() == QNetworkReply::NoError && nStatus >= 200 && nStatus < 300;
    const QString strReason = bStored ? QString() : failureReason(reply);
    releaseReply();
    showIdle();
    if (!bStored) {
        qWarning() << "VelCreditsSettingWidget: upload to" << m_strServicePath
                   << "failed:" << strReason;
        showFailure(strReason);
        return;
    }
    m_bUploadStored = true;
    // Confirming again sends the settings and closes the dialog.
    if (VelDialogFrame* pFrame = frameOf(this))
        pFrame->accept();
    else
        checkAccept();
}

void VelCreditsSettingWidget::sltError(QNetworkReply::NetworkError error)
{
    // The reply's end reports it; this only leaves a trace.
    qDebug() << "VelCreditsSettingWidget: upload error" << error;
}

void VelCreditsSettingWidget::sltUploadProgress(qlonglong current, qlonglong total)
{
    // Percent, so that bodies past 2 GiB still fit the bar's int range.
    if (total > 0)
        m_pProgress->setValue(int(qBound<qlonglong>(0, current * 100 / total, 100)));
}

void VelCreditsSettingWidget::sltStopUpload()
{
    if (m_pReply)
        releaseReply();
    showIdle();
}

VelClipSettingPage* VelCreditsSettingWidget::selectedPage() const
{
    if (m_pTitleTab->isChecked())
        return m_pTitlePage;
    return m_pTailPage;
}

void VelCreditsSettingWidget::sendSelected()
{
    const bool bTitle = selectedPage() == m_pTitlePage;
    QMap<QString, QString> command;
    command[QStringLiteral("requestParam")] =
        bTitle ? QStringLiteral("prelude") : QStringLiteral("curtain");
    command[QStringLiteral("target")] = formatCommand(selectedPage()->settings(m_strStamp));
    command[QStringLiteral("event")] = QString();
    command[QStringLiteral("token")] = QString();
    emit sigSendCommand(command);
}

void VelCreditsSettingWidget::startUpload()
{
    m_pFailureTip->hide();
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->show();
    m_pTitleTab->setEnabled(false);
    m_pTailTab->setEnabled(false);

    QNetworkRequest request{QUrl(m_strServicePath)};
    // Qt aborts a transfer that moves no byte for this long, waiting for the
    // answer included.
    request.setTransferTimeout(m_nUploadTimeoutMs);
    m_pReply = m_pManager->post(request, m_pMultiPart);
    connect(m_pReply, &QNetworkReply::uploadProgress, this,
            &VelCreditsSettingWidget::sltUploadProgress);
    connect(m_pReply, &QNetworkReply::errorOccurred, this, &VelCreditsSettingWidget::sltError);
}

void VelCreditsSettingWidget::releaseReply()
{
    QNetworkReply* pReply = m_pReply;
    m_pReply = nullptr;
    disconnect(pReply, nullptr, this, nullptr);
    // The body goes with the reply that reads it, never before it.
    if (m_pMultiPart) {
        m_pMultiPart->setParent(pReply);
        m_pMultiPart = nullptr;
    }
    if (!pReply->isFinished())
        pReply->abort();
    pReply->deleteLater();
}

void VelCreditsSettingWidget::showIdle()
{
    m_pProgress->hide();
    m_pTitleTab->setEnabled(true);
    m_pTailTab->setEnabled(true);
}

void VelCreditsSettingWidget::showFailure(const QString& strReason)
{
    m_pFailureTip->setText(strReason);
    m_pFailureTip->show();
}

QString VelCreditsSettingWidget::failureReason(QNetworkReply* reply) const
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() >= 300)) {
        const QString strPhrase =
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return tr("上传失败: 服务器回答 %1 %2").arg(status.toInt()).arg(strPhrase).trimmed();
    }
    // Only a transfer timeout aborts a reply that is still held.
    if (reply->error() == QNetworkReply::OperationCanceledError)
        return tr("上传失败: 服务器 %1 秒没有应答").arg(m_nUploadTimeoutMs / 1000.0);
    switch (reply->error()) {
    case QNetworkReply::NoError:
        break;
    case QNetworkReply::ConnectionRefusedError:
        return tr("上传失败: 无法连接上传服务 (%1)").arg(reply->errorString());
    case QNetworkReply::RemoteHostClosedError:
        return tr("上传失败: 上传服务断开了连接 (%1)").arg(reply->errorString());
    case QNetworkReply::HostNotFoundError:
        return tr("上传失败: 找不到上传服务器 (%1)").arg(reply->errorString());
    default:
        return tr("上传失败: %1").arg(reply->errorString());
    }
    return tr("上传失败: 服务器回答 %1").arg(status.toInt());
}
