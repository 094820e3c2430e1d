#ifndef VELAXBINDABLE_H
#define VELAXBINDABLE_H

#include <QObject>
#include <QString>

// The control's end of the property-change notification a host listens to (the
// bindable-property notification of ActiveX controls). The factory attaches one
// to every control it creates, as a child object named "velAxBindable"; the host
// finds it by that name and connects to sigPropertyChanged(QString) by
// signature. Nothing else crosses the library boundary: the library's classes are
// hidden, so neither side could cast to the other's types. The control's own
// scriptable surface stays as it is. GUI thread only.
class VelAxBindable : public QObject
{
    Q_OBJECT
public:
    explicit VelAxBindable(QObject* pControl);

    static constexpr const char* kObjectName = "velAxBindable";

    // Tells the host that the property szName of pControl was stored, whether or
    // not the value changed. Does nothing for a control no host is bound to
    // (one built without the factory).
    static void propertyChanged(QObject* pControl, const char* szName);

signals:
    void sigPropertyChanged(QString strName);
};

#endif // VELAXBINDABLE_H
