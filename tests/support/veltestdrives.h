#ifndef VELTESTDRIVES_H
#define VELTESTDRIVES_H

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

// Points drives C and D at fresh temporary directories for the life of the object.
class VelTestDrives
{
public:
    VelTestDrives()
    {
        qputenv("VEL_DRIVE_C", m_driveC.path().toLocal8Bit());
        qputenv("VEL_DRIVE_D", m_driveD.path().toLocal8Bit());
    }
    ~VelTestDrives()
    {
        qunsetenv("VEL_DRIVE_C");
        qunsetenv("VEL_DRIVE_D");
    }
    QString c(const QString& strName) const { return m_driveC.filePath(strName); }
    QString d(const QString& strName) const { return m_driveD.filePath(strName); }

private:
    QTemporaryDir m_driveC;
    QTemporaryDir m_driveD;
};

#endif // VELTESTDRIVES_H
