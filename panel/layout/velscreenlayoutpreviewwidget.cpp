#include "velscreenlayoutpreviewwidget.h"

#include "corvane.h"
#include "velcommand.h"
#include "velscreencellwidget.h"
#include "velscreensettingwidget.h"

#include <QMouseEvent>

#include <cmath>

namespace
{

// Layout data counts in 64ths of a preview pixel.
int previewPixels(const QString& strValue)
{
    bool bOk = false;
    const double dValue = strValue.toDouble(&bOk);
    return bOk ? int(std::ceil(dValue / 64.0)) : 0;
}

} // namespace

VelScreenLayoutPreviewWidget::VelScreenLayoutPreviewWidget(QWidget* parent) : QPushButton(parent)
{
    setMinimumHeight(150);
}

void VelScreenLayoutPreviewWidget::setCells(const QString& strCells)
{
    const QString strText = strCells.mid(1, strCells.size() - 2);
    qDeleteAll(m_cells);
    m_cells.clear();
    m_cellTokens.clear();

    int nFrom = 0;
    for (;;) {
        const int nOpen = strText.indexOf(QLatin1Char('{'), nFrom);
        if (nOpen < 0)
            break;
        const int nClose = strText.indexOf(QLatin1Char('}'), nOpen + 1);
        if (nClose < 0)
            break;
        const CommandMap cell = parseCommand(strText.mid(nOpen, nClose - nOpen + 1));
        const QString strName = cell.value(QStringLiteral("tokenNames"));
        const QRect geometry(previewPixels(cell.value(QStringLiteral("left"))),
                             previewPixels(cell.value(QStringLiteral("top"))),
                             previewPixels(cell.value(QStringLiteral("width"))),
                             previewPixels(cell.value(QStringLiteral("height"))));
        auto* pCell = new VelScreenCellWidget(strName, QStringList(), this);
        connect(pCell, &VelScreenCellWidget::sigNameChanged, this,
                &VelScreenLayoutPreviewWidget::sltChangeCellNames);
        m_cells.append(pCell);
        pCell->setGeometry(geometry);
        pCell->setEditable(!m_bSelectable);
        if (isVisible())
            pCell->show();
        m_cellTokens.insert(strName, cell.value(QStringLiteral("tokenId")));
        nFrom = nClose;
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
