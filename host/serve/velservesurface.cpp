#include "velservesurface.h"

#include "velaxidl.h"
#include "velserveproxy.h"

#include <QHash>
#include <QMetaType>

#include <cstring>
#include <new>

// The meta object below is laid out as moc of this Qt writes it (content
// revision 8); a Qt whose moc writes another layout must not build it.
#if Q_MOC_OUTPUT_REVISION != 67
#error "VelServeSurface builds meta objects in the layout of moc revision 67 (Qt 5.12 to 5.15)"
#endif

namespace
{

// moc's numbers: the header's size and revision, method and property flags,
// and the bit that marks a type given by name.
constexpr uint kRevision = 8;
constexpr uint kHeaderSize = 14;
constexpr uint kPublicSignal = 0x06;
constexpr uint kPublicSlot = 0x0a;
constexpr uint kReadable = 0x1, kWritable = 0x2, kDesignable = 0x1000, kScriptable = 0x4000,
               kStored = 0x10000;
constexpr uint kUnresolvedType = 0x80000000u;
constexpr int kMaxArguments = 10; // what QMetaMethod::invoke passes

} // namespace

const VelServeSurface* VelServeSurface::of(const QMetaObject* pControlMeta)
{
    // Never destroyed: proxies and the channel's caches hold the meta objects.
    static auto* s_pSurfaces = new QHash<const QMetaObject*, VelServeSurface*>;
    if (!s_pSurfaces->contains(pControlMeta)) {
        auto* pSurface = new VelServeSurface(pControlMeta);
        if (!pSurface->check()) {
            qWarning("vel-host: the browser surface of %s could not be built",
                     pControlMeta->className());
            delete pSurface;
            pSurface = nullptr;
        }
        s_pSurfaces->insert(pControlMeta, pSurface);
    }
    return s_pSurfaces->value(pControlMeta);
}

VelServeSurface::VelServeSurface(const QMetaObject* pControlMeta)
{
    build(pControlMeta);
}

int VelServeSurface::string(const QByteArray& text)
{
    const int nAt = m_strings.indexOf(text);
    if (nAt >= 0)
        return nAt;
    m_strings << text;
    return m_strings.size() - 1;
}

uint VelServeSurface::typeInfo(const QByteArray& type)
{
    const int nType = QMetaType::type(type.constData());
    if (nType != QMetaType::UnknownType && nType < QMetaType::User)
        return uint(nType);
    return kUnresolvedType | uint(string(type));
}

void VelServeSurface::addMethod(const QByteArray& name, const QList<QByteArray>& types,
                                const QList<QByteArray>& names, const QByteArray& returnType,
                                uint nFlags, QVector<uint>* pParameters)
{
    // The parameters' place is relative here; build() moves it past the rows.
    m_methodRows << uint(string(name)) << uint(types.size()) << uint(pParameters->size())
                 << uint(string(QByteArray())) << nFlags;
    *pParameters << typeInfo(returnType.isEmpty() ? QByteArray("void") : returnType);
    for (const QByteArray& type : types)
        *pParameters << typeInfo(type);
    for (int i = 0; i < types.size(); ++i)
        *pParameters << uint(string(names.value(i)));
    QByteArray signature = name + '(';
    for (int i = 0; i < types.size(); ++i)
        signature += (i > 0 ? "," : "") + types.at(i);
    m_signatures << signature + ')';
}

