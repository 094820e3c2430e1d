#include "veltestcontrol.h"

#include "velaxbindable.h"
#include "velaxclasslistfactory.h"
#include "velaxlibrary.h"

VelTestControl::VelTestControl(QWidget* parent) : QWidget(parent) {}

void VelTestControl::setText(const QString& strText)
{
    m_strText = strText;
    VelAxBindable::propertyChanged(this, "text");
}

void VelTestControl::setLevel(int nLevel)
{
    m_nLevel = nLevel;
    VelAxBindable::propertyChanged(this, "level");
}

QString VelTestControl::sltAdded(QString strText, int nCount, bool bFlag, double dValue)
{
    emit sigEcho(strText, nCount, bFlag, dValue);
    return QStringLiteral("%1 %2 %3 %4")
        .arg(strText)
        .arg(nCount)
        .arg(bFlag ? QStringLiteral("true") : QStringLiteral("false"))
        .arg(dValue);
}

void VelTestControl::sltTakesMap(QMap<QString, QString> map)
{
    setText(map.value(QStringLiteral("text")));
}

VelAxFactory* velAxLibraryFactory()
{
    static VelAxClassListFactory factory(
        QStringLiteral("veltestcontrols"), QStringLiteral("{6B1C1F4E-2D47-4C1A-9E55-0B7A7F1D2C21}"),
        QStringLiteral("{6B1C1F4E-2D47-4C1A-9E55-0B7A7F1D2C22}"), {velAxClass<VelTestControl>()});
    return &factory;
}
