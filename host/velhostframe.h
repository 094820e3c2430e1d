#ifndef VELHOSTFRAME_H
#define VELHOSTFRAME_H

#include <QSize>
#include <QWidget>

class QVBoxLayout;

// The browser's frame window: the page's controls are embedded in it, stacked
// from top to bottom. It carries the window class "IEFrame" (the dynamic
// property VelFileChooser reads) so that a control's file chooser takes it as
// the owner of its dialogs.
class VelHostFrame : public QWidget
{
    Q_OBJECT
public:
    explicit VelHostFrame(const QSize& size, QWidget* parent = nullptr);

    // Reparents a control created without parent into the frame. An empty size
    // lets the control fill the free space, like an object element at 100%.
    void embed(QWidget* pControl, const QSize& size);

    // The frame as it is drawn now, as PNG; false when the file cannot be written.
    bool grabToFile(const QString& strPath);

private:
    QVBoxLayout* m_pLayout = nullptr;
};

#endif // VELHOSTFRAME_H
