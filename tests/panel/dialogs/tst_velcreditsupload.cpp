// The clip dialog's upload against a real HTTP service on loopback
// (tests/support/veluploadserver.py): the bytes and headers that arrive, the
// command sent only after a 2xx answer, and the retryable dialog after a 500,
// a reset connection or a service that never answers.
#include "dialogs/velclipsettingpage.h"
#include "dialogs/velcreditssettingwidget.h"
#include "dialogs/veltailsettingwidget.h"
#include "dialogs/veltitlesettingwidget.h"
#include "velcommand.h"
#include "veldialogframe.h"
#include "velfilechooser.h"
#include "vellineedit.h"
#include "veluploadserver.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using Map = QMap<QString, QString>;

namespace
{

const int kWaitMs = 15000;

QByteArray randomBytes(int nSize, quint32 nSeed)
{
    QRandomGenerator generator(nSeed);
    QByteArray bytes(nSize, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(generator.bounded(256));
    // Line ends and a would-be boundary inside the body must survive.
    bytes.insert(nSize / 2, "\r\n--\r\n\r\n\n\r");
    return bytes;
}

QPushButton* frameButton(VelDialogFrame& frame, const QString& strText)
{
    for (QPushButton* pButton : frame.findChildren<QPushButton*>()) {
        if (pButton->text() == strText)
            return pButton;
    }
    return nullptr;
}

// One dialog as the strip opens it, its title clip ready to upload two files.
struct Dialog {
    VelCreditsSettingWidget* pCredits = new VelCreditsSettingWidget;
    VelDialogFrame frame{QStringLiteral("片头片尾设置"), nullptr, pCredits, 7};
    QSignalSpy sent{pCredits, &VelDialogContent::sigSendCommand};

    Dialog(const QString& strService, const QString& strPicture, const QString& strMusic)
    {
        pCredits->sltSetUploadService(strService);
        VelTitleSettingWidget* pTitle = pCredits->titlePage();
        pTitle->enableSwitch()->setChecked(true);
        pTitle->picturePath()->setText(strPicture);
        pTitle->musicPath()->setText(strMusic);
        pTitle->durationEdit()->setText(QStringLiteral("8"));
        frame.show();
    }
    void ok() { QTest::mouseClick(frameButton(frame, QStringLiteral("确定")), Qt::LeftButton); }
    void cancel() { QTest::mouseClick(frameButton(frame, QStringLiteral("取消")), Qt::LeftButton); }
    Map sentTarget(int n = 0) const
    {
        return parseCommand(sent.at(n).at(0).value<Map>().value(QStringLiteral("target")));
    }
};

} // namespace

class TestVelCreditsUpload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void bytesAndHeadersArrive();
    void secondOkWhileUploadingStartsNothing();
    void failureKeepsDialogRetryable_data();
    void failureKeepsDialogRetryable();
    void cancelDuringUpload();
    void knownNamesSendWithoutRequest();
    void pageValuesNeverUploaded_data();
    void pageValuesNeverUploaded();

private:
    QTemporaryDir m_dir;
    QString m_strPicture;
    QString m_strMusic;
    QByteArray m_picture;
    QByteArray m_music;
};

void TestVelCreditsUpload::initTestCase()
{
    qRegisterMetaType<Map>("QMap<QString,QString>");
    QVERIFY(m_dir.isValid());
    m_strPicture = m_dir.filePath(QStringLiteral("intro.png"));
    m_strMusic = m_dir.filePath(QStringLiteral("theme.mp3"));
    m_picture = randomBytes(70000, 1);
    m_music = randomBytes(300000, 2);
    QFile picture(m_strPicture);
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.write(m_picture);
    QFile music(m_strMusic);
    QVERIFY(music.open(QIODevice::WriteOnly));
    music.write(m_music);
}

