#ifndef VELSAVEDIALOG_H
#define VELSAVEDIALOG_H

#include <QPair>
#include <QString>
#include <QVector>

#include <functional>

class QWidget;

// The save dialog of the tour player's snapshots and recordings: Qt's save
// dialog in place of the shell's, with the file types, the proposed name and
// the default extension of the two kinds, owned by the control's window so
// that it stays in front of the page. GUI thread only.
class VelSaveDialog
{
public:
    // What one dialog asks for: description and pattern pairs (the first one
    // selected), the extension added to a bare name, the proposed name.
    struct Request {
        QVector<QPair<QString, QString>> types;
        QString strDefaultSuffix;
        QString strDefaultName;
    };
    // Shows the dialog and returns the chosen path or empty. The default is
    // a modal QFileDialog.
    using DialogFunction = std::function<QString(QWidget* pOwner, const Request& request)>;

    // When set, every dialog is answered with this path without being shown.
    static constexpr const char* kAnswerVariable = "VEL_SAVE_DIALOG_ANSWER";

    // The chosen path; empty on cancel or any failure. bVideo asks for an MP4
    // file, otherwise for a picture (PNG, JPG or BMP).
    static QString ShowSaveDialog(QWidget* pOwner, const QString& strDefaultName, bool bVideo);
    static Request request(const QString& strDefaultName, bool bVideo);

    // The seam for tests; an empty function restores the real dialog.
    static void setDialogFunction(const DialogFunction& fnDialog);
};

#endif // VELSAVEDIALOG_H
