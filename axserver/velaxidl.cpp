#include "velaxidl.h"

#include "velaxfactory.h"

#include <QHash>
#include <QMetaClassInfo>
#include <QMetaObject>

namespace
{

// GUIDs appear in IDL without braces.
QString bare(const QString& strId)
{
    QString strBare = strId;
    strBare.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    return strBare.toUpper();
}

const QMetaObject* exposedBase(const QMetaObject* pMeta)
{
    const int nIndex = pMeta->indexOfClassInfo("ToSuperClass");
    if (nIndex < 0)
        return pMeta;
    const QByteArray name = pMeta->classInfo(nIndex).value();
    for (const QMetaObject* pBase = pMeta; pBase; pBase = pBase->superClass()) {
        if (name == pBase->className())
            return pBase;
    }
    return pMeta;
}

QString defaultProperty(const QMetaObject* pMeta)
{
    const int nIndex = pMeta->indexOfClassInfo("DefaultProperty");
    return nIndex < 0 ? QString() : QString::fromLatin1(pMeta->classInfo(nIndex).value());
}

} // namespace

QString VelAxIdl::idlType(const QByteArray& qtType)
{
    static const QHash<QByteArray, QString> kTypes = {
        {"void", "void"},
        {"QString", "BSTR"},
        {"int", "int"},
        {"uint", "unsigned int"},
        {"bool", "VARIANT_BOOL"},
        {"double", "double"},
        {"float", "float"},
        {"short", "short"},
        {"ushort", "unsigned short"},
        {"qlonglong", "hyper"},
        {"qulonglong", "unsigned hyper"},
        {"QVariant", "VARIANT"},
        {"QStringList", "SAFEARRAY(BSTR)"},
        {"QByteArray", "SAFEARRAY(BYTE)"},
        {"QVariantList", "SAFEARRAY(VARIANT)"},
        {"QList<QVariant>", "SAFEARRAY(VARIANT)"},
        {"QDateTime", "DATE"},
        {"QDate", "DATE"},
        {"QTime", "DATE"},
        {"QColor", "OLE_COLOR"},
    };
    return kTypes.value(qtType.isEmpty() ? QByteArray("void") : qtType);
}

QList<QMetaMethod> VelAxIdl::scriptableMethods(const QMetaObject* pMeta)
{
    QList<QMetaMethod> methods;
    for (int i = exposedBase(pMeta)->methodOffset(); i < pMeta->methodCount(); ++i) {
        const QMetaMethod method = pMeta->method(i);
        if (method.methodType() == QMetaMethod::Signal ||
            (method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Public))
            methods << method;
    }
    return methods;
}

QList<QMetaProperty> VelAxIdl::scriptableProperties(const QMetaObject* pMeta)
{
    QList<QMetaProperty> properties;
    for (int i = exposedBase(pMeta)->propertyOffset(); i < pMeta->propertyCount(); ++i) {
        const QMetaProperty property = pMeta->property(i);
        if (property.isScriptable() && property.isReadable())
            properties << property;
    }
    return properties;
}

QByteArray VelAxIdl::unsupportedType(const QMetaMethod& method)
{
    if (idlType(method.typeName()).isEmpty())
        return method.typeName();
    for (const QByteArray& type : method.parameterTypes()) {
        if (idlType(type).isEmpty())
            return type;
    }
    return QByteArray();
}

QString VelAxIdl::methodLine(const QMetaMethod& method, int nDispId)
{
    const bool isSupported = unsupportedType(method).isEmpty();
    const QList<QByteArray> types = method.parameterTypes();
    const QList<QByteArray> names = method.parameterNames();
    QStringList params;
    for (int i = 0; i < types.size(); ++i) {
        const QString strName = names.value(i).isEmpty() ? QStringLiteral("p%1").arg(i + 1)
                                                         : QString::fromLatin1(names.value(i));
        const QString strType =
            isSupported ? idlType(types.at(i)) : QString::fromLatin1(types.at(i));
        params << strType + QLatin1Char(' ') + strName;
    }
    const QString strReturn =
        isSupported ? idlType(method.typeName()) : QString::fromLatin1(method.typeName());
    const QString strLine =
        QStringLiteral("[id(%1)] %2 %3(%4);")
            .arg(nDispId)
            .arg(strReturn, QString::fromLatin1(method.name()), params.join(QLatin1String(", ")));
    if (isSupported)
        return QStringLiteral("\t\t%1\n").arg(strLine);
    const char* szKind = method.methodType() == QMetaMethod::Signal ? "Signal" : "Slot";
    return QStringLiteral(
               "\t\t/****** %1 parameter uses unsupported datatype %2\n\t\t%3\n\t\t******/\n")
        .arg(QLatin1String(szKind), QString::fromLatin1(unsupportedType(method)), strLine);
}

