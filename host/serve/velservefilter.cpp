#include "velservefilter.h"

#include <QJsonArray>
#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaProperty>

#include <cmath>

namespace
{

// The channel's message types (qwebchannel.js names them the same).
enum MessageType {
    kSignal = 1,
    kPropertyUpdate = 2,
    kInit = 3,
    kIdle = 4,
    kDebug = 5,
    kInvokeMethod = 6,
    kConnectToSignal = 7,
    kDisconnectFromSignal = 8,
    kSetProperty = 9,
    kResponse = 10,
};

const QString kType = QStringLiteral("type");
const QString kId = QStringLiteral("id");
const QString kObject = QStringLiteral("object");
const QString kData = QStringLiteral("data");
const QString kArgs = QStringLiteral("args");
const QString kWrapped = QStringLiteral("__QObject*__");

bool isIndex(const QJsonValue& value)
{
    const double d = value.toDouble(-1);
    return value.isDouble() && d >= 0 && d <= 1e6 && std::floor(d) == d;
}

int destroyedIndex()
{
    return QObject::staticMetaObject.indexOfSignal("destroyed(QObject*)");
}

int destroyedPlainIndex()
{
    return QObject::staticMetaObject.indexOfSignal("destroyed()");
}

} // namespace

VelServeFilter::Surface VelServeFilter::surfaceOf(const QMetaObject* pMeta)
{
    Surface surface;
    for (int i = pMeta->methodOffset(); i < pMeta->methodCount(); ++i) {
        const QMetaMethod method = pMeta->method(i);
        if (method.access() != QMetaMethod::Public)
            continue;
        if (method.methodType() == QMetaMethod::Signal)
            surface.signalSet.insert(i);
        else if (method.methodType() == QMetaMethod::Slot ||
                 method.methodType() == QMetaMethod::Method)
            surface.slotSet.insert(i);
    }
    for (int i = pMeta->propertyOffset(); i < pMeta->propertyCount(); ++i) {
        const QMetaProperty property = pMeta->property(i);
        surface.propertySet.insert(i);
        if (property.hasNotifySignal())
            continue;
        const QByteArray signal = QByteArray(property.name()) + "Changed(" +
                                  QMetaType::typeName(property.userType()) + ')';
        const int nSignal = pMeta->indexOfSignal(signal.constData());
        if (surface.signalSet.contains(nSignal))
            surface.valueSignals.insert(nSignal, i);
    }
    return surface;
}

void VelServeFilter::addObject(const QString& strId, const QMetaObject* pMeta)
{
    m_objects.insert(strId, pMeta);
    if (!m_surfaces.contains(pMeta))
        m_surfaces.insert(pMeta, surfaceOf(pMeta));
}

const VelServeFilter::Surface* VelServeFilter::surface(const QString& strId) const
{
    const QMetaObject* pMeta = m_objects.value(strId);
    if (!pMeta)
        return nullptr;
    const auto it = m_surfaces.constFind(pMeta);
    return it == m_surfaces.constEnd() ? nullptr : &it.value();
}

QString VelServeFilter::checkIncoming(const QJsonObject& message)
{
    if (!isIndex(message.value(kType)))
        return QStringLiteral("no message type");
    if (message.contains(kId) && !message.value(kId).isDouble())
        return QStringLiteral("bad message id");
    const int nType = message.value(kType).toInt();
    if (nType == kInit) {
        m_pendingInits.insert(message.value(kId).toDouble());
        return QString();
    }
    if (nType == kIdle)
        return QString();
    if (nType != kInvokeMethod && nType != kConnectToSignal && nType != kDisconnectFromSignal &&
        nType != kSetProperty)
        return QStringLiteral("message type %1 is not accepted").arg(nType);

    const QString strObject = message.value(kObject).toString();
    const Surface* pSurface = surface(strObject);
    if (!pSurface)
        return QStringLiteral("unknown object \"%1\"").arg(strObject.left(64));
    const QMetaObject* pMeta = m_objects.value(strObject);
    switch (nType) {
    case kInvokeMethod:
        return checkInvoke(message, *pSurface, pMeta);
    case kConnectToSignal:
    case kDisconnectFromSignal: {
        const QJsonValue signal = message.value(QStringLiteral("signal"));
        if (!isIndex(signal) || !pSurface->signalSet.contains(signal.toInt()))
            return QStringLiteral("%1 has no such event").arg(QLatin1String(pMeta->className()));
        return QString();
    }
    default: {
        const QJsonValue property = message.value(QStringLiteral("property"));
        if (!isIndex(property) || !pSurface->propertySet.contains(property.toInt()) ||
            !pMeta->property(property.toInt()).isWritable())
            return QStringLiteral("%1 has no such writable property")
                .arg(QLatin1String(pMeta->className()));
        if (!message.contains(QStringLiteral("value")))
            return QStringLiteral("property value missing");
        return QString();
    }
    }
}

