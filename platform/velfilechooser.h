#ifndef VELFILECHOOSER_H
#define VELFILECHOOSER_H

#include <QPair>
#include <QString>
#include <QVector>

#include <functional>

class QWidget;

// The open-file dialog of the media-upload dialogs, owned by the browser's frame
// window. On Windows that frame is the top-level window whose class name begins
// with "IEFrame" and that belongs to the parent of the control's process. Linux
// has neither window classes nor a browser in a parent process; the mapping:
//  - the top-level windows are the process's top-level widgets
//    (QApplication::topLevelWidgets() stands in for EnumWindows);
//  - a widget's class name is its dynamic property "velWindowClass" when set
//    (the host frame sets "IEFrame"), else its meta-object class name;
//  - the frame and the control run in one process (the host), so the
//    parent-process test is always met.
// The first qualifying window is remembered process-wide. Unlike a window
// handle it cannot dangle: when that widget is destroyed it is forgotten and the
// next chooser looks again. GUI thread only.
class VelFileChooser
{
public:
    // Description and pattern pairs, e.g. {"Picture Files(*.png)", "*.png"}.
    using FilterList = QVector<QPair<QString, QString>>;
    // Shows the dialog owned by pOwner with a Qt name filter; returns the chosen
    // path or empty. The default is QFileDialog::getOpenFileName.
    using DialogFunction = std::function<QString(QWidget* pOwner, const QString& strFilter)>;

    static constexpr const char* kWindowClassProperty = "velWindowClass";

    // Looks for the frame window unless one is remembered.
    VelFileChooser();

    // The chosen path; empty without a frame window or when the user cancels.
    QString selectFile(const FilterList& filter) const;

    // The remembered frame window, or null.
    static QWidget* browserWindow();
    // "Picture Files(*.png) (*.png)": each description followed by its pattern
    // in parentheses (Windows' ";" between patterns becomes a blank), pairs
    // joined by ";;"; the first is selected.
    static QString qtFilter(const FilterList& filter);
    // The seam for tests; an empty function restores the system dialog.
    static void setDialogFunction(const DialogFunction& fnDialog);

private:
    static QString windowClassName(const QWidget* pWidget);
};

#endif // VELFILECHOOSER_H