bool VelServeSurface::build(const QMetaObject* pControlMeta)
{
    string(QByteArray("VelServe") + pControlMeta->className()); // 0: the class name
    for (const QMetaMethod& method : VelAxIdl::scriptableMethods(pControlMeta)) {
        if (!VelAxIdl::unsupportedType(method).isEmpty())
            continue; // written commented out in the description
        if (method.methodType() == QMetaMethod::Signal)
            m_signals << Signal{method, -1};
        else
            m_slots << method;
    }
    for (const QMetaProperty& property : VelAxIdl::scriptableProperties(pControlMeta)) {
        if (!VelAxIdl::idlType(property.typeName()).isEmpty())
            m_properties << property;
    }
    QVector<uint> parameters;
    for (const Signal& signal : qAsConst(m_signals))
        addMethod(signal.control.name(), signal.control.parameterTypes(),
                  signal.control.parameterNames(), signal.control.typeName(), kPublicSignal,
                  &parameters);
    for (int i = 0; i < m_properties.size(); ++i) {
        const QMetaProperty& property = m_properties.at(i);
        const QByteArray name = QByteArray(property.name()) + "Changed";
        if (m_signatures.contains(name + '(' + property.typeName() + ')'))
            continue; // the control sends it itself
        m_signals << Signal{QMetaMethod(), i};
        addMethod(name, {property.typeName()}, {property.name()}, "void", kPublicSignal,
                  &parameters);
    }
    for (const QMetaMethod& slot : qAsConst(m_slots))
        addMethod(slot.name(), slot.parameterTypes(), slot.parameterNames(), slot.typeName(),
                  kPublicSlot, &parameters);

    const uint nMethods = uint(m_signals.size() + m_slots.size());
    const uint nParameters = kHeaderSize + 5 * nMethods;
    for (uint i = 0; i < nMethods; ++i)
        m_methodRows[int(i * 5 + 2)] += nParameters;
    // The header: revision, class name, class infos, methods, properties,
    // enums, constructors (each count and place), flags, signal count.
    const uint nProperties = uint(m_properties.size());
    const uint nPropertyRows = nParameters + uint(parameters.size());
    m_data << kRevision << 0 << 0 << 0 << nMethods << kHeaderSize << nProperties << nPropertyRows;
    m_data << 0 << 0 << 0 << 0 << 0 << uint(m_signals.size());
    m_data << m_methodRows << parameters;
    for (const QMetaProperty& property : qAsConst(m_properties)) {
        const uint nFlags = kReadable | kDesignable | kScriptable | kStored |
                            (property.isWritable() ? kWritable : 0);
        m_data << uint(string(property.name())) << typeInfo(property.typeName()) << nFlags;
    }
    m_data << 0; // end of data

    // The strings as moc lays them out: byte array headers, then the text,
    // each header pointing at its text by offset.
    const size_t nHeaders = size_t(m_strings.size()) * sizeof(QByteArrayData);
    size_t nTotal = nHeaders;
    for (const QByteArray& text : qAsConst(m_strings))
        nTotal += size_t(text.size()) + 1;
    m_pStringData.reset(new char[nTotal]);
    size_t nAt = nHeaders;
    for (int i = 0; i < m_strings.size(); ++i) {
        const QByteArray& text = m_strings.at(i);
        std::memcpy(m_pStringData.get() + nAt, text.constData(), size_t(text.size()) + 1);
        const qptrdiff nOffset = qptrdiff(nAt) - qptrdiff(size_t(i) * sizeof(QByteArrayData));
        new (m_pStringData.get() + size_t(i) * sizeof(QByteArrayData))
            QByteArrayData Q_STATIC_BYTE_ARRAY_DATA_HEADER_INITIALIZER_WITH_OFFSET(text.size(),
                                                                                   nOffset);
        nAt += size_t(text.size()) + 1;
    }
    m_meta.d.superdata = &VelServeProxy::staticMetaObject;
    m_meta.d.stringdata = reinterpret_cast<const QByteArrayData*>(m_pStringData.get());
    m_meta.d.data = m_data.constData();
    m_meta.d.static_metacall = nullptr; // calls go through the proxy's qt_metacall
    return true;
}

// Reads the built meta object back through Qt's own API: every member must
// come out as intended, else the surface is not used.
bool VelServeSurface::check() const
{
    const int nMethodOffset = m_meta.methodOffset();
    if (m_meta.methodCount() - nMethodOffset != m_signatures.size() ||
        m_meta.propertyCount() - m_meta.propertyOffset() != m_properties.size())
        return false;
    for (int i = 0; i < m_signatures.size(); ++i) {
        const QMetaMethod method = m_meta.method(nMethodOffset + i);
        const bool isSignal = i < m_signals.size();
        if (method.methodSignature() != m_signatures.at(i) ||
            (method.methodType() == QMetaMethod::Signal) != isSignal ||
            method.access() != QMetaMethod::Public)
            return false;
    }
    for (int i = 0; i < m_properties.size(); ++i) {
        const QMetaProperty property = m_meta.property(m_meta.propertyOffset() + i);
        if (qstrcmp(property.name(), m_properties.at(i).name()) != 0 ||
            property.userType() != m_properties.at(i).userType() ||
            property.isWritable() != m_properties.at(i).isWritable() || property.hasNotifySignal())
            return false;
    }
    return true;
}

