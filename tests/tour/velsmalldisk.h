#ifndef VELSMALLDISK_H
#define VELSMALLDISK_H

// A directory with little room: a tmpfs of a given size mounted over it, for
// what the recorder does when the disk fills. Mounting needs root (CI runs as
// root); elsewhere mount() fails and tells why, and the test skips.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>

class VelSmallDisk
{
public:
    VelSmallDisk() = default;
    VelSmallDisk(const VelSmallDisk&) = delete;
    VelSmallDisk& operator=(const VelSmallDisk&) = delete;
    ~VelSmallDisk() { unmount(); }

    bool mount(const QString& strPath, qint64 nBytes, QString* pWhy)
    {
        unmount();
        QDir().mkpath(strPath);
        const QByteArray strTarget = QFile::encodeName(strPath);
        const QByteArray strOptions = "size=" + QByteArray::number(nBytes) + ",mode=0700";
        if (::mount("tmpfs", strTarget.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    strOptions.constData()) != 0) {
            *pWhy = QStringLiteral("cannot mount a %1-byte tmpfs on %2: %3")
                        .arg(nBytes)
                        .arg(strPath, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        m_strTarget = strTarget;
        return true;
    }
    QString path() const { return QFile::decodeName(m_strTarget); }
    void unmount()
    {
        if (!m_strTarget.isEmpty())
            ::umount2(m_strTarget.constData(), MNT_DETACH);
        m_strTarget.clear();
    }

private:
    QByteArray m_strTarget;
};

#endif // VELSMALLDISK_H
