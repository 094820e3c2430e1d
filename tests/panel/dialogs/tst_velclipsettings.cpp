// The title and tail clip pages and the clip dialog's decisions that need no
// upload: the page's fill rules, page checks, upload names, the chooser, reset
// and the sends that skip the upload.
#include "dialogs/velclipsettingpage.h"
#include "dialogs/velcourseinfowidget.h"
#include "dialogs/velcreditssettingwidget.h"
#include "dialogs/veltailsettingwidget.h"
#include "dialogs/veltitlesettingwidget.h"
#include "velcolordisplaybutton.h"
#include "velcommand.h"
#include "veldialogframe.h"
#include "velfilechooser.h"
#include "vellineedit.h"
#include "velpopcontainer.h"

#include <QComboBox>
#include <QHttpMultiPart>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using Map = QMap<QString, QString>;
Q_DECLARE_METATYPE(Map)

namespace
{

Map message(const QString& strKind, const Map& target)
{
    return {{"requestParam", strKind}, {"target", formatCommand(target)}};
}

} // namespace

class TestVelClipSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fill_data();
    void fill();
    void pageCheck_data();
    void pageCheck();
    void uploadName_data();
    void uploadName();
    void sendWithoutUpload_data();
    void sendWithoutUpload();
    void chooser_data();
    void chooser();
    void tipIsSmallPopupAtField_data();
    void tipIsSmallPopupAtField();
    void resetKeepsFlagsAndSwitch();
    void hideStateKeepsTailLines();

private:
    QTemporaryDir m_dir;
    QString m_strPicture;
    QString m_strMusic;
};

void TestVelClipSettings::initTestCase()
{
    qRegisterMetaType<Map>("QMap<QString,QString>");
    QVERIFY(m_dir.isValid());
    m_strPicture = m_dir.filePath("intro.png");
    m_strMusic = m_dir.filePath("theme.mp3");
    for (const QString& strPath : {m_strPicture, m_strMusic}) {
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("bytes");
    }
}

void TestVelClipSettings::fill_data()
{
    QTest::addColumn<bool>("title");
    QTest::addColumn<Map>("target");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("pictureFlag");
    QTest::addColumn<bool>("musicFlag");

    const Map title{{"preludeName", "prelude"}, {"picture", "bg_09_30_05.png"},
                    {"fontSize", "20"},         {"fontColor", "#ff0000"},
                    {"title", "分数"},          {"course", "数学"},
                    {"grade", "三年级"},        {"subject", "数学"},
                    {"teacher", "王"},          {"school", "一小"},
                    {"recordStatus", "stop"},   {"backMusic", "m.mp3"},
                    {"duration", "45"},         {"avaliable", "0"},
                    {"pictureFlag", "1"},       {"backMusicFlag", "1"}};
    QTest::newRow("title duration 45 becomes 2") << true << title << "2" << true << true << true;
    Map thirty = title;
    thirty["duration"] = "30";
    QTest::newRow("title duration 30 kept") << true << thirty << "30" << true << true << true;
    Map one = title;
    one["duration"] = "1";
    one["avaliable"] = "1";
    one["backMusic"] = "";
    QTest::newRow("title duration 1, disabled, no music")
        << true << one << "2" << false << true << false;

    const Map tail{{"curtainName", "curtain"}, {"picture", ""},
                   {"fontSize", "14"},         {"fontColor", "#00b034"},
                   {"production", "电教中心"}, {"copyright", "一小"},
                   {"date", "2026-12-08"},     {"backMusic", "end.mp3"},
                   {"duration", "5"},          {"avaliable", "0"},
                   {"pictureFlag", "0"},       {"backMusicFlag", "1"}};
    QTest::newRow("tail duration 5 kept, no picture")
        << false << tail << "5" << true << false << true;
    Map six = tail;
    six["duration"] = "6";
    QTest::newRow("tail duration 6 becomes 2") << false << six << "2" << true << false << true;
}

