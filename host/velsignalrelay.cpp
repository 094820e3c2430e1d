#include "velsignalrelay.h"

VelSignalRelay::VelSignalRelay(QObject* pSender, const QList<QMetaMethod>& signalList,
                               const Handler& fnHandler, QObject* parent)
    : QObject(parent), m_fnHandler(fnHandler)
{
    const int nFirstSlot = QObject::staticMetaObject.methodCount();
    for (const QMetaMethod& signal : signalList) {
        if (QMetaObject::connect(pSender, signal.methodIndex(), this, nFirstSlot + m_signals.size(),
                                 Qt::DirectConnection))
            m_signals << signal;
    }
}

int VelSignalRelay::qt_metacall(QMetaObject::Call call, int nId, void** argv)
{
    nId = QObject::qt_metacall(call, nId, argv);
    if (nId < 0 || call != QMetaObject::InvokeMetaMethod)
        return nId;
    if (nId < m_signals.size()) {
        const QMetaMethod& signal = m_signals.at(nId);
        QVariantList args;
        for (int i = 0; i < signal.parameterCount(); ++i) {
            const int nType = signal.parameterType(i);
            if (nType == QMetaType::QVariant)
                args << *static_cast<const QVariant*>(argv[i + 1]);
            else if (nType != QMetaType::UnknownType)
                args << QVariant(nType, argv[i + 1]);
            else
                args << QVariant();
        }
        m_fnHandler(signal, args);
    }
    return -1;
}
