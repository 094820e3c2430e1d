#include "velfilechooser.h"

#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <QWidget>

namespace
{

QPointer<QWidget> s_pBrowserWindow;
VelFileChooser::DialogFunction s_fnDialog;

QString systemDialog(QWidget* pOwner, const QString& strFilter)
{
    // The list shows the descriptions alone, as the Windows dialog does.
    return QFileDialog::getOpenFileName(pOwner, QString(), QString(), strFilter, nullptr,
                                        QFileDialog::HideNameFilterDetails);
}

} // namespace

VelFileChooser::VelFileChooser()
{
    if (s_pBrowserWindow)
        return;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (windowClassName(pWidget).left(7) == QLatin1String("IEFrame")) {
            s_pBrowserWindow = pWidget;
            break;
        }
    }
}

QString VelFileChooser::selectFile(const FilterList& filter) const
{
    if (!s_pBrowserWindow)
        return QString();
    const QString strFilter = qtFilter(filter);
    return s_fnDialog ? s_fnDialog(s_pBrowserWindow, strFilter)
                      : systemDialog(s_pBrowserWindow, strFilter);
}

QWidget* VelFileChooser::browserWindow()
{
    return s_pBrowserWindow;
}

QString VelFileChooser::qtFilter(const FilterList& filter)
{
    QStringList parts;
    for (const auto& pair : filter)
        parts << QStringLiteral("%1 (%2)").arg(
            pair.first, QString(pair.second).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return parts.join(QLatin1String(";;"));
}

void VelFileChooser::setDialogFunction(const DialogFunction& fnDialog)
{
    s_fnDialog = fnDialog;
}

QString VelFileChooser::windowClassName(const QWidget* pWidget)
{
    const QVariant className = pWidget->property(kWindowClassProperty);
    return className.isValid() ? className.toString()
                               : QString::fromLatin1(pWidget->metaObject()->className());
}