// Filling a page and reading its settings back gives the page's values, with
// the duration and the flags by the rules.
void TestVelClipSettings::fill()
{
    QFETCH(bool, title);
    QFETCH(Map, target);
    QFETCH(QString, duration);
    QFETCH(bool, enabled);
    QFETCH(bool, pictureFlag);
    QFETCH(bool, musicFlag);

    VelCreditsSettingWidget credits;
    VelClipSettingPage* pPage =
        title ? static_cast<VelClipSettingPage*>(credits.titlePage()) : credits.tailPage();
    VelClipSettingPage* pOther =
        title ? static_cast<VelClipSettingPage*>(credits.tailPage()) : credits.titlePage();
    const Map otherBefore = pOther->settings("00_00_00");
    credits.sltReceiveCommand(message(title ? "prelude" : "curtain", target));

    QCOMPARE(pPage->durationEdit()->text(), duration);
    QCOMPARE(pPage->enableSwitch()->isChecked(), enabled);
    QCOMPARE(pPage->pictureFlag(), pictureFlag);
    QCOMPARE(pPage->musicFlag(), musicFlag);
    Map expected = target;
    expected["duration"] = duration;
    expected["pictureFlag"] = pictureFlag ? "1" : "0";
    expected["backMusicFlag"] = musicFlag ? "1" : "0";
    QCOMPARE(pPage->settings("00_00_00"), expected);
    QCOMPARE(pOther->settings("00_00_00"), otherBefore);
}

void TestVelClipSettings::pageCheck_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("music");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("parts");

    // "local" is a file on disk, "gone" a local path that no longer exists.
    QTest::newRow("disabled with nothing passes") << false << ""
                                                  << ""
                                                  << "" << 1 << 0;
    QTest::newRow("both local files are added") << true << "local"
                                                << "local"
                                                << "8" << 1 << 2;
    QTest::newRow("page names add nothing") << true << "a.png"
                                            << "b.mp3"
                                            << "8" << 1 << 0;
    QTest::newRow("local picture, page music") << true << "local"
                                               << "b.mp3"
                                               << "8" << 1 << 1;
    QTest::newRow("no picture refused") << true << ""
                                        << "local"
                                        << "8" << 0 << 0;
    QTest::newRow("no music refused") << true << "local"
                                      << ""
                                      << "8" << 0 << 1;
    QTest::newRow("no duration refused") << true << "a.png"
                                         << "b.mp3"
                                         << "" << 0 << 0;
    QTest::newRow("vanished local picture refused") << true << "gone"
                                                    << "b.mp3"
                                                    << "8" << 0 << 0;
}

void TestVelClipSettings::pageCheck()
{
    QFETCH(bool, enabled);
    QFETCH(QString, picture);
    QFETCH(QString, music);
    QFETCH(QString, duration);
    QFETCH(int, result);
    QFETCH(int, parts);

    auto path = [this](const QString& strValue, const QString& strLocal) {
        if (strValue == "local")
            return strLocal;
        if (strValue == "gone")
            return m_dir.filePath("gone.png");
        return strValue;
    };
    VelTitleSettingWidget page;
    page.enableSwitch()->setChecked(enabled);
    page.picturePath()->setText(path(picture, m_strPicture));
    page.musicPath()->setText(path(music, m_strMusic));
    page.durationEdit()->setText(duration);
    QNetworkAccessManager manager;
    QHttpMultiPart body(QHttpMultiPart::FormDataType);
    page.setUploadHandles(&manager, &body, "09_30_05");

    QCOMPARE(page.checkAccept(), result);
    QCOMPARE(page.clipDisabled(), !enabled);
    QCOMPARE(page.addedParts(), parts);
    QCOMPARE(body.findChildren<QFile*>().size(), parts);
}

void TestVelClipSettings::uploadName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("drive path") << "C:/clips/intro.png"
                                << "intro_09_30_05.png";
    QTest::newRow("absolute path") << "/home/op/music/theme.mp3"
                                   << "theme_09_30_05.mp3";
    QTest::newRow("dots in the name") << "/a/b.c/x.y.png"
                                      << "x.y_09_30_05.png";
    QTest::newRow("name shorter than an extension") << "/a/ab"
                                                    << "09_30_05_ab";
}

void TestVelClipSettings::uploadName()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(VelClipSettingPage::uploadName(path, "09_30_05"), name);
}

