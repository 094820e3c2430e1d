#include "output/velsaveprogresswidget.h"

#include <QDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

VelSaveProgressWidget::VelSaveProgressWidget(QWidget* parent) : VelDialogContent(parent)
{
    m_pProgressBar = new QProgressBar(this);
    m_pProgressBar->setFixedSize(300, 40);
    m_pProgressBar->setRange(0, 100);
    m_pProgressBar->setValue(0);
    m_pProgressBar->setStyleSheet(
        QStringLiteral("QProgressBar{border: 2px solid grey;border-radius: 0px; text-align: "
                       "center; color: red; font-size: 20px}"
                       "QProgressBar::chunk{background: qlineargradient(x1: 0, y1: 0, x2: 1, "
                       "y2: 0, stop: 0 #AAAAAA, stop: 1 #888888)}"));

    m_pCancelButton = new QPushButton(tr("取消"), this);
    m_pCancelButton->setFixedSize(80, 30);
    m_pCancelButton->setStyleSheet(
        QStringLiteral("QPushButton {border: 1px solid #DBDBDB;border-radius: 4px;"
                       "background-color: white;}"
                       "QPushButton:pressed, QPushButton:checked{background-color: "
                       "rgb(230, 50, 39);}"
                       "QPushButton:hover{color: rgb(230, 50, 39);}"));

    auto* pLayout = new QVBoxLayout;
    pLayout->addWidget(m_pProgressBar, 0, Qt::AlignHCenter);
    pLayout->addSpacing(20);
    pLayout->addWidget(m_pCancelButton, 0, Qt::AlignHCenter);
    setLayout(pLayout);

    connect(m_pProgressBar, &QProgressBar::valueChanged, this,
            &VelSaveProgressWidget::sltValueChanged);
    connect(m_pCancelButton, &QPushButton::clicked, this, &VelSaveProgressWidget::sigCancleClicked);
}

int VelSaveProgressWidget::value() const
{
    return m_pProgressBar->value();
}

void VelSaveProgressWidget::sltSetValue(int nValue)
{
    m_pProgressBar->setValue(nValue);
}

void VelSaveProgressWidget::sltValueChanged(int nValue)
{
    if (nValue != m_pProgressBar->maximum() || nValue == 0)
        return;
    // The frame asks checkAccept, which always agrees.
    if (auto* pFrame = qobject_cast<QDialog*>(parentWidget()))
        pFrame->accept();
}
