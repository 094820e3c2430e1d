#include "layout/velscreenlayoutpreviewwidget.h"

#include "corvane.h"
#include "layout/velscreencellwidget.h"
#include "layout/velscreenlayoutscan.h"
#include "layout/velscreensettingwidget.h"
#include "velcommand.h"

#include <QMouseEvent>

VelScreenLayoutPreviewWidget::VelScreenLayoutPreviewWidget(QWidget* parent) : QPushButton(parent)
{
    setMinimumHeight(150);
}

void VelScreenLayoutPreviewWidget::setCells(const QString& strCells)
{
    qDeleteAll(m_cells);
    m_cells.clear();
    m_cellTokens.clear();
    const QList<VelScreenCellEntry> cells = velScreenCellsFromTokens(strCells);
    for (const VelScreenCellEntry& cell : cells) {
        auto* pCell = new VelScreenCellWidget(cell.strName, QStringList(), this);
        connect(pCell, &VelScreenCellWidget::sigNameChanged, this,
                &VelScreenLayoutPreviewWidget::sltChangeCellNames);
        m_cells.append(pCell);
        pCell->setGeometry(cell.geometry);
        pCell->setEditable(!m_bSelectable);
        if (isVisible())
            pCell->show();
        m_cellTokens.insert(cell.strName, cell.strToken);
    }
}

void VelScreenLayoutPreviewWidget::setSelectable(bool bSelectable)
{
    m_bSelectable = bSelectable;
    for (VelScreenCellWidget* pCell : qAsConst(m_cells))
        pCell->setEditable(!bSelectable);
}

void VelScreenLayoutPreviewWidget::mousePressEvent(QMouseEvent* e)
{
    if (m_bSelectable)
        QPushButton::mousePressEvent(e);
    else
        e->ignore();
}

void VelScreenLayoutPreviewWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (m_bSelectable)
        QPushButton::mouseReleaseEvent(e);
    else
        e->ignore();
}

void VelScreenLayoutPreviewWidget::sltChangeCellNames(QString strCell)
{
    auto* pSender = qobject_cast<VelScreenCellWidget*>(sender());
    if (!pSender)
        return;
    const QString strOldName = pSender->name();
    Corvane* pControl = VelScreenSettingWidget::controlOf(this);
    QString strFrom = pControl ? pControl->tokenForName(strOldName) : QString();
    if (strFrom.isEmpty())
        strFrom = m_cellTokens.value(strOldName);
    const QString strTo = pControl ? pControl->tokenForName(strCell) : QString();

    CommandMap change = {{QStringLiteral("layoutId"), m_strLayoutId},
                         {QStringLiteral("from"), strFrom},
                         {QStringLiteral("to"), strTo},
                         {QStringLiteral("operate"), QStringLiteral("select")}};
    // A camera shows once a layout: the cell that had it takes the old one.
    for (QObject* pChild : children()) {
        auto* pCell = qobject_cast<VelScreenCellWidget*>(pChild);
        if (!pCell || pCell == pSender || pCell->objectName() != QLatin1String("cell") ||
            pCell->name() != strCell)
            continue;
        pCell->setName(strOldName);
        pCell->update();
        change[QStringLiteral("operate")] = QStringLiteral("replace");
        break;
    }
    emit sigSendCommand({{QStringLiteral("requestParam"), QStringLiteral("settingMutilScreen")},
                         {QStringLiteral("target"), formatCommand(change)},
                         {QStringLiteral("event"), QString()},
                         {QStringLiteral("token"), QString()}});
}