void TestVelClipSettings::sendWithoutUpload_data()
{
    QTest::addColumn<bool>("tailTab");
    QTest::addColumn<Map>("prelude");
    QTest::addColumn<Map>("curtain");
    QTest::addColumn<QString>("requestParam");
    QTest::addColumn<Map>("sent");

    const Map disabledTitle{{"picture", ""},    {"backMusic", ""},  {"duration", "10"},
                            {"avaliable", "1"}, {"fontSize", "10"}, {"fontColor", "#000000"}};
    Map sentDisabled{{"preludeName", "prelude"},
                     {"picture", ""},
                     {"fontSize", "10"},
                     {"fontColor", "#000000"},
                     {"title", ""},
                     {"course", ""},
                     {"grade", ""},
                     {"subject", ""},
                     {"teacher", ""},
                     {"school", ""},
                     {"recordStatus", "stop"},
                     {"backMusic", ""},
                     {"duration", "10"},
                     {"avaliable", "1"},
                     {"pictureFlag", "0"},
                     {"backMusicFlag", "0"}};
    QTest::newRow("disabled title without a picture")
        << false << disabledTitle << Map() << "prelude" << sentDisabled;
    Map known = disabledTitle;
    known["picture"] = "bg_08_00_00.png";
    known["backMusic"] = "m_08_00_00.mp3";
    known["avaliable"] = "0";
    Map sentKnown = sentDisabled;
    sentKnown["picture"] = "bg_08_00_00.png";
    sentKnown["backMusic"] = "m_08_00_00.mp3";
    sentKnown["avaliable"] = "0";
    sentKnown["pictureFlag"] = "1";
    sentKnown["backMusicFlag"] = "1";
    QTest::newRow("enabled title with names the page sent")
        << false << known << Map() << "prelude" << sentKnown;
    // The title page is enabled but incomplete: only the tail is checked.
    const Map incompleteTitle{{"picture", ""}, {"avaliable", "0"}};
    const Map tail{{"picture", "end.png"},  {"backMusic", "end.mp3"}, {"duration", "3"},
                   {"avaliable", "0"},      {"production", "电教"},   {"fontSize", "14"},
                   {"fontColor", "#ffffff"}};
    const Map sentTail{{"curtainName", "curtain"},
                       {"picture", "end.png"},
                       {"fontSize", "14"},
                       {"fontColor", "#ffffff"},
                       {"production", "电教"},
                       {"copyright", ""},
                       {"date", ""},
                       {"backMusic", "end.mp3"},
                       {"duration", "3"},
                       {"avaliable", "0"},
                       {"pictureFlag", "1"},
                       {"backMusicFlag", "1"}};
    QTest::newRow("tail tab checks and sends the tail only")
        << true << incompleteTitle << tail << "curtain" << sentTail;
}

void TestVelClipSettings::sendWithoutUpload()
{
    QFETCH(bool, tailTab);
    QFETCH(Map, prelude);
    QFETCH(Map, curtain);
    QFETCH(QString, requestParam);
    QFETCH(Map, sent);

    auto* pCredits = new VelCreditsSettingWidget;
    VelDialogFrame frame(QStringLiteral("片头片尾设置"), nullptr, pCredits, 7);
    // Nothing listens there: an upload attempt would fail, not pass.
    pCredits->sltSetUploadService("http://127.0.0.1:9/upload");
    if (!prelude.isEmpty())
        pCredits->sltReceiveCommand(message("prelude", prelude));
    if (!curtain.isEmpty())
        pCredits->sltReceiveCommand(message("curtain", curtain));
    if (tailTab)
        QTest::mouseClick(pCredits->tailTab(), Qt::LeftButton);
    QSignalSpy sentSpy(pCredits, &VelDialogContent::sigSendCommand);
    frame.show();

    frame.accept();
    QVERIFY(!pCredits->isUploading());
    QVERIFY(!frame.isVisible());
    QCOMPARE(sentSpy.count(), 1);
    const Map command = sentSpy.at(0).at(0).value<Map>();
    QCOMPARE(command.value("requestParam"), requestParam);
    QCOMPARE(parseCommand(command.value("target")), sent);
}

