#include "veldialogcontent.h"
#include "veldialogframe.h"
#include "veleditwidget.h"
#include "velpushbutton.h"
#include "veltestresources.h"
#include "veltipwidget.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace
{

const int kSettleMs = 2000;

// A content whose verdicts the test sets, counting how often it was asked.
class VerdictContent : public VelDialogContent
{
public:
    explicit VerdictContent(QWidget* parent = nullptr) : VelDialogContent(parent)
    {
        setFixedSize(300, 120);
        m_pEdit = new QLineEdit(this);
        m_pEdit->move(20, 20);
    }
    int checkAccept() override
    {
        ++nAcceptAsked;
        return nAccept;
    }
    int checkReject() override
    {
        ++nRejectAsked;
        return nReject;
    }
    QLineEdit* edit() const { return m_pEdit; }

    int nAccept = 1;
    int nReject = 1;
    int nAcceptAsked = 0;
    int nRejectAsked = 0;

private:
    QLineEdit* m_pEdit = nullptr;
};

struct Buttons {
    QPushButton* pExit;
    QPushButton* pCancel;
    QPushButton* pOk;
};

Buttons buttonsOf(const VelDialogFrame& frame)
{
    Buttons buttons{frame.findChild<VelPushButton*>(), nullptr, nullptr};
    for (QPushButton* pButton : frame.findChildren<QPushButton*>()) {
        if (pButton->text() == QStringLiteral("取消"))
            buttons.pCancel = pButton;
        else if (pButton->text() == QStringLiteral("确定"))
            buttons.pOk = pButton;
    }
    return buttons;
}

QPoint centredPos(const QWidget& widget)
{
    const QDesktopWidget* pDesktop = QApplication::desktop();
    return QPoint((pDesktop->width() - widget.width()) / 2,
                  (pDesktop->height() - widget.height()) / 2);
}

void showSettled(VelDialogFrame& frame)
{
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_COMPARE_WITH_TIMEOUT(frame.pos(), centredPos(frame), kSettleMs);
}

void sendMove(QWidget* pWidget, const QPoint& pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, pWidget->mapToGlobal(pos), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &move);
}

} // namespace

class TstVelDialogFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void buttonSets_data();
    void buttonSets();
    void pairSitsAtTheRight();
    void loneButtonIsCentred_data();
    void loneButtonIsCentred();
    void verdicts_data();
    void verdicts();
    void withoutContentNothingCloses();
    void escapeLeavesItOpen_data();
    void escapeLeavesItOpen();
    void dragOnlyByTitle_data();
    void dragOnlyByTitle();
    void centredWithOpeningSlide();
    void execRunsUntilTheContentAgrees();
    void tipAndEditContents();
};

void TstVelDialogFrame::initTestCase()
{
    velInitTestResources();
}

void TstVelDialogFrame::buttonSets_data()
{
    QTest::addColumn<int>("nButtons");
    QTest::addColumn<bool>("bExit");
    QTest::addColumn<bool>("bCancel");
    QTest::addColumn<bool>("bOk");
    QTest::newRow("7: settings dialogs") << 7 << true << true << true;
    QTest::newRow("5: warnings") << 5 << true << false << true;
    QTest::newRow("4: live address") << 4 << false << false << true;
    QTest::newRow("1: live room chooser without rooms") << 1 << true << false << false;
    QTest::newRow("0: save progress") << 0 << false << false << false;
}

