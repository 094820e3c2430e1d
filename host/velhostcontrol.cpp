#include "velhostcontrol.h"

#include "velaxbindable.h"
#include "velaxidl.h"
#include "velhostscriptcall.h"
#include "velsignalrelay.h"

#include <QJSEngine>
#include <QMetaProperty>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{

QList<QMetaMethod> methodsOfKind(const QMetaObject* pMeta, QMetaMethod::MethodType kind)
{
    QList<QMetaMethod> methods;
    for (const QMetaMethod& method : VelAxIdl::scriptableMethods(pMeta)) {
        if (method.methodType() == kind)
            methods << method;
    }
    return methods;
}

template <typename T> bool holds(double dValue)
{
    // The bounds as doubles: max() + 1 is a power of two, exact in a double,
    // where max() itself may round up for 64-bit types.
    const double dLow = double(std::numeric_limits<T>::min());
    const double dAbove = (double(std::numeric_limits<T>::max() / 2 + 1)) * 2.0;
    return dValue >= dLow && dValue < dAbove;
}

// QVariant's conversion wraps a number that does not fit (1e12 into an int);
// a page gets a TypeError instead. Also false for NaN and the infinities.
bool numberFits(double dValue, int nType)
{
    switch (nType) {
    case QMetaType::Int:
        return holds<int>(dValue);
    case QMetaType::UInt:
        return holds<uint>(dValue);
    case QMetaType::Long:
        return holds<long>(dValue);
    case QMetaType::ULong:
        return holds<ulong>(dValue);
    case QMetaType::LongLong:
        return holds<qlonglong>(dValue);
    case QMetaType::ULongLong:
        return holds<qulonglong>(dValue);
    case QMetaType::Short:
        return holds<short>(dValue);
    case QMetaType::UShort:
        return holds<ushort>(dValue);
    case QMetaType::Char:
        return holds<char>(dValue);
    case QMetaType::SChar:
        return holds<signed char>(dValue);
    case QMetaType::UChar:
        return holds<uchar>(dValue);
    case QMetaType::Float:
        return !std::isfinite(dValue) || std::fabs(dValue) <= FLT_MAX;
    default:
        return true;
    }
}

} // namespace

VelHostControl::VelHostControl(QObject* pControl, const QString& strClassId,
                               const QString& strVersion, QJSEngine* pEngine, QObject* parent)
    : QObject(parent), m_pControl(pControl), m_pMeta(pControl->metaObject()),
      m_strClassId(strClassId), m_strClassName(QString::fromLatin1(m_pMeta->className())),
      m_strVersion(strVersion), m_pEngine(pEngine)
{
    new VelSignalRelay(
        pControl, methodsOfKind(m_pMeta, QMetaMethod::Signal),
        [this](const QMetaMethod& signal, const QVariantList& args) { onSignal(signal, args); },
        this);
    // The bindable lives in the library and its class is hidden from us:
    // found by name, connected by signature.
    QObject* pBindable = pControl->findChild<QObject*>(QLatin1String(VelAxBindable::kObjectName),
                                                       Qt::FindDirectChildrenOnly);
    if (pBindable)
        connect(pBindable, SIGNAL(sigPropertyChanged(QString)), this,
                SLOT(sltPropertyChanged(QString)));
}

VelHostControl::~VelHostControl()
{
    release();
}

void VelHostControl::release()
{
    delete m_pControl.data();
}

QJSValue VelHostControl::describe() const
{
    QVariantList methods;
    for (const QMetaMethod& method : VelAxIdl::scriptableMethods(m_pMeta)) {
        QStringList types;
        for (const QByteArray& type : method.parameterTypes())
            types << QString::fromLatin1(type);
        const QByteArray unsupported = VelAxIdl::unsupportedType(method);
        methods << QVariantMap{
            {"name", QString::fromLatin1(method.name())},
            {"signature", QString::fromLatin1(method.methodSignature())},
            {"kind", method.methodType() == QMetaMethod::Signal ? "signal" : "slot"},
            {"parameterCount", method.parameterCount()},
            {"parameterTypes", types},
            {"supported", unsupported.isEmpty()},
            {"unsupportedType", QString::fromLatin1(unsupported)},
        };
    }
    QVariantList properties;
    for (const QMetaProperty& property : VelAxIdl::scriptableProperties(m_pMeta)) {
        properties << QVariantMap{
            {"name", QString::fromLatin1(property.name())},
            {"type", QString::fromLatin1(property.typeName())},
            {"writable", property.isWritable()},
        };
    }
    return m_pEngine->toScriptValue(QVariantMap{
        {"classId", m_strClassId},
        {"className", m_strClassName},
        {"version", m_strVersion},
        {"methods", methods},
        {"properties", properties},
    });
}

bool VelHostControl::checkAlive()
{
    if (m_pControl)
        return true;
    m_pEngine->throwError(
        QStringLiteral("the %1 control %2 has been deleted").arg(m_strClassName, m_strClassId));
    return false;
}

void VelHostControl::throwTypeError(const QString& strMessage)
{
    m_pEngine->throwError(QJSValue::TypeError, strMessage);
}

bool VelHostControl::convertArgument(const QJSValue& value, int nType, QVariant* pResult) const
{
    if (value.isUndefined())
        return false;
    if (value.isNumber() && !numberFits(value.toNumber(), nType))
        return false;
    QVariant variant = value.toVariant();
    if (nType == QMetaType::QVariant) {
        *pResult = variant;
        return true;
    }
    if (variant.userType() != nType && !variant.convert(nType))
        return false;
    *pResult = variant;
    return true;
}

