#ifndef VELSERVECONTROLPROXY_H
#define VELSERVECONTROLPROXY_H

#include "velserveproxy.h"

class VelServeSurface;

// The one proxy class for every control class: its meta object is the
// control class's VelServeSurface, so a page sees exactly the members of the
// control's interface description (and the change signals of its
// properties), and every call is forwarded to the control. There is
// deliberately no Q_OBJECT: the meta object and its metacall come from the
// surface, written at run time instead of by moc. GUI thread only.
class VelServeControlProxy final : public VelServeProxy
{
public:
    // A proxy for pControl, or null when its class's surface cannot be built.
    static VelServeControlProxy* create(QObject* pControl, QObject* parent);

    const QMetaObject* metaObject() const override;
    void* qt_metacast(const char* szClassName) override;
    int qt_metacall(QMetaObject::Call call, int nId, void** argv) override;

protected:
    void propertyStored(const QString& strName) override;

private:
    VelServeControlProxy(QObject* pControl, const VelServeSurface* pSurface, QObject* parent);

    const VelServeSurface* m_pSurface;
};

#endif // VELSERVECONTROLPROXY_H