void TestVelCreditsUpload::bytesAndHeadersArrive()
{
    VelUploadServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    Dialog dialog(server.url(QStringLiteral("/upload")), m_strPicture, m_strMusic);

    dialog.ok();
    QVERIFY(dialog.pCredits->isUploading());
    QTRY_COMPARE_WITH_TIMEOUT(dialog.sent.count(), 1, kWaitMs);
    QVERIFY(!dialog.frame.isVisible());
    QVERIFY(!dialog.pCredits->isUploading());

    const QList<VelUploadServer::Request> requests = server.requests();
    QCOMPARE(requests.size(), 1);
    const VelUploadServer::Request& request = requests.first();
    QCOMPARE(request.strPath, QStringLiteral("/upload"));
    QVERIFY2(request.strContentType.startsWith(QLatin1String("multipart/form-data; boundary=")),
             qPrintable(request.strContentType));
    QCOMPARE(request.parts.size(), 2);

    const QString strStamp = dialog.pCredits->uploadStamp();
    QVERIFY(
        QRegularExpression(QStringLiteral("^\\d\\d_\\d\\d_\\d\\d$")).match(strStamp).hasMatch());
    const QString strPictureName = QStringLiteral("intro_%1.png").arg(strStamp);
    const QString strMusicName = QStringLiteral("theme_%1.mp3").arg(strStamp);
    const VelUploadServer::Part& pic = request.parts.at(0);
    QCOMPARE(pic.strName, QStringLiteral("pic"));
    QCOMPARE(pic.header(QStringLiteral("Content-Type")), QStringLiteral("image/jpeg"));
    QCOMPARE(pic.header(QStringLiteral("Content-Disposition")),
             QStringLiteral("form-data; name=\"pic\"; filename=\"%1\"").arg(strPictureName));
    QCOMPARE(pic.data, m_picture);
    const VelUploadServer::Part& audio = request.parts.at(1);
    QCOMPARE(audio.strName, QStringLiteral("audio"));
    QCOMPARE(audio.header(QStringLiteral("Content-Type")), QStringLiteral("music/mp3"));
    QCOMPARE(audio.header(QStringLiteral("Content-Disposition")),
             QStringLiteral("form-data; name=\"audio\"; filename=\"%1\"").arg(strMusicName));
    QCOMPARE(audio.data, m_music);

    // The settings name the files as they were stored.
    const QList<QVariant> command = dialog.sent.first();
    QCOMPARE(command.at(0).value<Map>().value(QStringLiteral("requestParam")),
             QStringLiteral("prelude"));
    const Map target = dialog.sentTarget();
    QCOMPARE(target.value(QStringLiteral("picture")), strPictureName);
    QCOMPARE(target.value(QStringLiteral("backMusic")), strMusicName);
    QCOMPARE(target.value(QStringLiteral("pictureFlag")), QStringLiteral("0"));
    QCOMPARE(target.value(QStringLiteral("avaliable")), QStringLiteral("0"));
}

void TestVelCreditsUpload::secondOkWhileUploadingStartsNothing()
{
    VelUploadServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.setMode(QStringLiteral("hang")));
    Dialog dialog(server.url(QStringLiteral("/upload")), m_strPicture, m_strMusic);

    dialog.ok();
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, kWaitMs);
    // The body is there but the service has not answered: nothing is sent yet.
    QCOMPARE(dialog.sent.count(), 0);
    QVERIFY(dialog.pCredits->isUploading());
    QVERIFY(!dialog.pCredits->titleTab()->isEnabled());
    dialog.ok();
    QVERIFY(dialog.frame.isVisible());
    QVERIFY(dialog.pCredits->isUploading());

    // The held request is answered 200 now.
    QVERIFY(server.setMode(QStringLiteral("ok")));
    QTRY_COMPARE_WITH_TIMEOUT(dialog.sent.count(), 1, kWaitMs);
    QVERIFY(!dialog.frame.isVisible());
    QCOMPARE(server.requests().size(), 1);
    QVERIFY(server.closedHolds().isEmpty());
}

void TestVelCreditsUpload::failureKeepsDialogRetryable_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("server error 500") << "fail"
                                      << "500";
    QTest::newRow("connection reset after the body") << "reset"
                                                     << "";
    QTest::newRow("service never answers") << "hang"
                                           << "没有应答";
}