QString VelServeFilter::checkInvoke(const QJsonObject& message, const Surface& surface,
                                    const QMetaObject* pMeta) const
{
    if (message.contains(kArgs) && !message.value(kArgs).isArray())
        return QStringLiteral("arguments are not an array");
    const QJsonValue method = message.value(QStringLiteral("method"));
    const QString strRefused =
        QStringLiteral("%1 has no such method").arg(QLatin1String(pMeta->className()));
    if (isIndex(method))
        return surface.slotSet.contains(method.toInt()) ? QString() : strRefused;
    if (!method.isString())
        return strRefused;
    // By name the channel picks among every method of that name, the
    // inherited ones included: all of them must be on the surface.
    const QByteArray name = method.toString().toLatin1();
    bool isFound = false;
    for (int i = 0; i < pMeta->methodCount(); ++i) {
        if (pMeta->method(i).name() != name)
            continue;
        if (!surface.slotSet.contains(i))
            return strRefused;
        isFound = true;
    }
    return isFound ? QString() : strRefused;
}

QJsonObject VelServeFilter::filterClassInfo(const QJsonObject& info, const Surface& surface) const
{
    auto keep = [](const QJsonArray& entries, int nIndexAt, auto isAllowed) {
        QJsonArray kept;
        for (const QJsonValue& entry : entries) {
            const QJsonArray fields = entry.toArray();
            if (isAllowed(fields.at(nIndexAt).toInt(-1)))
                kept.append(fields);
        }
        return kept;
    };
    QJsonObject filtered;
    filtered.insert(QStringLiteral("methods"),
                    keep(info.value(QStringLiteral("methods")).toArray(), 1,
                         [&](int n) { return surface.slotSet.contains(n); }));
    filtered.insert(QStringLiteral("signals"),
                    keep(info.value(QStringLiteral("signals")).toArray(), 1, [&](int n) {
                        return surface.signalSet.contains(n) || n == destroyedIndex() ||
                               n == destroyedPlainIndex();
                    }));
    QJsonArray properties;
    for (const QJsonValue& entry : keep(info.value(QStringLiteral("properties")).toArray(), 0,
                                        [&](int n) { return surface.propertySet.contains(n); })) {
        QJsonArray fields = entry.toArray();
        // No notify signal: the page must not make up an event for it.
        if (fields.at(2).toArray().isEmpty())
            fields.replace(2, QJsonValue::Null);
        properties.append(fields);
    }
    filtered.insert(QStringLiteral("properties"), properties);
    filtered.insert(QStringLiteral("enums"), QJsonObject());
    return filtered;
}

// Object descriptions inside a value (a method's result, a signal's
// arguments) are filtered by the class of the object they describe.
QJsonValue VelServeFilter::filterValue(const QJsonValue& value)
{
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue& item : value.toArray())
            array.append(filterValue(item));
        return array;
    }
    if (!value.isObject())
        return value;
    QJsonObject object = value.toObject();
    if (!object.value(kWrapped).toBool()) {
        for (auto it = object.begin(); it != object.end(); ++it)
            it.value() = filterValue(it.value());
        return object;
    }
    const QString strId = object.value(kId).toString();
    if (!m_objects.contains(strId) && m_pExpected) {
        addObject(strId, m_pExpected);
        m_pExpected = nullptr;
    }
    const Surface* pSurface = surface(strId);
    if (object.contains(kData)) {
        static const Surface kNothing;
        object.insert(kData, filterClassInfo(object.value(kData).toObject(),
                                             pSurface ? *pSurface : kNothing));
    }
    return object;
}

QJsonObject VelServeFilter::filterSignal(const QJsonObject& message)
{
    const QString strObject = message.value(kObject).toString();
    const Surface* pSurface = surface(strObject);
    const int nSignal = message.value(QStringLiteral("signal")).toInt(-1);
    if (nSignal == destroyedIndex() || nSignal == destroyedPlainIndex()) {
        m_objects.remove(strObject);
        return message;
    }
    if (!pSurface || !pSurface->signalSet.contains(nSignal))
        return QJsonObject();
    QJsonObject filtered = message;
    filtered.insert(kArgs, filterValue(message.value(kArgs)));
    const auto it = pSurface->valueSignals.constFind(nSignal);
    if (it == pSurface->valueSignals.constEnd())
        return filtered;
    const QJsonArray args = filtered.value(kArgs).toArray();
    const QJsonObject update{
        {kObject, strObject},
        {QStringLiteral("signals"), QJsonObject{{QString::number(nSignal), args}}},
        {QStringLiteral("properties"), QJsonObject{{QString::number(it.value()), args.at(0)}}},
    };
    return QJsonObject{{kType, kPropertyUpdate}, {kData, QJsonArray{update}}};
}

QJsonObject VelServeFilter::filterOutgoing(const QJsonObject& message)
{
    switch (message.value(kType).toInt()) {
    case kSignal:
        return filterSignal(message);
    case kPropertyUpdate:
        // Only for notify signals, which no published class declares.
        return QJsonObject();
    case kResponse:
        break;
    default:
        return message;
    }
    QJsonObject filtered = message;
    const double dId = message.value(kId).toDouble(-1);
    if (!m_pendingInits.remove(dId)) {
        filtered.insert(kData, filterValue(message.value(kData)));
        return filtered;
    }
    // The init response: every registered object by name.
    QJsonObject objects;
    const QJsonObject data = message.value(kData).toObject();
    for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
        if (const Surface* pSurface = surface(it.key()))
            objects.insert(it.key(), filterClassInfo(it.value().toObject(), *pSurface));
    }
    filtered.insert(kData, objects);
    return filtered;
}
