#ifndef VELSIGNALRELAY_H
#define VELSIGNALRELAY_H

#include <QList>
#include <QMetaMethod>
#include <QObject>
#include <QVariantList>

#include <functional>

// Receives any signals of one sender and hands each emission on with its
// arguments as QVariants, whatever their signature (the way QSignalSpy does it:
// each signal is connected to a method index past QObject's own, and the
// metacall below answers those indices). There is deliberately no Q_OBJECT: the
// metacall is written here instead of by moc. Runs on the sender's thread.
class VelSignalRelay : public QObject
{
public:
    using Handler = std::function<void(const QMetaMethod& signal, const QVariantList& args)>;

    VelSignalRelay(QObject* pSender, const QList<QMetaMethod>& signalList, const Handler& fnHandler,
                   QObject* parent);

    int qt_metacall(QMetaObject::Call call, int nId, void** argv) override;

private:
    QList<QMetaMethod> m_signals;
    Handler m_fnHandler;
};

#endif // VELSIGNALRELAY_H
