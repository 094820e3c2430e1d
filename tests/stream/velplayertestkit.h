#ifndef VELPLAYERTESTKIT_H
#define VELPLAYERTESTKIT_H

// Shared pieces of the player tests: a recorder of a label's state word, the
// analysis of the audio a device received, and small file helpers.

#include "veltestaudiodevice.h"
#include "velvideolabel.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTest>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>

// Keeps every change of a label's state word, with the time it happened, as
// the label reports it (on whichever thread made the change).
class VelStateRecorder
{
public:
    explicit VelStateRecorder(VelVideoLabel* pLabel) : m_pLog(std::make_shared<Log>())
    {
        m_pLog->changes.append({pLabel->state(), velSteadyMs()});
        // The log outlives the recorder while a player thread may be reporting.
        std::shared_ptr<Log> pLog = m_pLog;
        m_connection = QObject::connect(
            pLabel, &VelVideoLabel::sigStateChanged, pLabel,
            [pLog](int nState) {
                std::lock_guard<std::mutex> lock(pLog->mutex);
                pLog->changes.append({nState, velSteadyMs()});
            },
            Qt::DirectConnection);
    }
    ~VelStateRecorder() { stop(); }

    void stop() { QObject::disconnect(m_connection); }
    QList<int> states()
    {
        std::lock_guard<std::mutex> lock(m_pLog->mutex);
        QList<int> list;
        for (const auto& change : m_pLog->changes)
            list << change.first;
        return list;
    }
    // Whether the label showed these states in this order (others between).
    bool sawInOrder(const QList<int>& sequence)
    {
        const QList<int> list = states();
        int nAt = -1;
        for (int nState : sequence) {
            nAt = list.indexOf(nState, nAt + 1);
            if (nAt < 0)
                return false;
        }
        return true;
    }
    // For failure messages: each state word (hex) and when it came, in ms
    // after the first.
    QString text()
    {
        std::lock_guard<std::mutex> lock(m_pLog->mutex);
        QStringList parts;
        for (const auto& change : m_pLog->changes)
            parts << QStringLiteral("%1@%2")
                         .arg(change.first, 0, 16)
                         .arg(change.second - m_pLog->changes.first().second);
        return parts.join(QLatin1Char(' '));
    }
    // When the label first showed nState (-1 if never).
    qint64 firstSeen(int nState)
    {
        std::lock_guard<std::mutex> lock(m_pLog->mutex);
        for (const auto& change : m_pLog->changes) {
            if (change.first == nState)
                return change.second;
        }
        return -1;
    }

private:
    struct Log {
        std::mutex mutex;
        QList<QPair<int, qint64>> changes;
    };
    std::shared_ptr<Log> m_pLog;
    QMetaObject::Connection m_connection;
};

// Runs the event loop until fnDone holds or nTimeoutMs have passed.
inline bool velWaitFor(const std::function<bool()>& fnDone, int nTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!fnDone() && clock.elapsed() < nTimeoutMs)
        QTest::qWait(5);
    return fnDone();
}

inline bool velIsSilent(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (c != 0)
            return false;
    }
    return true;
}

// The tone in 16-bit mono buffers: half periods between the first and the
// last sign change of each audible buffer, over the time they span (quiet
// stretches at a buffer's ends do not count).
inline double velToneFrequency(const QList<VelAudioLog::Buffer>& buffers, int nRate)
{
    qint64 nHalfPeriods = 0;
    qint64 nSpan = 0;
    for (const auto& buffer : buffers) {
        const int nCount = buffer.bytes.size() / 2;
        int nFirst = -1;
        int nLast = -1;
        int nCrossings = 0;
        int16_t nPrevious = 0;
        for (int i = 0; i < nCount; ++i) {
            int16_t nSample;
            std::memcpy(&nSample, buffer.bytes.constData() + 2 * i, 2);
            if (i > 0 && nSample != 0 && nPrevious != 0 && ((nPrevious < 0) != (nSample < 0))) {
                if (nFirst < 0)
                    nFirst = i;
                nLast = i;
                ++nCrossings;
            }
            if (nSample != 0)
                nPrevious = nSample;
        }
        if (nCrossings >= 10) {
            nHalfPeriods += nCrossings - 1;
            nSpan += nLast - nFirst;
        }
    }
    return nSpan > 0 ? nHalfPeriods / 2.0 * nRate / nSpan : 0.0;
}

inline qint64 velFirstAudibleMs(const QList<VelAudioLog::Buffer>& buffers)
{
    for (const auto& buffer : buffers) {
        if (!velIsSilent(buffer.bytes))
            return buffer.nAtMs;
    }
    return -1;
}

inline bool velWriteText(const QString& strPath, const QByteArray& text)
{
    QFile file(strPath);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Brightest and darkest grey level of an image.
inline QPair<int, int> velGreyRange(const QImage& image)
{
    int nMin = 255;
    int nMax = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const int nGrey = qGray(image.pixel(x, y));
            nMin = qMin(nMin, nGrey);
            nMax = qMax(nMax, nGrey);
        }
    }
    return {nMin, nMax};
}

inline int velContrast(const QImage& image)
{
    const auto range = velGreyRange(image);
    return range.second - range.first;
}

#endif // VELPLAYERTESTKIT_H
