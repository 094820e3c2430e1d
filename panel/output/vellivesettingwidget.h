#ifndef VELLIVESETTINGWIDGET_H
#define VELLIVESETTINGWIDGET_H

#include "veldialogcontent.h"

#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;

// The live room chooser: the rooms' names in display order, or a note that
// none exists yet. In check-box mode it is the confirmation that ends a live
// cast instead (the check box asks whether to close the room as well).
class VelLiveSettingWidget : public VelDialogContent
{
    Q_OBJECT

public:
    VelLiveSettingWidget(const QStringList& lstRooms, QWidget* parent = nullptr);

    // Takes the room shown in the box; the dialog may close.
    int checkAccept() override;
    int checkReject() override { return 1; }

    // The room confirmed, empty until a confirmation.
    QString selectedRoom() const { return m_strSelectedRoom; }
    void setCheckBoxText(const QString& strText);
    void setCheckBoxMode(bool bCheckBox);
    bool isCheckBoxChecked() const;

    QString message() const;

private:
    QLabel* m_pMessageLabel = nullptr;
    QComboBox* m_pRoomBox = nullptr;
    QCheckBox* m_pCheckBox = nullptr;
    QString m_strSelectedRoom;
};

#endif // VELLIVESETTINGWIDGET_H
