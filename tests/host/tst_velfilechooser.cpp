// The native file chooser: finding the host frame and the dialog it owns. The
// dialog itself is replaced through the seam; nothing here clicks.
#include "velfilechooser.h"
#include "velhostframe.h"

#include <QPointer>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace
{

struct DialogCall {
    int nCalls = 0;
    QWidget* pOwner = nullptr;
    QString strFilter;
};

} // namespace

class TstVelFileChooser : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void withoutFrameNoDialog();
    void frameByClassName_data();
    void frameByClassName();
    void hostFrameOwnsTheDialog();
    void cancelGivesEmpty();
    void filterPairs_data();
    void filterPairs();
    void frameIsLookedForAtConstruction();
    void destroyedFrameIsForgotten();

private:
    DialogCall m_call;
    QString m_strAnswer;
};

void TstVelFileChooser::init()
{
    m_call = DialogCall();
    m_strAnswer = QStringLiteral("/tmp/title.png");
    VelFileChooser::setDialogFunction([this](QWidget* pOwner, const QString& strFilter) {
        ++m_call.nCalls;
        m_call.pOwner = pOwner;
        m_call.strFilter = strFilter;
        return m_strAnswer;
    });
    // Each case starts without a remembered frame: none of the windows of the
    // previous case is alive.
    QVERIFY(!VelFileChooser::browserWindow());
}

void TstVelFileChooser::cleanup()
{
    VelFileChooser::setDialogFunction({});
}

void TstVelFileChooser::withoutFrameNoDialog()
{
    QWidget other; // a top-level window of another class
    VelFileChooser chooser;
    QVERIFY(!VelFileChooser::browserWindow());
    QCOMPARE(chooser.selectFile({{"Picture Files(*.png)", "*.png"}}), QString());
    QCOMPARE(m_call.nCalls, 0);
}

void TstVelFileChooser::frameByClassName_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<bool>("found");
    QTest::newRow("IEFrame") << "IEFrame" << true;
    QTest::newRow("longer name with that beginning") << "IEFrameHost" << true;
    QTest::newRow("six characters") << "IEFram" << false;
    QTest::newRow("other case") << "ieframe" << false;
    QTest::newRow("not at the beginning") << "XIEFrame" << false;
    QTest::newRow("empty") << "" << false;
}

void TstVelFileChooser::frameByClassName()
{
    QFETCH(QString, className);
    QFETCH(bool, found);
    QWidget plain;
    QWidget window;
    window.setProperty(VelFileChooser::kWindowClassProperty, className);
    QWidget child(&window); // not a top-level window, never a candidate
    child.setProperty(VelFileChooser::kWindowClassProperty, QStringLiteral("IEFrame"));

    VelFileChooser chooser;
    QCOMPARE(VelFileChooser::browserWindow(), found ? &window : nullptr);
    QCOMPARE(chooser.selectFile({{"Picture Files(*.png)", "*.png"}}).isEmpty(), !found);
    QCOMPARE(m_call.nCalls, found ? 1 : 0);
}

void TstVelFileChooser::hostFrameOwnsTheDialog()
{
    VelHostFrame frame(QSize(640, 480));
    VelFileChooser chooser;
    QCOMPARE(VelFileChooser::browserWindow(), &frame);
    QCOMPARE(chooser.selectFile({{"Music Files(*.mp3)", "*.mp3"}}), QString("/tmp/title.png"));
    QCOMPARE(m_call.nCalls, 1);
    QCOMPARE(m_call.pOwner, &frame);
    QCOMPARE(m_call.strFilter, QString("Music Files(*.mp3) (*.mp3)"));
}

void TstVelFileChooser::cancelGivesEmpty()
{
    VelHostFrame frame(QSize(640, 480));
    m_strAnswer.clear();
    VelFileChooser chooser;
    QCOMPARE(chooser.selectFile({{"Picture Files(*.png)", "*.png"}}), QString());
    QCOMPARE(m_call.nCalls, 1);
}

void TstVelFileChooser::filterPairs_data()
{
    QTest::addColumn<VelFileChooser::FilterList>("filter");
    QTest::addColumn<QString>("qtFilter");
    QTest::newRow("picture") << VelFileChooser::FilterList{{"Picture Files(*.png)", "*.png"}}
                             << "Picture Files(*.png) (*.png)";
    QTest::newRow("two pairs, first selected")
        << VelFileChooser::FilterList{{"Music Files(*.mp3)", "*.mp3"}, {"All Files", "*.*"}}
        << "Music Files(*.mp3) (*.mp3);;All Files (*.*)";
    QTest::newRow("several patterns")
        << VelFileChooser::FilterList{{"Images", "*.png;*.jpg"}} << "Images (*.png *.jpg)";
    QTest::newRow("none") << VelFileChooser::FilterList{} << "";
}

void TstVelFileChooser::filterPairs()
{
    QFETCH(VelFileChooser::FilterList, filter);
    QFETCH(QString, qtFilter);
    QCOMPARE(VelFileChooser::qtFilter(filter), qtFilter);
    VelHostFrame frame(QSize(640, 480));
    VelFileChooser().selectFile(filter);
    QCOMPARE(m_call.strFilter, qtFilter);
}

void TstVelFileChooser::frameIsLookedForAtConstruction()
{
    VelFileChooser early;
    VelHostFrame frame(QSize(640, 480));
    // The early chooser looked when there was no frame; the remembered window
    // is process-wide, so a later chooser's finding serves it too.
    QCOMPARE(early.selectFile({{"Picture Files(*.png)", "*.png"}}), QString());
    VelFileChooser later;
    QCOMPARE(VelFileChooser::browserWindow(), &frame);
    QVERIFY(!early.selectFile({{"Picture Files(*.png)", "*.png"}}).isEmpty());
    QCOMPARE(m_call.nCalls, 1);
}

void TstVelFileChooser::destroyedFrameIsForgotten()
{
    // A remembered window handle would dangle here; the chooser must not hand
    // a deleted widget to the dialog.
    auto pFrame = std::make_unique<VelHostFrame>(QSize(640, 480));
    VelFileChooser chooser;
    QCOMPARE(VelFileChooser::browserWindow(), pFrame.get());
    pFrame.reset();
    QVERIFY(!VelFileChooser::browserWindow());
    QCOMPARE(chooser.selectFile({{"Picture Files(*.png)", "*.png"}}), QString());
    QCOMPARE(m_call.nCalls, 0);

    VelHostFrame next(QSize(320, 240));
    VelFileChooser again;
    QCOMPARE(VelFileChooser::browserWindow(), &next);
}

QTEST_MAIN(TstVelFileChooser)
#include "tst_velfilechooser.moc"