void TestVelClipSettings::chooser_data()
{
    QTest::addColumn<bool>("music");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("taken");
    QTest::newRow("picture chosen") << false << "intro.png" << true;
    QTest::newRow("music chosen") << true << "theme.mp3" << true;
    QTest::newRow("backslashes become slashes") << false << "\\intro.png" << true;
    QTest::newRow("cancelled") << false << "" << false;
    QTest::newRow("file does not exist") << true << "missing.mp3" << false;
}

void TestVelClipSettings::chooser()
{
    QFETCH(bool, music);
    QFETCH(QString, chosen);
    QFETCH(bool, taken);

    QWidget browser;
    browser.setProperty(VelFileChooser::kWindowClassProperty, "IEFrame");
    browser.show();
    QString strFilter;
    // The dialog hands back the path the Windows way when asked to.
    const QString strAnswer =
        chosen.isEmpty() ? QString()
        : chosen.startsWith('\\')
            ? QDir::toNativeSeparators(m_dir.path()).replace('/', '\\') + chosen
            : m_dir.filePath(chosen);
    VelFileChooser::setDialogFunction([&](QWidget*, const QString& strQtFilter) {
        strFilter = strQtFilter;
        return strAnswer;
    });

    VelTailSettingWidget page;
    page.show();
    page.fillFromMessage(message("curtain", {{"picture", "old.png"}, {"backMusic", "old.mp3"}}));
    QTest::mouseClick(music ? page.musicButton() : page.pictureButton(), Qt::LeftButton);
    VelFileChooser::setDialogFunction({});

    QCOMPARE(strFilter, music ? QStringLiteral("Music Files(*.mp3) (*.mp3)")
                              : QStringLiteral("Picture Files(*.png) (*.png)"));
    QLineEdit* pField = music ? page.musicPath() : page.picturePath();
    const bool bFlag = music ? page.musicFlag() : page.pictureFlag();
    if (taken) {
        QCOMPARE(pField->text(), m_dir.filePath(chosen.mid(chosen.startsWith('\\') ? 1 : 0)));
        QVERIFY(!bFlag);
        QCOMPARE(page.tipLabel()->text(), music ? QStringLiteral("采样率应设为 8000 ~ 44100")
                                                : QStringLiteral("分辨率应与录像分辨率相同"));
        QVERIFY(page.tipContainer()->isVisible());
    } else {
        QCOMPARE(pField->text(), music ? QStringLiteral("old.mp3") : QStringLiteral("old.png"));
        QVERIFY(bFlag);
        QVERIFY(!page.tipContainer() || !page.tipContainer()->isVisible());
    }
}

void TestVelClipSettings::tipIsSmallPopupAtField_data()
{
    QTest::addColumn<bool>("tail");
    QTest::addColumn<bool>("music");
    QTest::newRow("title picture") << false << false;
    QTest::newRow("title music") << false << true;
    QTest::newRow("tail picture") << true << false;
    QTest::newRow("tail music") << true << true;
}

