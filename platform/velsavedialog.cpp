#include "velsavedialog.h"

#include "velfilechooser.h"

#include <QFileDialog>
#include <QPointer>
#include <QWidget>

namespace
{

VelSaveDialog::DialogFunction s_fnDialog;

QString systemDialog(QWidget* pOwner, const VelSaveDialog::Request& request)
{
    // On the heap: the owner may be destroyed while the dialog runs its own
    // event loop, and takes its child dialog with it.
    QPointer<QFileDialog> pDialog = new QFileDialog(pOwner);
    pDialog->setAcceptMode(QFileDialog::AcceptSave);
    pDialog->setFileMode(QFileDialog::AnyFile);
    pDialog->setOption(QFileDialog::HideNameFilterDetails);
    pDialog->setNameFilter(VelFileChooser::qtFilter(request.types));
    pDialog->setDefaultSuffix(request.strDefaultSuffix);
    pDialog->selectFile(request.strDefaultName);
    const bool bAccepted = pDialog->exec() == QDialog::Accepted;
    if (!pDialog)
        return QString();
    const QStringList files = pDialog->selectedFiles();
    delete pDialog;
    return bAccepted && !files.isEmpty() ? files.first() : QString();
}

} // namespace

VelSaveDialog::Request VelSaveDialog::request(const QString& strDefaultName, bool bVideo)
{
    Request result;
    if (bVideo) {
        result.types = {{QStringLiteral("mp4 file\t(*.mp4)"), QStringLiteral("*.mp4")}};
        result.strDefaultSuffix = QStringLiteral("mp4");
    } else {
        result.types = {{QStringLiteral("png file\t(*.png)"), QStringLiteral("*.png")},
                        {QStringLiteral("Jpg file (*.jpg)"), QStringLiteral("*.jpg")},
                        {QStringLiteral("Bmp file (*.bmp)"), QStringLiteral("*.bmp")}};
        result.strDefaultSuffix = QStringLiteral("png");
    }
    result.strDefaultName = strDefaultName;
    return result;
}

QString VelSaveDialog::ShowSaveDialog(QWidget* pOwner, const QString& strDefaultName, bool bVideo)
{
    QWidget* pWindow = pOwner ? pOwner->window() : nullptr;
    const Request what = request(strDefaultName, bVideo);
    if (s_fnDialog)
        return s_fnDialog(pWindow, what);
    // Unattended runs (the demo without a display) name the file up front.
    const QString strAnswer = qEnvironmentVariable(kAnswerVariable);
    return strAnswer.isEmpty() ? systemDialog(pWindow, what) : strAnswer;
}

void VelSaveDialog::setDialogFunction(const DialogFunction& fnDialog)
{
    s_fnDialog = fnDialog;
}
