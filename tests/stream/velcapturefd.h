#ifndef VELCAPTUREFD_H
#define VELCAPTUREFD_H

// Collects what the process writes to one file descriptor (1 or 2) while the
// object lives, for checking the engine's console messages.

#include <QByteArray>
#include <QFile>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

class VelCaptureFd
{
public:
    explicit VelCaptureFd(int nFd) : m_nFd(nFd)
    {
        std::fflush(nullptr);
        m_file.open();
        m_nSaved = ::dup(m_nFd);
        ::dup2(m_file.handle(), m_nFd);
    }
    ~VelCaptureFd() { restore(); }

    // Stops capturing and returns everything written meanwhile.
    QByteArray take()
    {
        restore();
        QFile file(m_file.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    void restore()
    {
        if (m_nSaved < 0)
            return;
        std::fflush(nullptr);
        ::dup2(m_nSaved, m_nFd);
        ::close(m_nSaved);
        m_nSaved = -1;
    }

    int m_nFd;
    int m_nSaved = -1;
    QTemporaryFile m_file;
};

#endif // VELCAPTUREFD_H
