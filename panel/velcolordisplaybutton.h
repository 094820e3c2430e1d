#ifndef VELCOLORDISPLAYBUTTON_H
#define VELCOLORDISPLAYBUTTON_H

#include <QColor>
#include <QPushButton>

class QListWidgetItem;
class VelColorCellWidget;
class VelPopContainer;

// Colour chooser: a push button with a corner triangle in the current colour
// that opens a palette pop-up at the cursor. The button owns the pop-up.
class VelColorDisplayButton : public QPushButton
{
    Q_OBJECT

public:
    explicit VelColorDisplayButton(QWidget* parent);
    ~VelColorDisplayButton() override;

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    VelPopContainer* paletteContainer() const { return m_pPopContainer; }
    VelColorCellWidget* palette() const { return m_pCellWidget; }

signals:
    void sigColorChanged(QColor color);

protected:
    void paintEvent(QPaintEvent* e) override;

private slots:
    void sltButtonClicked();
    void sltColorSelected(QListWidgetItem* item);

private:
    VelPopContainer* m_pPopContainer = nullptr;
    VelColorCellWidget* m_pCellWidget = nullptr;
    QColor m_color = QColor(0, 0, 0, 255);
};

#endif // VELCOLORDISPLAYBUTTON_H