void TestVelCreditsUpload::failureKeepsDialogRetryable()
{
    QFETCH(QString, mode);
    QFETCH(QString, reason);
    VelUploadServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.setMode(mode));
    Dialog dialog(server.url(QStringLiteral("/upload")), m_strPicture, m_strMusic);
    dialog.pCredits->setUploadTimeout(600);

    dialog.ok();
    QVERIFY(dialog.pCredits->isUploading());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.pCredits->isUploading(), kWaitMs);
    QVERIFY(server.requests().size() >= 1);
    QCOMPARE(dialog.sent.count(), 0);
    QVERIFY(dialog.frame.isVisible());
    QVERIFY(dialog.pCredits->titleTab()->isEnabled());
    QVERIFY(dialog.pCredits->tailTab()->isEnabled());
    QVERIFY(!dialog.pCredits->progressBar()->isVisible());
    QVERIFY(dialog.pCredits->failureTip()->isVisible());
    const QString strTip = dialog.pCredits->failureTip()->text();
    QVERIFY2(strTip.startsWith(QStringLiteral("上传失败")) && strTip.contains(reason),
             qPrintable(strTip));
    if (mode == QLatin1String("hang")) {
        // The connection is given up, not left open.
        QTRY_COMPARE_WITH_TIMEOUT(server.closedHolds().size(), 1, kWaitMs);
    }

    // Confirming again uploads afresh and, stored this time, sends once.
    const int nBefore = server.requests().size();
    QVERIFY(server.setMode(QStringLiteral("ok")));
    dialog.ok();
    QTRY_COMPARE_WITH_TIMEOUT(dialog.sent.count(), 1, kWaitMs);
    QVERIFY(!dialog.frame.isVisible());
    const QList<VelUploadServer::Request> requests = server.requests();
    QCOMPARE(requests.size(), nBefore + 1);
    QCOMPARE(requests.last().parts.size(), 2);
    QCOMPARE(requests.last().parts.at(0).data, m_picture);
    QCOMPARE(requests.last().parts.at(1).data, m_music);
    QVERIFY(!dialog.pCredits->failureTip()->isVisible());
}

void TestVelCreditsUpload::cancelDuringUpload()
{
    VelUploadServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.setMode(QStringLiteral("hang")));
    Dialog dialog(server.url(QStringLiteral("/upload")), m_strPicture, m_strMusic);

    dialog.ok();
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, kWaitMs);
    QVERIFY(dialog.pCredits->isUploading());
    dialog.cancel();
    QVERIFY(!dialog.frame.isVisible());
    QVERIFY(!dialog.pCredits->isUploading());
    QVERIFY(dialog.pCredits->titleTab()->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(server.closedHolds().size(), 1, kWaitMs);
    QCOMPARE(dialog.sent.count(), 0);

    // Opened again, the dialog uploads as new.
    QVERIFY(server.setMode(QStringLiteral("ok")));
    dialog.frame.show();
    dialog.ok();
    QTRY_COMPARE_WITH_TIMEOUT(dialog.sent.count(), 1, kWaitMs);
    QCOMPARE(server.requests().size(), 2);
}

void TestVelCreditsUpload::knownNamesSendWithoutRequest()
{
    VelUploadServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    Dialog dialog(server.url(QStringLiteral("/upload")), QStringLiteral("bg_08_00_00.png"),
                  QStringLiteral("m_08_00_00.mp3"));
    dialog.ok();
    QCOMPARE(dialog.sent.count(), 1);
    QVERIFY(!dialog.frame.isVisible());

    dialog.frame.show();
    dialog.pCredits->titlePage()->picturePath()->setText(m_strPicture);
    dialog.pCredits->titlePage()->enableSwitch()->setChecked(false);
    dialog.ok();
    QCOMPARE(dialog.sent.count(), 2);
    QCOMPARE(dialog.sentTarget(1).value(QStringLiteral("avaliable")), QStringLiteral("1"));
    QVERIFY(server.requests().isEmpty());
}

