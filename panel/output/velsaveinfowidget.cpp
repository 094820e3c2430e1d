#include "output/velsaveinfowidget.h"

#include "velcommand.h"
#include "vellineedit.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

VelSaveInfoWidget::VelSaveInfoWidget(QWidget* parent) : VelDialogContent(parent)
{
    setObjectName(QStringLiteral("saveinfo"));
    const std::pair<QString, const char*> rows[] = {
        {tr("标题"), "title"}, {tr("描述"), "description"},     {tr("主讲"), "speaker"},
        {tr("单位"), "unit"},  {tr("资源平台账户"), "account"},
    };

    auto* pGrid = new QGridLayout;
    pGrid->setContentsMargins(20, 0, 20, 0);
    int nRow = 0;
    for (const auto& row : rows) {
        auto* pLabel = new QLabel(row.first, this);
        pLabel->setFixedWidth(72);
        pLabel->setAlignment(Qt::AlignCenter);
        auto* pEdit = new VelLineEdit(this, 40);
        pEdit->setMinimumSize(250, 25);
        pGrid->addWidget(pLabel, nRow, 0);
        pGrid->addWidget(pEdit, nRow, 1);
        m_rows.append({QLatin1String(row.second), pEdit});
        ++nRow;
    }

    auto* pLayout = new QVBoxLayout;
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addSpacing(15);
    pLayout->addLayout(pGrid);
    pLayout->addSpacing(30);
    setLayout(pLayout);
    setStyleSheet(QStringLiteral("QLineEdit{border: 1px solid gray;border-radius: 0px;}"
                                 "QLineEdit:focus{border: 2px solid rgb(39, 183, 121);}"));
}

VelLineEdit* VelSaveInfoWidget::field(const QString& strKey) const
{
    for (const Row& row : m_rows)
        if (row.strKey == strKey)
            return row.pEdit;
    return nullptr;
}

int VelSaveInfoWidget::checkAccept()
{
    CommandMap target;
    for (const Row& row : m_rows)
        target.insert(row.strKey, row.pEdit->text());
    emit sigSendCommand({{QStringLiteral("requestParam"), QStringLiteral("workingMode")},
                         {QStringLiteral("target"), formatCommand(target)},
                         {QStringLiteral("event"), QStringLiteral("save")},
                         {QStringLiteral("token"), QString()}});
    return 1;
}
