#include "dialogs/veladdpointwidget.h"

#include "dialogs/velformstyle.h"
#include "velcommand.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QTextEdit>
#include <QVBoxLayout>

namespace
{

QString twoDigits(int n)
{
    return n < 10 ? QStringLiteral("0") + QString::number(n) : QString::number(n);
}

} // namespace

VelAddPointWidget::VelAddPointWidget(QWidget* parent) : VelDialogContent(parent)
{
    m_pMessageLabel = new QLabel(tr("您已经在 00 : 00 : 00 成功打点"), this);
    m_pMessageLabel->setIndent(10);
    m_pNoteField = new QTextEdit(this);
    m_pNoteField->setText(QStringLiteral("输入打点信息"));
    // The hint stays until the first click, which this widget sees instead.
    m_pNoteField->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* pRow = new QHBoxLayout;
    pRow->setSpacing(0);
    pRow->addSpacing(10);
    pRow->addWidget(m_pNoteField);
    pRow->addSpacing(10);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pMessageLabel);
    pLayout->addLayout(pRow);

    setStyleSheet(QStringLiteral("QTextEdit{color: grey; border: 1px solid grey}"
                                 "QTextEdit:focus{border: 2px solid rgb(39, 183, 121)}") +
                  velGreenScrollBarStyle());
}

int VelAddPointWidget::checkAccept()
{
    QMap<QString, QString> target;
    target[QStringLiteral("dotName")] = QStringLiteral("aaa");
    target[QStringLiteral("dotTime")] = m_strDotTime;
    target[QStringLiteral("infoType")] = QStringLiteral("fds");
    target[QStringLiteral("infoContent")] = m_pNoteField->toPlainText();
    QMap<QString, QString> command;
    command[QStringLiteral("requestParam")] = QStringLiteral("videoDot");
    command[QStringLiteral("event")] = QString();
    command[QStringLiteral("token")] = QString();
    command[QStringLiteral("target")] = formatCommand(target);
    emit sigSendCommand(command);
    m_pNoteField->clear();
    return 1;
}

QString VelAddPointWidget::formatDotTime(int nSeconds)
{
    const int nHours = nSeconds / 3600;
    const int nMinutes = (nSeconds % 3600) / 60;
    return twoDigits(nHours) + QStringLiteral(" : ") + twoDigits(nMinutes) + QStringLiteral(" : ") +
           twoDigits(nSeconds % 60);
}

void VelAddPointWidget::sltReceiveCommand(QMap<QString, QString> mapMessage)
{
    const QString strTarget = mapMessage.value(QStringLiteral("target"));
    m_pMessageLabel->setText(
        tr("您已经在 %1 成功打点").arg(formatDotTime(qMax(0, strTarget.toInt()))));
    m_strDotTime = strTarget;
}

void VelAddPointWidget::mousePressEvent(QMouseEvent* e)
{
    if (m_pNoteField->testAttribute(Qt::WA_TransparentForMouseEvents) &&
        m_pNoteField->geometry().contains(e->pos())) {
        m_pNoteField->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        m_pNoteField->setFocus(Qt::OtherFocusReason);
        m_pNoteField->clear();
    }
    VelDialogContent::mousePressEvent(e);
}