QJSValue VelHostControl::invoke(const QString& strSignature, const QJSValue& args)
{
    if (!checkAlive())
        return QJSValue();
    const int nIndex = m_pMeta->indexOfMethod(strSignature.toLatin1().constData());
    const QMetaMethod method = nIndex < 0 ? QMetaMethod() : m_pMeta->method(nIndex);
    if (!VelAxIdl::scriptableMethods(m_pMeta).contains(method) ||
        method.methodType() != QMetaMethod::Slot) {
        throwTypeError(QStringLiteral("%1 has no method %2").arg(m_strClassName, strSignature));
        return QJSValue();
    }
    QByteArray unsupported = VelAxIdl::unsupportedType(method);
    if (unsupported.isEmpty() && method.parameterCount() > 10)
        unsupported = "(more than ten parameters)";
    if (!unsupported.isEmpty()) {
        throwTypeError(
            QStringLiteral("%1.%2 cannot be called from a page: type %3 is not supported")
                .arg(m_strClassName, strSignature, QString::fromLatin1(unsupported)));
        return QJSValue();
    }
    const int nCount = args.property(QStringLiteral("length")).toInt();
    if (nCount != method.parameterCount()) {
        throwTypeError(QStringLiteral("%1.%2 takes %3 arguments, %4 given")
                           .arg(m_strClassName, strSignature)
                           .arg(method.parameterCount())
                           .arg(nCount));
        return QJSValue();
    }

    QVariant values[10];
    QGenericArgument arguments[10];
    for (int i = 0; i < nCount; ++i) {
        const int nType = method.parameterType(i);
        const QJSValue arg = args.property(quint32(i));
        if (!convertArgument(arg, nType, &values[i])) {
            const bool bRange = arg.isNumber() && !numberFits(arg.toNumber(), nType);
            throwTypeError(
                QStringLiteral("%1.%2: argument %3 %4 %5")
                    .arg(m_strClassName, strSignature)
                    .arg(i + 1)
                    .arg(bRange ? QStringLiteral("(%1) is out of range for").arg(arg.toString())
                                : QStringLiteral("does not convert to"))
                    .arg(QString::fromLatin1(QMetaType::typeName(nType))));
            return QJSValue();
        }
        arguments[i] =
            QGenericArgument(QMetaType::typeName(nType),
                             nType == QMetaType::QVariant ? &values[i] : values[i].constData());
    }
    QVariant result;
    QGenericReturnArgument returnArgument;
    if (method.returnType() != QMetaType::Void) {
        result = QVariant(method.returnType(), nullptr);
        returnArgument = QGenericReturnArgument(method.typeName(), result.data());
    }
    // The control's own allocation failure becomes the page's error.
    if (!VelHostScriptCall::native(m_pEngine, [&]() {
            method.invoke(m_pControl, Qt::DirectConnection, returnArgument, arguments[0],
                          arguments[1], arguments[2], arguments[3], arguments[4], arguments[5],
                          arguments[6], arguments[7], arguments[8], arguments[9]);
        }))
        return QJSValue();
    return result.isValid() ? m_pEngine->toScriptValue(result) : QJSValue();
}

QJSValue VelHostControl::read(const QString& strName)
{
    if (!checkAlive())
        return QJSValue();
    return m_pEngine->toScriptValue(m_pControl->property(strName.toLatin1().constData()));
}

void VelHostControl::write(const QString& strName, const QJSValue& value)
{
    if (!checkAlive())
        return;
    const int nIndex = m_pMeta->indexOfProperty(strName.toLatin1().constData());
    const QMetaProperty property = nIndex < 0 ? QMetaProperty() : m_pMeta->property(nIndex);
    if (!property.isValid() || !property.isWritable() || !property.isScriptable()) {
        throwTypeError(
            QStringLiteral("%1.%2 is not a writable property").arg(m_strClassName, strName));
        return;
    }
    QVariant converted;
    if (!convertArgument(value, property.userType(), &converted)) {
        throwTypeError(QStringLiteral("%1.%2: the value does not convert to %3")
                           .arg(m_strClassName, strName, QString::fromLatin1(property.typeName())));
        return;
    }
    property.write(m_pControl, converted);
}

void VelHostControl::onSignal(const QMetaMethod& signal, const QVariantList& args)
{
    QJSValueList values;
    for (const QVariant& arg : args)
        values << m_pEngine->toScriptValue(arg);
    dispatch(QString::fromLatin1(signal.name()), values);
}

void VelHostControl::sltPropertyChanged(QString strName)
{
    if (!m_pControl)
        return;
    // The notification names the property; its value is read back at once, so
    // each store is delivered with the value it stored.
    const QJSValue value =
        m_pEngine->toScriptValue(m_pControl->property(strName.toLatin1().constData()));
    dispatch(QStringLiteral("propertychange"), {QJSValue(strName), value});
    dispatch(strName + QLatin1String("Changed"), {value});
}

void VelHostControl::dispatch(const QString& strEvent, const QJSValueList& args)
{
    if (!m_dispatcher.isCallable())
        return;
    const QJSValue result = VelHostScriptCall::enter([&]() {
        QJSValue array = m_pEngine->newArray(quint32(args.size()));
        for (int i = 0; i < args.size(); ++i)
            array.setProperty(quint32(i), args.at(i));
        return m_dispatcher.call({QJSValue(strEvent), array});
    });
    if (result.isError())
        std::fprintf(stderr, "vel-host: event %s of %s: %s\n", qPrintable(strEvent),
                     qPrintable(m_strClassName), qPrintable(result.toString()));
}
