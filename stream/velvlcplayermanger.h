#ifndef VELVLCPLAYERMANGER_H
#define VELVLCPLAYERMANGER_H

#if defined(VEL_FORM_TESSARO)

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class CRTSPPlayer;

// The directing panel's registry of stream players, one per label, owning
// them. One instance per process, created on first use; deleting it deletes
// every player, and the next Instance() starts empty. GUI thread only.
// Removing a player never waits for its threads (CRTSPPlayer::Release).
class VelVlcPlayerManger : public QObject
{
    Q_OBJECT
public:
    static VelVlcPlayerManger* Instance();
    // The current instance without creating one, or null.
    static VelVlcPlayerManger* ExistingInstance();
    // Deletes the current instance, if any.
    static void DeleteInstance();

    ~VelVlcPlayerManger() override;

    // Callers remove the label's player first.
    void AddPlayer(QWidget* label, QString url, bool withAudio);
    void RemovePlayer(QWidget* label);
    CRTSPPlayer* FindPlayer(QWidget* label) const;

private:
    struct Entry {
        QPointer<QWidget> pLabel; // a key may outlive its widget
        CRTSPPlayer* pPlayer = nullptr;
    };

    VelVlcPlayerManger() = default;
    static void forgetSource(const Entry& entry);

    QMap<QWidget*, Entry> m_players;
};

#endif // VEL_FORM_TESSARO

#endif // VELVLCPLAYERMANGER_H
