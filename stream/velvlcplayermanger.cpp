#include "velvlcplayermanger.h"

#if defined(VEL_FORM_TESSARO)

#include "crtspplayer.h"

namespace
{

VelVlcPlayerManger* s_pInstance = nullptr;

// Fallback picture size for a codec that reports none at open time.
const int kFallbackRect[4] = {0, 0, 1920, 1080};

} // namespace

VelVlcPlayerManger* VelVlcPlayerManger::Instance()
{
    if (!s_pInstance)
        s_pInstance = new VelVlcPlayerManger;
    return s_pInstance;
}

VelVlcPlayerManger* VelVlcPlayerManger::ExistingInstance()
{
    return s_pInstance;
}

void VelVlcPlayerManger::DeleteInstance()
{
    delete s_pInstance; // the destructor clears the pointer
}

VelVlcPlayerManger::~VelVlcPlayerManger()
{
    // Take the map first: a label's destructor asks the instance for its player.
    const QMap<QWidget*, Entry> players = std::move(m_players);
    m_players.clear();
    if (s_pInstance == this)
        s_pInstance = nullptr;
    // All at once: none waits for another's threads or its camera's goodbye.
    QList<CRTSPPlayer*> released;
    for (const Entry& entry : players) {
        forgetSource(entry);
        released << entry.pPlayer;
    }
    CRTSPPlayer::Release(released);
}

void VelVlcPlayerManger::forgetSource(const Entry& entry)
{
    if (CVideoSink* pSink = velVideoSinkOf(entry.pLabel.data()))
        pSink->setSnapshotSource(QString());
}

void VelVlcPlayerManger::AddPlayer(QWidget* label, QString url, bool withAudio)
{
    if (!label)
        return;
    // A caller that skipped RemovePlayer must not leave a second player
    // running into the same label.
    RemovePlayer(label);
    auto* pPlayer = new CRTSPPlayer(label->winId(), kFallbackRect, withAudio);
    // Before the first picture can arrive: it is saved under this address.
    if (CVideoSink* pSink = velVideoSinkOf(label))
        pSink->setSnapshotSource(url);
    pPlayer->SetUrl(url);
    pPlayer->StartPlay();
    m_players.insert(label, Entry{label, pPlayer});
}

void VelVlcPlayerManger::RemovePlayer(QWidget* label)
{
    auto it = m_players.find(label);
    if (it == m_players.end())
        return;
    const Entry entry = it.value();
    m_players.erase(it);
    forgetSource(entry);
    // A player still opening (a name that never resolves, a camera that does
    // not answer) ends on its own time, not the GUI's.
    CRTSPPlayer::Release(entry.pPlayer);
}

CRTSPPlayer* VelVlcPlayerManger::FindPlayer(QWidget* label) const
{
    auto it = m_players.constFind(label);
    return it == m_players.cend() ? nullptr : it.value().pPlayer;
}

#endif // VEL_FORM_TESSARO
