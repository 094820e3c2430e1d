#include "veldialogframe.h"

#include "veldebug.h"
#include "veldialogcontent.h"
#include "velpushbutton.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace
{

const int kOpenAnimationMs = 300;
const int kSlideDistance = 50;

} // namespace

VelDialogFrame::VelDialogFrame(const QString& strTitle, QWidget* parent, VelDialogContent* pContent,
                               int nButtons)
    : QDialog(parent), m_pContent(pContent)
{
    setObjectName(QStringLiteral("dialog"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);

    m_pTitleLabel = new QLabel(strTitle, this);
    m_pTitleLabel->setMinimumHeight(35);
    m_pTitleLabel->setIndent(10);
    m_pTitleLabel->setObjectName(QStringLiteral("title"));

    const QIcon exitIcon(QStringLiteral(":/resource/CV_DIALO_EXIT_SLIENT.png"));
    m_pExitButton = new VelPushButton(this, exitIcon, exitIcon,
                                      QIcon(QStringLiteral(":/resource/CV_DIALO_EXIT_HOVER.png")));
    m_pExitButton->setFixedSize(36, 36);
    m_pExitButton->setIconSize(QSize(36, 36));
    m_pExitButton->setVisible(nButtons & ExitButton);

    m_pOkButton = new QPushButton(tr("确定"), this);
    m_pOkButton->setFixedSize(78, 28);
    m_pCancelButton = new QPushButton(tr("取消"), this);
    m_pCancelButton->setFixedSize(78, 28);

    m_pTitleLayout = new QHBoxLayout;
    m_pTitleLayout->setSpacing(0);
    m_pTitleLayout->addWidget(m_pTitleLabel);
    m_pTitleLayout->addWidget(m_pExitButton);

    m_pButtonLayout = new QHBoxLayout;
    // The gaps below are the only ones: cancel and OK sit exactly 8 px apart.
    m_pButtonLayout->setSpacing(0);
    if ((nButtons & CancelButton) && (nButtons & OkButton)) {
        // The pair sits at the right edge.
        m_pButtonLayout->addStretch();
        m_pButtonLayout->addWidget(m_pCancelButton);
        m_pButtonLayout->addSpacing(8);
        m_pButtonLayout->addWidget(m_pOkButton);
        m_pButtonLayout->addSpacing(20);
    } else {
        // At most one of the two shows and the row is centred; a gap beside a
        // hidden button would push the other one off the centre.
        m_pButtonLayout->addWidget(m_pCancelButton);
        m_pButtonLayout->addWidget(m_pOkButton);
        m_pCancelButton->setVisible(nButtons & CancelButton);
        m_pOkButton->setVisible(nButtons & OkButton);
    }

    m_pMainLayout = new QVBoxLayout;
    m_pMainLayout->setContentsMargins(0, 0, 0, 10);
    m_pMainLayout->addLayout(m_pTitleLayout);
    m_pMainLayout->setAlignment(m_pTitleLayout, Qt::AlignTop);
    if (m_pContent)
        m_pMainLayout->addWidget(m_pContent, 0, Qt::AlignTop);
    m_pMainLayout->addSpacing(10);
    m_pMainLayout->addLayout(m_pButtonLayout);
    m_pMainLayout->setAlignment(m_pButtonLayout, Qt::AlignTop | Qt::AlignHCenter);
    m_pMainLayout->addSpacing(10);
    setLayout(m_pMainLayout);

    setStyleSheet(QStringLiteral("#dialog{background: white; border : 1px solid #212121; "
                                 "border-radius: 0px}"
                                 "#title{background: rgb(33, 33, 33); color: white}"));
    const QString strOkStyle = QStringLiteral("background: rgb(40, 183, 121); border-radius: 4px; "
                                              "border: 1px solid rgb(40, 183, 121); color: white");
    m_pOkButton->setStyleSheet(
        QStringLiteral("QPushButton{%1}QPushButton:pressed{%1}").arg(strOkStyle));
    m_pCancelButton->setStyleSheet(QStringLiteral("QPushButton{background: white; border-radius: "
                                                  "4px; border: 1px solid gray; color: black}"));
    m_pExitButton->setStyleSheet(QStringLiteral(
        "QPushButton{border: 0px; border-radius: 0px; background: rgb(33, 33, 33)}"));

    m_pGeometryAnimation = new QPropertyAnimation(this, "geometry", this);
    m_pGeometryAnimation->setDuration(kOpenAnimationMs);
    m_pGeometryAnimation->setEasingCurve(QEasingCurve::OutExpo);

    connect(m_pExitButton, &QPushButton::clicked, this, &VelDialogFrame::reject);
    connect(m_pCancelButton, &QPushButton::clicked, this, &VelDialogFrame::reject);
    connect(m_pOkButton, &QPushButton::clicked, this, &VelDialogFrame::accept);
}

int VelDialogFrame::exec()
{
    return QDialog::exec();
}

void VelDialogFrame::accept()
{
    if (!m_pContent)
        return;
    if (m_pContent->checkAccept() == 1)
        QDialog::accept();
}

void VelDialogFrame::reject()
{
    if (m_pContent && m_pContent->checkReject() == 1)
        QDialog::reject();
}

bool VelDialogFrame::event(QEvent* e)
{
    // QDialog would reject on Escape; only the buttons may end a dialog.
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        e->accept();
        return true;
    }
    return QDialog::event(e);
}

void VelDialogFrame::mousePressEvent(QMouseEvent* e)
{
    m_posPress = e->pos();
    velDebugOutput("VelDialogFrame::mousePressEvent # m_posPress = event->pos()\n");
    QDialog::mousePressEvent(e);
}

void VelDialogFrame::mouseMoveEvent(QMouseEvent* e)
{
    if (m_pTitleLabel->geometry().contains(e->pos()))
        move(QCursor::pos() - m_posPress);
    QDialog::mouseMoveEvent(e);
}

void VelDialogFrame::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    // Over the window of the widget that opened it (the control in the page);
    // on the desktop when that window is not on screen.
    const QWidget* pOwner = parentWidget() ? parentWidget()->window() : nullptr;
    QRect area = QApplication::desktop()->geometry();
    if (pOwner && pOwner->isVisible())
        area = pOwner->frameGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void VelDialogFrame::showEvent(QShowEvent* e)
{
    const QRect target = geometry();
    m_pGeometryAnimation->stop();
    m_pGeometryAnimation->setStartValue(target.translated(-kSlideDistance, 0));
    m_pGeometryAnimation->setEndValue(target);
    m_pGeometryAnimation->start();
    QDialog::showEvent(e);
}
