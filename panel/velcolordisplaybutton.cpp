#include "velcolordisplaybutton.h"

#include "velcolorcellwidget.h"
#include "velpopcontainer.h"

#include <QCursor>
#include <QListWidgetItem>
#include <QPainter>
#include <QPolygon>

VelColorDisplayButton::VelColorDisplayButton(QWidget* parent) : QPushButton(parent)
{
    m_pCellWidget = new VelColorCellWidget(this);
    // No parent: the pop-up is a window of its own, deleted with the button.
    m_pPopContainer = new VelPopContainer(nullptr, m_pCellWidget, QString());

    connect(this, &QPushButton::clicked, this, &VelColorDisplayButton::sltButtonClicked);
    connect(m_pCellWidget, &QListWidget::itemClicked, this,
            &VelColorDisplayButton::sltColorSelected);
}

VelColorDisplayButton::~VelColorDisplayButton()
{
    delete m_pPopContainer;
}

void VelColorDisplayButton::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void VelColorDisplayButton::paintEvent(QPaintEvent* e)
{
    QPushButton::paintEvent(e);
    QPainter painter(this);
    painter.setBrush(QBrush(m_color, Qt::SolidPattern));
    const QPolygon corner({QPoint(0, 0), QPoint(width() / 2, 0), QPoint(0, height() / 2)});
    painter.drawPolygon(corner);
}

void VelColorDisplayButton::sltButtonClicked()
{
    m_pCellWidget->setCurrentItem(nullptr);
    m_pCellWidget->clearSelection();
    const QPoint cursor = QCursor::pos();
    m_pPopContainer->popupAt(cursor.x(), cursor.y(), 32, 32);
    m_pPopContainer->raise();
}

void VelColorDisplayButton::sltColorSelected(QListWidgetItem* item)
{
    const QString strRgb = item->data(Qt::AccessibleDescriptionRole).toString();
    const QColor color(strRgb.section(',', 0, 0).toInt(), strRgb.section(',', 1, 1).toInt(),
                       strRgb.section(',', 2, 2).toInt(), 255);
    m_color = color;
    m_pPopContainer->close();
    emit sigColorChanged(color);
    update();
}
