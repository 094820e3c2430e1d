#include "velhostframe.h"

#include "velfilechooser.h"

#include <QPixmap>
#include <QVBoxLayout>
#include <QVariant>

VelHostFrame::VelHostFrame(const QSize& size, QWidget* parent) : QWidget(parent)
{
    setProperty(VelFileChooser::kWindowClassProperty, QStringLiteral("IEFrame"));
    setObjectName(QStringLiteral("VelHostFrame"));
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pLayout->setSpacing(0);
    resize(size);
}

void VelHostFrame::embed(QWidget* pControl, const QSize& size)
{
    pControl->setParent(this);
    if (size.isEmpty()) {
        m_pLayout->addWidget(pControl, 1);
    } else {
        pControl->setFixedSize(size);
        m_pLayout->addWidget(pControl, 0, Qt::AlignLeft | Qt::AlignTop);
    }
    pControl->show();
}

bool VelHostFrame::grabToFile(const QString& strPath)
{
    return grab().save(strPath, "PNG");
}