QString VelAxIdl::classInterfaces(const VelAxFactory& factory, const QString& strKey)
{
    const QMetaObject* pMeta = factory.metaObject(strKey);
    const QString strDefault = defaultProperty(pMeta);
    const QList<QMetaMethod> methods = scriptableMethods(pMeta);

    QString strIdl;
    strIdl += QStringLiteral("\t[\n\t\tuuid(%1),\n\t\thelpstring(\"%2 Interface\")\n\t]\n")
                  .arg(bare(factory.interfaceID(strKey)), strKey);
    strIdl += QStringLiteral("\tdispinterface I%1\n\t{\n\tproperties:\n").arg(strKey);
    int nDispId = 1;
    for (const QMetaProperty& property : scriptableProperties(pMeta)) {
        const QString strName = QString::fromLatin1(property.name());
        const bool isDefault = strName == strDefault;
        QString strAttributes = QStringLiteral("id(%1)").arg(isDefault ? 0 : nDispId++);
        strAttributes +=
            property.isWritable() ? QStringLiteral(", bindable") : QStringLiteral(", readonly");
        const QString strType = idlType(property.typeName());
        if (strType.isEmpty()) {
            strIdl += QStringLiteral("\t\t/****** Property uses unsupported datatype %1\n"
                                     "\t\t[%2] %1 %3;\n\t\t******/\n")
                          .arg(QString::fromLatin1(property.typeName()), strAttributes, strName);
            continue;
        }
        strIdl += QStringLiteral("\t\t[%1] %2 %3;%4\n")
                      .arg(strAttributes, strType, strName,
                           isDefault ? QStringLiteral(" // default property") : QString());
    }
    strIdl += QStringLiteral("\tmethods:\n");
    for (const QMetaMethod& method : methods) {
        if (method.methodType() == QMetaMethod::Slot)
            strIdl += methodLine(method, nDispId++);
    }
    strIdl += QStringLiteral("\t};\n\n");

    strIdl += QStringLiteral("\t[\n\t\tuuid(%1),\n\t\thelpstring(\"%2 Events Interface\")\n\t]\n")
                  .arg(bare(factory.eventsID(strKey)), strKey);
    strIdl +=
        QStringLiteral("\tdispinterface I%1Events\n\t{\n\tproperties:\n\tmethods:\n").arg(strKey);
    int nEventId = 1;
    for (const QMetaMethod& method : methods) {
        if (method.methodType() == QMetaMethod::Signal)
            strIdl += methodLine(method, nEventId++);
    }
    strIdl += QStringLiteral("\t};\n\n");

    const int nCreatable = pMeta->indexOfClassInfo("Creatable");
    const bool isCreatable =
        nCreatable < 0 || qstrcmp(pMeta->classInfo(nCreatable).value(), "no") != 0;
    strIdl += QStringLiteral("\t[\n%1\t\thelpstring(\"%2 Class\"),\n\t\tuuid(%3)\n\t]\n")
                  .arg(isCreatable ? QString() : QStringLiteral("\t\tnoncreatable,\n"), strKey,
                       bare(factory.classID(strKey)));
    strIdl += QStringLiteral("\tcoclass %1\n\t{\n\t\t[default] dispinterface I%1;\n"
                             "\t\t[default, source] dispinterface I%1Events;\n\t};\n")
                  .arg(strKey);
    return strIdl;
}

QString VelAxIdl::generate(const VelAxFactory& factory, const QString& strTypeLibVersion)
{
    const QString strLibrary = factory.libraryName();
    QString strIdl;
    strIdl +=
        QStringLiteral(
            "/****************************************************************************\n"
            "** Interface definition of the control library %1 %2,\n"
            "** generated from the meta objects of its classes.\n"
            "****************************************************************************/\n\n")
            .arg(strLibrary, factory.version());
    strIdl += QStringLiteral("import \"ocidl.idl\";\n#include <olectl.h>\n\n");
    strIdl += QStringLiteral("// Application id: %1\n").arg(factory.appID());
    strIdl +=
        QStringLiteral("[\n\tuuid(%1),\n\tversion(%2),\n\thelpstring(\"%3 %2 Type Library\")\n]\n")
            .arg(bare(factory.typeLibID()), strTypeLibVersion, strLibrary);
    strIdl += QStringLiteral("library %1Lib\n{\n\timportlib(\"stdole32.tlb\");\n"
                             "\timportlib(\"stdole2.tlb\");\n")
                  .arg(strLibrary);
    for (const QString& strKey : factory.featureList())
        strIdl += QLatin1Char('\n') + classInterfaces(factory, strKey);
    strIdl += QStringLiteral("};\n");
    return strIdl;
}