void TestVelCreditsUpload::pageValuesNeverUploaded_data()
{
    QTest::addColumn<bool>("tail");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("music");
    QTest::addColumn<bool>("choosePicture");
    QTest::addColumn<QStringList>("uploaded");

    // "secret" and "other" stand for files of the user the page must not reach.
    QTest::newRow("title: absolute paths from the page") << false << "secret"
                                                         << "other" << false << QStringList();
    QTest::newRow("tail: absolute paths from the page") << true << "secret"
                                                        << "other" << false << QStringList();
    QTest::newRow("drive-letter path from the page") << false << "C:/secret"
                                                     << "m.mp3" << false << QStringList();
    QTest::newRow("chosen picture goes, page's music does not")
        << false << "bg.png"
        << "other" << true << QStringList{"pic"};
}

// A page answers "prelude" / "curtain" with paths of the user's files; a browser
// never lets a page pick what a file input uploads, so neither does the dialog:
// only a file chosen in it goes out, the page's values stay names.
void TestVelCreditsUpload::pageValuesNeverUploaded()
{
    QFETCH(bool, tail);
    QFETCH(QString, picture);
    QFETCH(QString, music);
    QFETCH(bool, choosePicture);
    QFETCH(QStringList, uploaded);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("C:")));
    const QString strSecret = home.filePath(QStringLiteral("id_ed25519"));
    const QString strOther = home.filePath(QStringLiteral("hostname"));
    for (const QString& strPath :
         {strSecret, strOther, home.filePath(QStringLiteral("C:/secret"))}) {
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("private");
    }
    auto value = [&](const QString& strRow) {
        if (strRow == QLatin1String("secret"))
            return strSecret;
        if (strRow == QLatin1String("other"))
            return strOther;
        return strRow;
    };
    // Relative to the working directory, "C:/secret" names an existing file too.
    const QString strCwd = QDir::currentPath();
    QDir::setCurrent(home.path());
    auto restoreCwd = qScopeGuard([&]() { QDir::setCurrent(strCwd); });

    VelUploadServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    Dialog dialog(server.url(QStringLiteral("/upload")), QString(), QString());
    const QString strKind = tail ? QStringLiteral("curtain") : QStringLiteral("prelude");
    Map target{{"picture", value(picture)},
               {"backMusic", value(music)},
               {"duration", "3"},
               {"avaliable", "0"}};
    dialog.pCredits->sltReceiveCommand(
        {{"requestParam", strKind}, {"target", formatCommand(target)}});
    VelClipSettingPage* pPage = tail ? static_cast<VelClipSettingPage*>(dialog.pCredits->tailPage())
                                     : dialog.pCredits->titlePage();
    if (tail)
        QTest::mouseClick(dialog.pCredits->tailTab(), Qt::LeftButton);
    QString strChosen;
    if (choosePicture) {
        strChosen = m_strPicture;
        QWidget browser;
        browser.setProperty(VelFileChooser::kWindowClassProperty, "IEFrame");
        browser.show();
        VelFileChooser::setDialogFunction([&](QWidget*, const QString&) { return strChosen; });
        pPage->sltSetPicture();
        VelFileChooser::setDialogFunction({});
        QCOMPARE(pPage->picturePath()->text(), strChosen);
    }

    dialog.ok();
    QTRY_COMPARE_WITH_TIMEOUT(dialog.sent.count(), 1, kWaitMs);
    const Map sent = dialog.sentTarget();
    const QString strStamp = dialog.pCredits->uploadStamp();
    QStringList lstParts;
    for (const VelUploadServer::Request& request : server.requests()) {
        for (const VelUploadServer::Part& part : request.parts) {
            lstParts << part.strName;
            QVERIFY2(part.data != "private", qPrintable(part.strFileName));
        }
    }
    QCOMPARE(lstParts, uploaded);
    QCOMPARE(sent.value("picture"),
             choosePicture ? QStringLiteral("intro_%1.png").arg(strStamp) : value(picture));
    QCOMPARE(sent.value("backMusic"), value(music));
    QCOMPARE(sent.value("pictureFlag"), choosePicture ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(sent.value("backMusicFlag"), QStringLiteral("1"));
}

QTEST_MAIN(TestVelCreditsUpload)
#include "tst_velcreditsupload.moc"
