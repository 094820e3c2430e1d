#ifndef VELPLAYERTESTENV_H
#define VELPLAYERTESTENV_H

// What every player test case runs in: the test RTSP server, snapshots in a
// temporary directory of the run's own, drives C and D on fresh temporary
// directories per case, and a clocked audio device whose buffers are logged
// per case.

#include "caudiodevice.h"
#include "velrtspserver.h"
#include "veltestaudiodevice.h"
#include "veltestdrives.h"

#include <QTemporaryDir>

#include <memory>
#include <mutex>

class VelPlayerTestEnv
{
public:
    // From initTestCase. With bReplay the server also offers its replay mounts
    // (encoded once at start, which takes a few seconds): cases that count
    // pictures or wait on a loss use them, so a starved live encoder does not
    // decide the result.
    bool start(QString* pError, bool bReplay = false)
    {
        if (!tempDir.isValid()) {
            *pError = QStringLiteral("no temporary directory");
            return false;
        }
        qputenv("TMPDIR", tempDir.path().toUtf8());
        // Posters go to the private directory under the runtime one.
        qputenv("XDG_RUNTIME_DIR", tempDir.path().toUtf8());
        if (bReplay)
            server.setExtraArguments({QStringLiteral("--replay")});
        if (!server.start(0, bReplay ? 60000 : 10000)) {
            *pError = server.errorString();
            return false;
        }
        installAudioDevice();
        return true;
    }
    // Players opened from now on write into pLog (read when the device opens).
    void installAudioDevice()
    {
        CAudioDevice::setFactory([this] {
            std::lock_guard<std::mutex> lock(m_logLock);
            return std::make_unique<ClockedAudioDevice>(pLog);
        });
    }
    // From init and cleanup.
    void beginCase()
    {
        pDrives = std::make_unique<VelTestDrives>();
        std::lock_guard<std::mutex> lock(m_logLock);
        pLog = std::make_shared<VelAudioLog>();
    }
    void endCase() { pDrives.reset(); }
    // From cleanupTestCase.
    void stop()
    {
        CAudioDevice::setFactory(nullptr);
        server.stop();
    }

    QTemporaryDir tempDir;
    VelRtspServer server{false};
    std::unique_ptr<VelTestDrives> pDrives;
    std::shared_ptr<VelAudioLog> pLog;

private:
    std::mutex m_logLock;
};

#endif // VELPLAYERTESTENV_H