void TstVelDialogFrame::buttonSets()
{
    QFETCH(int, nButtons);
    QFETCH(bool, bExit);
    QFETCH(bool, bCancel);
    QFETCH(bool, bOk);
    VelDialogFrame frame(QStringLiteral("课程信息"), nullptr, new VerdictContent, nButtons);
    showSettled(frame);

    const Buttons buttons = buttonsOf(frame);
    QVERIFY(buttons.pExit && buttons.pCancel && buttons.pOk);
    QCOMPARE(buttons.pExit->isVisible(), bExit);
    QCOMPARE(buttons.pCancel->isVisible(), bCancel);
    QCOMPARE(buttons.pOk->isVisible(), bOk);
    QCOMPARE(buttons.pExit->size(), QSize(36, 36));
    QCOMPARE(buttons.pOk->size(), QSize(78, 28));
    QCOMPARE(buttons.pCancel->size(), QSize(78, 28));
    QVERIFY(!buttons.pExit->icon().isNull());
    QCOMPARE(frame.objectName(), QStringLiteral("dialog"));
    QVERIFY(frame.windowFlags().testFlag(Qt::FramelessWindowHint));

    auto* pTitle = frame.findChild<QLabel*>(QStringLiteral("title"));
    QVERIFY(pTitle);
    QCOMPARE(pTitle->text(), QStringLiteral("课程信息"));
    QCOMPARE(pTitle->geometry().top(), 0);
    QVERIFY(pTitle->height() >= 35);
}

void TstVelDialogFrame::pairSitsAtTheRight()
{
    VelDialogFrame frame(QStringLiteral("字幕"), nullptr, new VerdictContent, 7);
    showSettled(frame);
    const Buttons buttons = buttonsOf(frame);
    const QRect cancel = buttons.pCancel->geometry();
    const QRect ok = buttons.pOk->geometry();

    QCOMPARE(frame.width() - (ok.x() + ok.width()), 20);
    QCOMPARE(ok.x() - (cancel.x() + cancel.width()), 8);
    QCOMPARE(ok.y(), cancel.y());
    // Below the content, 10 px above the bottom margin of 10.
    QCOMPARE(frame.height() - (ok.y() + ok.height()), 20);
}

void TstVelDialogFrame::loneButtonIsCentred_data()
{
    QTest::addColumn<int>("nButtons");
    QTest::addColumn<bool>("bOk");
    QTest::newRow("OK only") << 4 << true;
    QTest::newRow("exit and OK") << 5 << true;
    QTest::newRow("cancel only") << 2 << false;
}

void TstVelDialogFrame::loneButtonIsCentred()
{
    QFETCH(int, nButtons);
    QFETCH(bool, bOk);
    VelDialogFrame frame(QStringLiteral("直播地址"), nullptr, new VerdictContent, nButtons);
    showSettled(frame);
    const Buttons buttons = buttonsOf(frame);
    const QRect button = (bOk ? buttons.pOk : buttons.pCancel)->geometry();

    QVERIFY(qAbs(button.x() - (frame.width() - button.right() - 1)) <= 1);
}

void TstVelDialogFrame::verdicts_data()
{
    QTest::addColumn<bool>("bConfirm");
    QTest::addColumn<int>("nVerdict");
    QTest::addColumn<bool>("bCloses");
    QTest::addColumn<int>("nResult");
    QTest::newRow("OK, content agrees") << true << 1 << true << int(QDialog::Accepted);
    QTest::newRow("OK, content refuses with 0") << true << 0 << false << -1;
    QTest::newRow("OK, content refuses with -1 (upload started)") << true << -1 << false << -1;
    QTest::newRow("OK, content answers 2") << true << 2 << false << -1;
    QTest::newRow("cancel, content agrees") << false << 1 << true << int(QDialog::Rejected);
    QTest::newRow("cancel, content refuses") << false << 0 << false << -1;
}