void VelServeSurface::relaySignals(QObject* pControl, QObject* pProxy) const
{
    for (int i = 0; i < m_signals.size(); ++i) {
        const QMetaMethod& signal = m_signals.at(i).control;
        // A clone (default arguments) is the same signal: relayed once.
        if (signal.isValid() && !(signal.attributes() & QMetaMethod::Cloned))
            QMetaObject::connect(pControl, signal.methodIndex(), pProxy, m_meta.methodOffset() + i,
                                 Qt::DirectConnection);
    }
}

int VelServeSurface::metacall(QObject* pProxy, QObject* pControl, QMetaObject::Call call, int nId,
                              void** argv) const
{
    const int nMethods = m_signals.size() + m_slots.size();
    const int nProperties = m_properties.size();
    switch (call) {
    case QMetaObject::InvokeMetaMethod:
        if (nId < m_signals.size())
            QMetaObject::activate(pProxy, &m_meta, nId, argv);
        else if (nId < nMethods && pControl)
            invokeSlot(pControl, m_slots.at(nId - m_signals.size()), argv);
        return nId - nMethods;
    case QMetaObject::RegisterMethodArgumentMetaType:
        if (nId < nMethods)
            *static_cast<int*>(argv[0]) = -1;
        return nId - nMethods;
    case QMetaObject::ReadProperty:
        if (nId < nProperties)
            readProperty(pControl, nId, argv);
        return nId - nProperties;
    case QMetaObject::WriteProperty:
        if (nId < nProperties && pControl) {
            const int nType = m_properties.at(nId).userType();
            m_properties.at(nId).write(pControl, nType == QMetaType::QVariant
                                                     ? *static_cast<QVariant*>(argv[0])
                                                     : QVariant(nType, argv[0]));
        }
        return nId - nProperties;
    case QMetaObject::ResetProperty:
    case QMetaObject::RegisterPropertyMetaType:
    case QMetaObject::QueryPropertyDesignable:
    case QMetaObject::QueryPropertyScriptable:
    case QMetaObject::QueryPropertyStored:
    case QMetaObject::QueryPropertyEditable:
    case QMetaObject::QueryPropertyUser:
        return nId - nProperties;
    default:
        return nId;
    }
}

void VelServeSurface::invokeSlot(QObject* pControl, const QMetaMethod& method, void** argv) const
{
    const QList<QByteArray> types = method.parameterTypes();
    if (types.size() > kMaxArguments)
        return;
    QGenericArgument args[kMaxArguments];
    for (int i = 0; i < types.size(); ++i)
        args[i] = QGenericArgument(types.at(i).constData(), argv[i + 1]);
    QGenericReturnArgument result;
    if (argv[0] && method.returnType() != QMetaType::Void)
        result = QGenericReturnArgument(method.typeName(), argv[0]);
    method.invoke(pControl, Qt::DirectConnection, result, args[0], args[1], args[2], args[3],
                  args[4], args[5], args[6], args[7], args[8], args[9]);
}

// argv[0] holds a value of the property's type, constructed by the caller.
void VelServeSurface::readProperty(QObject* pControl, int nProperty, void** argv) const
{
    if (!pControl)
        return;
    QVariant value = m_properties.at(nProperty).read(pControl);
    const int nType = m_properties.at(nProperty).userType();
    if (nType == QMetaType::QVariant) {
        *static_cast<QVariant*>(argv[0]) = value;
    } else if (value.convert(nType)) {
        QMetaType::destruct(nType, argv[0]);
        QMetaType::construct(nType, argv[0], value.constData());
    }
}

void VelServeSurface::propertyStored(QObject* pProxy, QObject* pControl,
                                     const QString& strName) const
{
    for (int i = 0; i < m_signals.size(); ++i) {
        const int nProperty = m_signals.at(i).nProperty;
        if (nProperty < 0 || QLatin1String(m_properties.at(nProperty).name()) != strName)
            continue;
        const int nType = m_properties.at(nProperty).userType();
        const bool isVariant = nType == QMetaType::QVariant;
        QVariant value = isVariant ? QVariant() : QVariant(nType, nullptr);
        void* target[] = {isVariant ? static_cast<void*>(&value) : value.data()};
        readProperty(pControl, nProperty, target);
        void* argv[] = {nullptr, target[0]};
        QMetaObject::activate(pProxy, &m_meta, i, argv);
    }
}
