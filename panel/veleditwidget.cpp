#include "veleditwidget.h"

#include <QHBoxLayout>
#include <QLineEdit>

VelEditWidget::VelEditWidget(const QString& strText, QWidget* parent) : VelDialogContent(parent)
{
    m_pLineEdit = new QLineEdit(strText, this);
    m_pLineEdit->setFocusPolicy(Qt::NoFocus);

    auto* pLayout = new QHBoxLayout;
    pLayout->setContentsMargins(10, 10, 10, 10);
    pLayout->addWidget(m_pLineEdit, 0, Qt::AlignCenter);
    setLayout(pLayout);
    setFixedWidth(300);
}
