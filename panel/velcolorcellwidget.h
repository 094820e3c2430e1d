#ifndef VELCOLORCELLWIDGET_H
#define VELCOLORCELLWIDGET_H

#include <QListWidget>

class VelColorDisplayButton;

// Palette of thirty colours shown by the colour button's pop-up. Each item
// carries its colour as "r,g,b" text in Qt::AccessibleDescriptionRole.
class VelColorCellWidget : public QListWidget
{
public:
    explicit VelColorCellWidget(VelColorDisplayButton* owner);
};

#endif // VELCOLORCELLWIDGET_H
