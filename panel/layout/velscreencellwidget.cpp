#include "layout/velscreencellwidget.h"

#include "corvane.h"
#include "layout/velscreensettingwidget.h"
#include "overview/veloverviewlistwidget.h"
#include "velpopcontainer.h"

#include <QCursor>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

VelScreenCellWidget::VelScreenCellWidget(const QString& name, const QStringList& names,
                                         QWidget* parent)
    : QLabel(parent), m_strName(name)
{
    setObjectName(QStringLiteral("cell"));
    setStyleSheet(QStringLiteral("border: 1px solid gray"));
    buildChooser(names);

    Corvane* pControl = VelScreenSettingWidget::controlOf(parent);
    auto* pList =
        pControl ? pControl->findChild<VelOverviewListWidget*>(QStringLiteral("overviewListWidget"))
                 : nullptr;
    if (pList)
        connect(pList, &VelOverviewListWidget::sigCurrentOutputChanged, this,
                &VelScreenCellWidget::sltSetSingleScreenName);
}

VelScreenCellWidget::~VelScreenCellWidget()
{
    delete m_pChooserContainer;
}

void VelScreenCellWidget::buildChooser(const QStringList& names)
{
    delete m_pChooserContainer; // takes the old chooser with it
    m_pChooser = new QWidget;
    auto* pGrid = new QGridLayout(m_pChooser);
    for (int i = 0; i < names.size(); ++i) {
        auto* pButton = new QRadioButton(names.at(i), m_pChooser);
        pGrid->addWidget(pButton, i / 2, i % 2);
        connect(pButton, &QRadioButton::clicked, this, &VelScreenCellWidget::sltChangeName);
    }
    m_pChooser->adjustSize();
    m_pChooserContainer = new VelPopContainer(nullptr, m_pChooser, QString());
    m_pChooserContainer->setBackgroundColor(QColor(120, 120, 120));
}

QList<QRadioButton*> VelScreenCellWidget::chooserButtons() const
{
    return m_pChooser->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
}

void VelScreenCellWidget::setName(const QString& name)
{
    m_strName = name;
    for (QRadioButton* pButton : chooserButtons()) {
        if (pButton->text() == name) {
            pButton->setChecked(true);
            break;
        }
        pButton->setChecked(false);
    }
}

int VelScreenCellWidget::siblingCellCount() const
{
    return parentWidget()
               ? parentWidget()
                     ->findChildren<VelScreenCellWidget*>(QString(), Qt::FindDirectChildrenOnly)
                     .size()
               : 0;
}

void VelScreenCellWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (m_bEditable && siblingCellCount() > 1) {
        Corvane* pControl = VelScreenSettingWidget::controlOf(parentWidget());
        buildChooser(pControl ? pControl->cameraNames() : QStringList());
        setName(m_strName);
        const QPoint cursor = QCursor::pos();
        m_pChooserContainer->popupAt(cursor.x(), cursor.y(), 32, 32);
        m_pChooserContainer->raise();
        e->accept();
    } else {
        QLabel::mouseReleaseEvent(e);
    }
    update();
}

void VelScreenCellWidget::sltChangeName()
{
    auto* pButton = qobject_cast<QRadioButton*>(sender());
    if (!pButton)
        return;
    const QString strName = pButton->text();
    // The preview reads the old name from this cell while handling the signal.
    emit sigNameChanged(strName);
    m_strName = strName;
    update();
    m_pChooserContainer->sltClosePopContainer();
}

void VelScreenCellWidget::sltSetSingleScreenName(QString strToken)
{
    if (siblingCellCount() != 1)
        return;
    Corvane* pControl = VelScreenSettingWidget::controlOf(parentWidget());
    setName(pControl ? pControl->nameForToken(strToken) : strToken);
    update();
}

void VelScreenCellWidget::paintEvent(QPaintEvent* e)
{
    QLabel::paintEvent(e);
    QPainter painter(this);
    auto* pPreview = qobject_cast<const QAbstractButton*>(parentWidget());
    painter.setPen(pPreview && pPreview->isChecked() ? Qt::white : Qt::black);
    if (m_pChooserContainer->isVisible())
        painter.fillRect(rect(), QColor(100, 100, 100, 100));
    painter.drawText(QRect(5, height() / 2 - 8, width(), height()), m_strName);
}
