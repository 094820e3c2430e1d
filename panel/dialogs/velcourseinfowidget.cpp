#include "dialogs/velcourseinfowidget.h"

#include "dialogs/velformstyle.h"
#include "velcommand.h"
#include "vellineedit.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace
{

struct Row {
    const char* szKey;
    const char* szLabel;
    int nLimit;
};

const Row kRows[] = {
    {"title", QT_TRANSLATE_NOOP("VelCourseInfoWidget", "标题"), 22},
    {"course", QT_TRANSLATE_NOOP("VelCourseInfoWidget", "主讲课程"), 10},
    {"grade", QT_TRANSLATE_NOOP("VelCourseInfoWidget", "年级"), 10},
    {"subject", QT_TRANSLATE_NOOP("VelCourseInfoWidget", "科目"), 22},
    {"teacher", QT_TRANSLATE_NOOP("VelCourseInfoWidget", "主讲"), 10},
    {"school", QT_TRANSLATE_NOOP("VelCourseInfoWidget", "学校"), 22},
};

QString courseTr(const char* szText)
{
    return QCoreApplication::translate("VelCourseInfoWidget", szText);
}

} // namespace

VelCourseInfoWidget::VelCourseInfoWidget(QWidget* parent) : VelDialogContent(parent)
{
    setObjectName(QStringLiteral("courseinfo"));
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 10);
    pLayout->setSpacing(0);
    for (const Row& row : kRows) {
        QString strLabel = courseTr(row.szLabel);
        if (qstrcmp(row.szKey, "teacher") == 0)
            strLabel += QStringLiteral("人");
        auto* pEdit = new VelLineEdit(this, row.nLimit);
        // Not named after the key: the frame styles the object name "title".
        m_keys.append(QLatin1String(row.szKey));
        pEdit->setMinimumSize(250, 25);
        m_fields.append(pEdit);

        auto* pRow = new QHBoxLayout;
        pRow->setSpacing(0);
        pRow->addWidget(velFormLabel(strLabel, 66, false, this));
        pRow->addSpacing(10);
        pRow->addWidget(pEdit);
        pRow->addSpacing(20);
        pLayout->addSpacing(20);
        pLayout->addLayout(pRow);
    }
    setStyleSheet(
        QStringLiteral("QLineEdit{border: 1px solid gray;border-radius: 0px;}"
                       "QLineEdit{background: white; selection-background-color: rgb(39, 183, "
                       "121)}"
                       "QLineEdit:focus{border: 2px solid rgb(39, 183, 121)}"));
}

int VelCourseInfoWidget::checkAccept()
{
    QMap<QString, QString> command;
    command[QStringLiteral("requestParam")] = QStringLiteral("courseInfo");
    command[QStringLiteral("event")] = QString();
    command[QStringLiteral("token")] = QString();
    command[QStringLiteral("target")] = formatCommand(settings());
    emit sigSendCommand(command);
    return 1;
}

QMap<QString, QString> VelCourseInfoWidget::settings() const
{
    QMap<QString, QString> map;
    for (int i = 0; i < m_fields.size(); ++i)
        map[m_keys.at(i)] = m_fields.at(i)->text();
    map[QStringLiteral("recordStatus")] = m_strRecordStatus;
    return map;
}

void VelCourseInfoWidget::fillFromMessage(const QMap<QString, QString>& mapMessage)
{
    fillFromSettings(parseCommand(mapMessage.value(QStringLiteral("target"))));
}

void VelCourseInfoWidget::fillFromSettings(const QMap<QString, QString>& mapSettings)
{
    for (int i = 0; i < m_fields.size(); ++i)
        m_fields.at(i)->setText(mapSettings.value(m_keys.at(i)));
}

void VelCourseInfoWidget::clearFields()
{
    for (VelLineEdit* pEdit : m_fields)
        pEdit->clear();
}

VelLineEdit* VelCourseInfoWidget::field(const QString& strKey) const
{
    const int nIndex = m_keys.indexOf(strKey);
    return nIndex < 0 ? nullptr : m_fields.at(nIndex);
}
