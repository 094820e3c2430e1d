#include "veltipwidget.h"

#include <QHBoxLayout>
#include <QLabel>

VelTipWidget::VelTipWidget(const QString& strText, QWidget* parent) : VelDialogContent(parent)
{
    m_pLabel = new QLabel(strText, this);
    m_pLabel->setWordWrap(false);

    auto* pLayout = new QHBoxLayout;
    pLayout->setContentsMargins(10, 10, 10, 10);
    pLayout->addWidget(m_pLabel, 0, Qt::AlignCenter);
    setLayout(pLayout);
    setFixedWidth(250);
}

QString VelTipWidget::text() const
{
    return m_pLabel->text();
}