void TstVelDialogFrame::verdicts()
{
    QFETCH(bool, bConfirm);
    QFETCH(int, nVerdict);
    QFETCH(bool, bCloses);
    QFETCH(int, nResult);
    auto* pContent = new VerdictContent;
    pContent->nAccept = nVerdict;
    pContent->nReject = nVerdict;
    VelDialogFrame frame(QStringLiteral("视频打点"), nullptr, pContent, 7);
    frame.setResult(-1);
    showSettled(frame);
    const Buttons buttons = buttonsOf(frame);

    QTest::mouseClick(bConfirm ? buttons.pOk : buttons.pCancel, Qt::LeftButton);
    QCOMPARE(pContent->nAcceptAsked, bConfirm ? 1 : 0);
    QCOMPARE(pContent->nRejectAsked, bConfirm ? 0 : 1);
    QCOMPARE(frame.isVisible(), !bCloses);
    QCOMPARE(frame.result(), nResult);

    // The exit button asks the same as cancel.
    if (!bConfirm && !bCloses) {
        QTest::mouseClick(buttons.pExit, Qt::LeftButton);
        QCOMPARE(pContent->nRejectAsked, 2);
        QVERIFY(frame.isVisible());
        pContent->nReject = 1;
        QTest::mouseClick(buttons.pExit, Qt::LeftButton);
        QVERIFY(!frame.isVisible());
        QCOMPARE(frame.result(), int(QDialog::Rejected));
    }
}

void TstVelDialogFrame::withoutContentNothingCloses()
{
    VelDialogFrame frame(QStringLiteral("保存"), nullptr, nullptr, 7);
    frame.setResult(-1);
    showSettled(frame);
    const Buttons buttons = buttonsOf(frame);
    QTest::mouseClick(buttons.pOk, Qt::LeftButton);
    QTest::mouseClick(buttons.pCancel, Qt::LeftButton);
    QTest::mouseClick(buttons.pExit, Qt::LeftButton);
    frame.accept();
    frame.reject();
    QVERIFY(frame.isVisible());
    QCOMPARE(frame.result(), -1);
}

void TstVelDialogFrame::escapeLeavesItOpen_data()
{
    QTest::addColumn<bool>("bFromEdit");
    QTest::newRow("focus on the frame") << false;
    QTest::newRow("focus in a line edit of the content") << true;
}

void TstVelDialogFrame::escapeLeavesItOpen()
{
    QFETCH(bool, bFromEdit);
    auto* pContent = new VerdictContent;
    VelDialogFrame frame(QStringLiteral("警告"), nullptr, pContent, 5);
    showSettled(frame);

    QWidget* pTarget = bFromEdit ? static_cast<QWidget*>(pContent->edit()) : &frame;
    QTest::keyClick(pTarget, Qt::Key_Escape);
    QVERIFY(frame.isVisible());
    QCOMPARE(pContent->nRejectAsked, 0);
    // Another key still reaches the content.
    if (bFromEdit) {
        QTest::keyClicks(pContent->edit(), QStringLiteral("ab"));
        QCOMPARE(pContent->edit()->text(), QStringLiteral("ab"));
    }
}

void TstVelDialogFrame::dragOnlyByTitle_data()
{
    QTest::addColumn<QString>("strOver");
    QTest::addColumn<bool>("bMoves");
    QTest::newRow("over the title") << "title" << true;
    QTest::newRow("over the content") << "content" << false;
    QTest::newRow("over the button row") << "buttons" << false;
    QTest::newRow("over the exit button") << "exit" << false;
}

void TstVelDialogFrame::dragOnlyByTitle()
{
    QFETCH(QString, strOver);
    QFETCH(bool, bMoves);
    auto* pContent = new VerdictContent;
    VelDialogFrame frame(QStringLiteral("片头片尾"), nullptr, pContent, 7);
    showSettled(frame);
    const Buttons buttons = buttonsOf(frame);
    auto* pTitle = frame.findChild<QLabel*>(QStringLiteral("title"));

    QPoint over;
    if (strOver == QLatin1String("title"))
        over = pTitle->geometry().center();
    else if (strOver == QLatin1String("content"))
        over = pContent->geometry().center();
    else if (strOver == QLatin1String("buttons"))
        over = buttons.pOk->geometry().center() - QPoint(0, 0);
    else
        over = buttons.pExit->geometry().center();

    const QPoint start = frame.pos();
    const QPoint pressAt = pTitle->geometry().center();
    QTest::mousePress(&frame, Qt::LeftButton, {}, pressAt);
    const QPoint delta(-40, 25);
    QCursor::setPos(frame.mapToGlobal(pressAt) + delta);
    sendMove(&frame, over);

    if (bMoves)
        QCOMPARE(frame.pos(), QCursor::pos() - pressAt);
    else
        QCOMPARE(frame.pos(), start);
    QCOMPARE(frame.pos() == start + delta, bMoves);
    QTest::mouseRelease(&frame, Qt::LeftButton, {}, over);
}

