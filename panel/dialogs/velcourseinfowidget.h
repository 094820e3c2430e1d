#ifndef VELCOURSEINFOWIDGET_H
#define VELCOURSEINFOWIDGET_H

#include "veldialogcontent.h"

#include <QStringList>
#include <QVector>

class VelLineEdit;

// The course information form: six limited line edits and the record state.
// The record setting strip keeps the state current; the copy embedded in the
// title clip page never hears of it and stays "stop".
class VelCourseInfoWidget : public VelDialogContent
{
public:
    explicit VelCourseInfoWidget(QWidget* parent = nullptr);

    // Sends "courseInfo" with the seven keys of settings().
    int checkAccept() override;

    // The six fields ("title", "course", "grade", "subject", "teacher",
    // "school") and "recordStatus".
    QMap<QString, QString> settings() const;
    // Fills the fields from a message map: its "target" is parsed and missing
    // keys give empty fields. The record state is not taken from it.
    void fillFromMessage(const QMap<QString, QString>& mapMessage);
    // Fills the fields from an already parsed settings object.
    void fillFromSettings(const QMap<QString, QString>& mapSettings);
    void clearFields();

    QString recordStatus() const { return m_strRecordStatus; }
    void setRecordStatus(const QString& strStatus) { m_strRecordStatus = strStatus; }

    // The field for a key, or null.
    VelLineEdit* field(const QString& strKey) const;

private:
    QVector<VelLineEdit*> m_fields;
    QStringList m_keys;
    QString m_strRecordStatus = QStringLiteral("stop");
};

#endif // VELCOURSEINFOWIDGET_H