// The one-line tip after a choice is a small pop-up pointing at the path field:
// it covered the form and its buttons (650 x 496) and ran off the screen.
void TestVelClipSettings::tipIsSmallPopupAtField()
{
    QFETCH(bool, tail);
    QFETCH(bool, music);

    QWidget browser;
    browser.setProperty(VelFileChooser::kWindowClassProperty, "IEFrame");
    browser.show();
    const QString strAnswer = music ? m_strMusic : m_strPicture;
    VelFileChooser::setDialogFunction([&](QWidget*, const QString&) { return strAnswer; });
    auto* pCredits = new VelCreditsSettingWidget;
    VelDialogFrame frame(QStringLiteral("片头片尾设置"), nullptr, pCredits, 7);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    if (tail)
        QTest::mouseClick(pCredits->tailTab(), Qt::LeftButton);
    VelClipSettingPage* pPage =
        tail ? static_cast<VelClipSettingPage*>(pCredits->tailPage()) : pCredits->titlePage();
    QTest::mouseClick(music ? pPage->musicButton() : pPage->pictureButton(), Qt::LeftButton);
    VelFileChooser::setDialogFunction({});

    VelPopContainer* pTip = pPage->tipContainer();
    QVERIFY(pTip && pTip->isVisible());
    // Let the slide-in end.
    QTest::qWait(600);
    const QRect tip = pTip->geometry();
    const QSize text = pPage->tipLabel()->sizeHint();
    QVERIFY2(tip.width() <= text.width() + 24 && tip.height() <= text.height() + 24,
             qPrintable(QStringLiteral("tip %1 x %2 for a text of %3 x %4")
                            .arg(tip.width())
                            .arg(tip.height())
                            .arg(text.width())
                            .arg(text.height())));
    // It points at the field it is about...
    QLineEdit* pField = music ? pPage->musicPath() : pPage->picturePath();
    const QPoint anchor = pField->mapToGlobal(pField->rect().center());
    QVERIFY2(tip.top() == anchor.y() && tip.left() <= anchor.x() && anchor.x() <= tip.right(),
             qPrintable(QStringLiteral("tip at %1,%2, field centre %3,%4")
                            .arg(tip.x())
                            .arg(tip.y())
                            .arg(anchor.x())
                            .arg(anchor.y())));
    // ...stays on the screen and leaves the dialog's buttons free.
    const QRect screen = pField->screen()->geometry();
    QVERIFY(tip.left() >= screen.left() && tip.right() <= screen.right());
    for (QPushButton* pButton : frame.findChildren<QPushButton*>()) {
        if (pButton->text() != QLatin1String("确定") && pButton->text() != QLatin1String("取消"))
            continue;
        const QRect button(pButton->mapToGlobal(QPoint(0, 0)), pButton->size());
        QVERIFY2(!tip.intersects(button), qPrintable(pButton->text()));
    }
}

void TestVelClipSettings::resetKeepsFlagsAndSwitch()
{
    VelCreditsSettingWidget credits;
    credits.sltReceiveCommand(message("prelude", {{"picture", "p.png"},
                                                  {"backMusic", "m.mp3"},
                                                  {"duration", "9"},
                                                  {"fontSize", "32"},
                                                  {"fontColor", "#ff0000"},
                                                  {"title", "课"},
                                                  {"avaliable", "0"}}));
    credits.sltReceiveCommand(message("curtain", {{"production", "电教"}, {"date", "今天"}}));
    credits.resetSettings();

    VelTitleSettingWidget* pTitle = credits.titlePage();
    QCOMPARE(pTitle->picturePath()->text(), QString());
    QCOMPARE(pTitle->musicPath()->text(), QString());
    QCOMPARE(pTitle->durationEdit()->text(), QString());
    QCOMPARE(pTitle->fontSizeBox()->currentText(), QStringLiteral("10"));
    QCOMPARE(pTitle->colorButton()->color(), QColor(Qt::black));
    QCOMPARE(pTitle->courseBlock()->settings().value("title"), QString());
    QVERIFY(pTitle->pictureFlag() && pTitle->musicFlag());
    QVERIFY(pTitle->enableSwitch()->isChecked());
    QCOMPARE(credits.tailPage()->productionEdit()->text(), QString());
    QCOMPARE(credits.tailPage()->dateEdit()->text(), QString());
}

// The short form hides the settings rows and the course block; the tail's
// credit lines stay.
void TestVelClipSettings::hideStateKeepsTailLines()
{
    VelCreditsSettingWidget credits;
    credits.show();
    credits.sltSetHideState(false);
    QVERIFY(!credits.titlePage()->courseBlock()->isVisible());
    QVERIFY(!credits.titlePage()->fontSizeBox()->isVisible());
    QTest::mouseClick(credits.tailTab(), Qt::LeftButton);
    QVERIFY(credits.tailPage()->productionEdit()->isVisible());
    QVERIFY(!credits.tailPage()->colorButton()->isVisible());
    credits.sltSetHideState(true);
    QVERIFY(credits.tailPage()->colorButton()->isVisible());
}

QTEST_MAIN(TestVelClipSettings)
#include "tst_velclipsettings.moc"