void TstVelDialogFrame::centredWithOpeningSlide()
{
    auto* pContent = new VerdictContent;
    VelDialogFrame frame(QStringLiteral("课程信息"), nullptr, pContent, 7);
    frame.show();
    // The slide starts 50 px left of the centred place.
    QCOMPARE(frame.pos(), centredPos(frame) - QPoint(50, 0));
    QTRY_COMPARE_WITH_TIMEOUT(frame.pos(), centredPos(frame), kSettleMs);

    // A bigger content re-centres the frame.
    const QSize before = frame.size();
    pContent->setFixedSize(400, 200);
    QTRY_VERIFY_WITH_TIMEOUT(frame.size() != before, kSettleMs);
    QCOMPARE(frame.pos(), centredPos(frame));

    // Every show slides again.
    frame.hide();
    frame.show();
    QCOMPARE(frame.pos(), centredPos(frame) - QPoint(50, 0));
    QTRY_COMPARE_WITH_TIMEOUT(frame.pos(), centredPos(frame), kSettleMs);
}

void TstVelDialogFrame::execRunsUntilTheContentAgrees()
{
    auto* pContent = new VerdictContent;
    pContent->nAccept = 0;
    VelDialogFrame frame(QStringLiteral("字幕"), nullptr, pContent, 7);
    const Buttons buttons = buttonsOf(frame);

    bool bStillOpenAfterRefusal = false;
    QTimer::singleShot(100, &frame, [&] {
        QTest::keyClick(&frame, Qt::Key_Escape);
        QTest::mouseClick(buttons.pOk, Qt::LeftButton);
        bStillOpenAfterRefusal = frame.isVisible();
        pContent->nAccept = 1;
        QTest::mouseClick(buttons.pOk, Qt::LeftButton);
    });
    // Never hang the run if the frame does not close.
    QTimer::singleShot(5000, &frame, [&] { frame.done(-2); });

    QCOMPARE(frame.exec(), int(QDialog::Accepted));
    QVERIFY(bStillOpenAfterRefusal);
    QCOMPARE(pContent->nAcceptAsked, 2);
}

void TstVelDialogFrame::tipAndEditContents()
{
    VelTipWidget tip(QStringLiteral("请先设置存储位置"), nullptr);
    QCOMPARE(tip.width(), 250);
    QCOMPARE(tip.text(), QStringLiteral("请先设置存储位置"));
    QCOMPARE(tip.checkAccept(), 1);
    QCOMPARE(tip.checkReject(), 1);

    VelEditWidget edit(QStringLiteral("rtmp://10.1.2.3/live/room1"), nullptr);
    QCOMPARE(edit.width(), 300);
    QCOMPARE(edit.lineEdit()->text(), QStringLiteral("rtmp://10.1.2.3/live/room1"));
    QCOMPARE(edit.lineEdit()->focusPolicy(), Qt::NoFocus);
    // The whole address is readable: the edit spans the content, from the start.
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QCOMPARE(edit.lineEdit()->width(), 280);
    QCOMPARE(edit.lineEdit()->cursorPosition(), 0);
    QCOMPARE(edit.checkAccept(), 1);
    QCOMPARE(edit.checkReject(), 1);

    // A tip in a warning frame closes on OK.
    auto* pTip = new VelTipWidget(QStringLiteral("任务启动失败"), nullptr);
    VelDialogFrame frame(QStringLiteral("警告"), nullptr, pTip, 5);
    showSettled(frame);
    QTest::mouseClick(buttonsOf(frame).pOk, Qt::LeftButton);
    QVERIFY(!frame.isVisible());
    QCOMPARE(frame.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TstVelDialogFrame)
#include "tst_veldialogframe.moc"
