#include "veleditwidget.h"

#include <QHBoxLayout>
#include <QLineEdit>

VelEditWidget::VelEditWidget(const QString& strText, QWidget* parent) : VelDialogContent(parent)
{
    m_pLineEdit = new QLineEdit(strText, this);
    m_pLineEdit->setFocusPolicy(Qt::NoFocus);
    // A centred edit keeps its size hint, far too narrow for a live address; it
    // fills the content instead and shows the address from its start.
    m_pLineEdit->setMinimumWidth(300 - 2 * 10);
    m_pLineEdit->setCursorPosition(0);

    auto* pLayout = new QHBoxLayout;
    pLayout->setContentsMargins(10, 10, 10, 10);
    pLayout->addWidget(m_pLineEdit, 0, Qt::AlignCenter);
    setLayout(pLayout);
    setFixedWidth(300);
}
