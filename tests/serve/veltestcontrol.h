#ifndef VELTESTCONTROL_H
#define VELTESTCONTROL_H

#include <QMap>
#include <QString>
#include <QWidget>

// A control the bridge has never heard of, in a library of its own
// (libveltestcontrols): its members reach a browser page only if the bridge
// derives its surface from the meta object. sltAdded stands for a slot added
// to a control after the host was written.
class VelTestControl : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("ClassID", "{6B1C1F4E-2D47-4C1A-9E55-0B7A7F1D2C01}")
    Q_CLASSINFO("InterfaceID", "{6B1C1F4E-2D47-4C1A-9E55-0B7A7F1D2C02}")
    Q_CLASSINFO("EventsID", "{6B1C1F4E-2D47-4C1A-9E55-0B7A7F1D2C03}")
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(int level READ level WRITE setLevel)

public:
    explicit VelTestControl(QWidget* parent);

    QString text() const { return m_strText; }
    void setText(const QString& strText);
    int level() const { return m_nLevel; }
    void setLevel(int nLevel);

signals:
    void sigEcho(QString strText, int nCount, bool bFlag, double dValue);

public slots:
    // Sends the arguments back as sigEcho and returns them joined by spaces.
    QString sltAdded(QString strText, int nCount, bool bFlag, double dValue);
    // A page cannot pass a map: not on the surface.
    void sltTakesMap(QMap<QString, QString> map);

private slots:
    void sltPrivate() {}

private:
    QString m_strText;
    int m_nLevel = 0;
};

#endif // VELTESTCONTROL_H
