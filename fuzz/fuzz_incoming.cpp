// Messages from a page into a live Corvane (offscreen): the whole incoming
// path, overlays, array rewriting, parsing and routing, must neither crash
// nor hang nor corrupt the control.
#include "corvane.h"
#include "overview/veloverviewlistwidget.h"
#include "velcommand.h"
#include "veldiaglog.h"
#include "velmodalcloser.h"
#include "velvideolabel.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace
{

QApplication* s_pApp = nullptr;
Corvane* s_pControl = nullptr;
QTemporaryDir* s_pDrives = nullptr;
int s_nInput = 0;

// Painting the whole shown control after every input costs more than the
// incoming path itself: it paints every few inputs what the messages left.
constexpr int kInputsPerPaint = 32;

// A message that may play a stream: the fuzzer must not open whatever address
// or file it makes up, so such inputs are left out of the corpus. (The
// parameters land as source = "name", view = "tokenId".)
bool opensStream(const QString& strMessage)
{
    const CommandMap map = parseCommand(rewriteArrayTargets(strMessage));
    if (map.value(QStringLiteral("requestParam")) != QLatin1String("setOverviewSource"))
        return false;
    const CommandMap target = parseCommand(map.value(QStringLiteral("target")));
    return !target.value(QStringLiteral("name")).isEmpty() ||
           target.value(QStringLiteral("tokenId")) == QStringLiteral("电影模式");
}

// Each "setOverviewWidget" adds a thumbnail and resizes all the others: kept
// across inputs the list grows without end and every later input pays for it.
// Past a few more than a page has (enough for the many-thumbnails sizing) the
// control is built anew. Building one costs more than a few dozen thumbnails,
// so the bound is not lower.
constexpr int kMaxThumbnails = 32;

void newControl()
{
    delete s_pControl;
    s_pControl = new Corvane;
    s_pControl->resize(1280, 960);
    s_pControl->show();
    s_pControl->setUpdatesEnabled(false);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Drives of its own: no marker on C (no message boxes), logs kept apart.
    s_pDrives = new QTemporaryDir;
    qputenv("VEL_DRIVE_C", (s_pDrives->path() + "/c").toLocal8Bit());
    qputenv("VEL_DRIVE_D", (s_pDrives->path() + "/d").toLocal8Bit());
    s_pApp = new QApplication(*pArgc, *pArgv);
    // "error" answers and live-room lists open modal dialogs: close each at once.
    new VelModalCloser;
    newControl();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const QString strMessage = QString::fromUtf8(reinterpret_cast<const char*>(pData), int(nSize));
    if (opensStream(strMessage))
        return -1;
    s_pControl->sltReceiveCommand(strMessage);
    // Whatever the page sent, the control is still one and still usable.
    if (Corvane::currentInstance() != s_pControl || debugMode)
        __builtin_trap();
    QCoreApplication::processEvents();
    if (++s_nInput % kInputsPerPaint == 0) {
        s_pControl->setUpdatesEnabled(true);
        s_pControl->repaint();
        s_pControl->setUpdatesEnabled(false);
    }
    if (s_pControl->overviewListWidget()->overviewWidgets().size() > kMaxThumbnails)
        newControl();
    return 0;
}
