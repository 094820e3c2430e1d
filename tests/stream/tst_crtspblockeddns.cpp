// A name server that never answers: switching a view away from a name that
// does not resolve, or replacing the panel, does not hold the GUI, and the
// open ends at its own limit. The test runs in private mount and network
// namespaces (root, as CI is): a resolv.conf of its own names a resolver on
// the private loopback that reads every query and answers none.
#include "crtspplayer.h"
#include "velplayertestkit.h"
#include "velrtspserver.h"
#include "veltestdrives.h"
#include "velvideolabel.h"
#include "velvlcplayermanger.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

const char kUnresolved[] = "rtsp://nonexistent.invalid/x";
constexpr int kOpenLimitMs = 1000;
// glibc gives a silent server 5 s a try, two tries: a resolution the player
// did not bound would take that long.
constexpr int kResolverGivesUpMs = 10000;

QString s_strNoSandbox; // why the private resolver could not be set up

QString errnoText(const char* szWhat)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(szWhat),
                                        QString::fromLocal8Bit(strerror(errno)));
}

// Before any thread exists: new namespaces for this process, loopback up, a
// UDP socket on 127.0.0.1:53 that is never read, and /etc/resolv.conf naming it.
QString enterSilentResolver()
{
    if (unshare(CLONE_NEWNS | CLONE_NEWNET) != 0)
        return errnoText("unshare");
    // Nothing mounted here reaches the machine's own namespace.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return errnoText("private mounts");
    const int nControl = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request = {};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    const bool bUp = nControl >= 0 && ioctl(nControl, SIOCGIFFLAGS, &request) == 0 &&
                     (request.ifr_flags |= IFF_UP, ioctl(nControl, SIOCSIFFLAGS, &request) == 0);
    if (nControl >= 0)
        close(nControl);
    if (!bUp)
        return errnoText("loopback up");

    const int nResolver = socket(AF_INET, SOCK_DGRAM, 0); // kept open, never read
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (nResolver < 0 ||
        bind(nResolver, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
        return errnoText("resolver socket");

    char szConf[] = "/tmp/vel-resolv-XXXXXX";
    const int nConf = mkstemp(szConf);
    if (nConf < 0)
        return errnoText("resolv.conf");
    const char kText[] = "nameserver 127.0.0.1\n";
    const bool bWritten = write(nConf, kText, sizeof(kText) - 1) == ssize_t(sizeof(kText) - 1);
    close(nConf);
    const bool bMounted =
        bWritten && mount(szConf, "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0;
    const QString strError = bMounted ? QString() : errnoText("resolv.conf bind");
    unlink(szConf); // the mount keeps the file
    return strError;
}

} // namespace

class TstCRTSPBlockedDns : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openEndsAtItsLimit();
    void switchAwayDoesNotWait();
    void panelReplacementDoesNotWait();
    void deletedPlayerDoesNotWaitLong();

private:
    QTemporaryDir m_tempDir;
    std::unique_ptr<VelTestDrives> m_pDrives;
    VelRtspServer m_server{false};
};

void TstCRTSPBlockedDns::initTestCase()
{
    if (!s_strNoSandbox.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no private resolver (needs root): ") + s_strNoSandbox));
    QVERIFY(m_tempDir.isValid());
    qputenv("TMPDIR", m_tempDir.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", m_tempDir.path().toUtf8());
    QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
}

void TstCRTSPBlockedDns::init()
{
    m_pDrives = std::make_unique<VelTestDrives>();
    QVERIFY(velWriteText(m_pDrives->c("timeout_open_input.txt"), QByteArray::number(kOpenLimitMs)));
}

void TstCRTSPBlockedDns::cleanup()
{
    VelVlcPlayerManger::DeleteInstance();
    QVERIFY(CRTSPPlayer::WaitForReleased(5000));
    m_pDrives.reset();
}

// The open gives up at its limit, resolution included, not when glibc does.
void TstCRTSPBlockedDns::openEndsAtItsLimit()
{
    VelVideoLabel label;
    VelStateRecorder recorder(&label);
    QElapsedTimer clock;
    clock.start();
    VelVlcPlayerManger::Instance()->AddPlayer(&label, kUnresolved, false);
    QVERIFY(velWaitFor(
        [&] {
            return recorder.sawInOrder({VideoConnecting, VideoNoSignal});
        },
        kResolverGivesUpMs));
    const qint64 nOpenMs = clock.elapsed();
    QVERIFY2(nOpenMs < kOpenLimitMs + 1500, qPrintable(QString::number(nOpenMs)));
    QVERIFY(VelVlcPlayerManger::Instance()->FindPlayer(&label)->GetInitResult() != 0);
}

// The view's player is still resolving when the page assigns a live camera.
void TstCRTSPBlockedDns::switchAwayDoesNotWait()
{
    auto pLabel = std::make_unique<VelVideoLabel>();
    pLabel->resize(320, 180);
    VelVlcPlayerManger* pManager = VelVlcPlayerManger::Instance();
    pManager->AddPlayer(pLabel.get(), kUnresolved, false);
    QVERIFY(velWaitFor([&] { return pLabel->state() == VideoConnecting; }, 2000));
    QTest::qWait(200); // well inside the resolution

    QElapsedTimer clock;
    clock.start();
    pManager->RemovePlayer(pLabel.get());
    pManager->AddPlayer(pLabel.get(), m_server.url("cam720-noaudio"), false);
    const qint64 nSwitchMs = clock.elapsed();
    qInfo("switched in %lld ms", nSwitchMs);
    QVERIFY2(nSwitchMs < 100, qPrintable(QString::number(nSwitchMs)));
    QVERIFY(velWaitFor([&] { return pLabel->state() == VideoPlaying; }, 15000));

    // The label goes while the first player's open may still run.
    VelVlcPlayerManger::Instance()->AddPlayer(pLabel.get(), kUnresolved, false);
    QTest::qWait(100);
    pLabel.reset();
}

void TstCRTSPBlockedDns::panelReplacementDoesNotWait()
{
    std::vector<std::unique_ptr<VelVideoLabel>> labels;
    for (int i = 0; i < 4; ++i) {
        labels.push_back(std::make_unique<VelVideoLabel>());
        VelVlcPlayerManger::Instance()->AddPlayer(labels.back().get(), kUnresolved, false);
    }
    QTest::qWait(200);
    QElapsedTimer clock;
    clock.start();
    VelVlcPlayerManger::DeleteInstance();
    labels.clear();
    const qint64 nStopMs = clock.elapsed();
    QVERIFY2(nStopMs < 100, qPrintable(QString::number(nStopMs)));
}

// An owner that deletes its player (and so waits for its threads) waits for
// a stop, not for the name server.
void TstCRTSPBlockedDns::deletedPlayerDoesNotWaitLong()
{
    VelVideoLabel label;
    const int kRect[4] = {0, 0, 1920, 1080};
    auto* pPlayer = new CRTSPPlayer(label.winId(), kRect, false);
    pPlayer->SetUrl(kUnresolved);
    pPlayer->StartPlay();
    QVERIFY(velWaitFor([&] { return label.state() == VideoConnecting; }, 2000));
    QTest::qWait(200);
    QElapsedTimer clock;
    clock.start();
    delete pPlayer;
    const qint64 nDeleteMs = clock.elapsed();
    QVERIFY2(nDeleteMs < 500, qPrintable(QString::number(nDeleteMs)));
}

int main(int argc, char** argv)
{
    s_strNoSandbox = enterSilentResolver();
    QApplication app(argc, argv);
    TstCRTSPBlockedDns test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crtspblockeddns.moc"
