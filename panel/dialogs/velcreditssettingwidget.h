#ifndef VELCREDITSSETTINGWIDGET_H
#define VELCREDITSSETTINGWIDGET_H

#include "veldialogcontent.h"

#include <QNetworkReply>

class QButtonGroup;
class QHttpMultiPart;
class QLabel;
class QNetworkAccessManager;
class QProgressBar;
class QPushButton;
class QStackedLayout;
class VelClipSettingPage;
class VelTailSettingWidget;
class VelTitleSettingWidget;

// The title and tail clip dialog: two tabs over the two pages and an upload
// progress bar. Confirming checks the selected page, uploads its local picture
// and music in one multipart request to the page's upload service and sends
// "prelude" or "curtain" once the service has stored them (a 2xx answer). A
// failed or silent upload leaves the dialog open with the reason shown, ready
// to confirm again or cancel.
class VelCreditsSettingWidget : public VelDialogContent
{
    Q_OBJECT

public:
    // An upload that makes no progress for this long fails.
    static const int kDefaultUploadTimeoutMs = 60000;

    explicit VelCreditsSettingWidget(QWidget* parent = nullptr);
    ~VelCreditsSettingWidget() override;

    // 1 sent, 0 the page is incomplete, -1 an upload is running (started now or
    // earlier).
    int checkAccept() override;
    // Stops a running upload; always lets the dialog close.
    int checkReject() override;

    // Empties both pages (a recording starts).
    void resetSettings();
    void setUploadTimeout(int nMs) { m_nUploadTimeoutMs = nMs; }

    VelTitleSettingWidget* titlePage() const { return m_pTitlePage; }
    VelTailSettingWidget* tailPage() const { return m_pTailPage; }
    QPushButton* titleTab() const { return m_pTitleTab; }
    QPushButton* tailTab() const { return m_pTailTab; }
    QProgressBar* progressBar() const { return m_pProgress; }
    QLabel* failureTip() const { return m_pFailureTip; }
    bool isUploading() const { return m_pReply != nullptr; }
    QString uploadStamp() const { return m_strStamp; }

public slots:
    void sltReceiveCommand(QMap<QString, QString> mapMessage);
    void sltSetUploadService(QString strPath);
    // true: all rows, 500 px high (frame 635); false: the short form, 250 (380).
    void sltSetHideState(bool bState);

private slots:
    void sltFinishUpload(QNetworkReply* reply);
    void sltError(QNetworkReply::NetworkError error);
    void sltUploadProgress(qlonglong current, qlonglong total);
    void sltStopUpload();

private:
    VelClipSettingPage* selectedPage() const;
    void sendSelected();
    void startUpload();
    // Stops and drops the reply (with the body it was sending).
    void releaseReply();
    void showIdle();
    void showFailure(const QString& strReason);
    QString failureReason(QNetworkReply* reply) const;

    QPushButton* m_pTitleTab = nullptr;
    QPushButton* m_pTailTab = nullptr;
    QButtonGroup* m_pTabGroup = nullptr;
    QStackedLayout* m_pStack = nullptr;
    VelTitleSettingWidget* m_pTitlePage = nullptr;
    VelTailSettingWidget* m_pTailPage = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QLabel* m_pFailureTip = nullptr;
    QNetworkAccessManager* m_pManager = nullptr;
    QHttpMultiPart* m_pMultiPart = nullptr;
    QNetworkReply* m_pReply = nullptr;
    QString m_strServicePath;
    QString m_strStamp;
    // The service stored the files; the next confirmation sends the command.
    bool m_bUploadStored = false;
    int m_nUploadTimeoutMs = kDefaultUploadTimeoutMs;
};

#endif // VELCREDITSSETTINGWIDGET_H
