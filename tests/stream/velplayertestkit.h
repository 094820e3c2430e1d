#ifndef VELPLAYERTESTKIT_H
#define VELPLAYERTESTKIT_H

// Shared pieces of the player tests: a recorder of a label's state word, the
// analysis of the audio a device received, and small file helpers.

#include "veltestaudiodevice.h"
#include "velvideolabel.h"

#include <QFile>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>

// Samples a label's state word every millisecond on a thread of its own and
// keeps each new value with the time it was first seen.
class VelStateRecorder
{
public:
    explicit VelStateRecorder(const VelVideoLabel* pLabel) : m_pLabel(pLabel)
    {
        m_thread = std::thread([this] { run(); });
    }
    ~VelStateRecorder() { stop(); }

    void stop()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    QList<int> states()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QList<int> list;
        for (const auto& change : m_changes)
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
    // When the label first showed nState (-1 if never).
    qint64 firstSeen(int nState)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& change : m_changes) {
            if (change.first == nState)
                return change.second;
        }
        return -1;
    }

private:
    void run()
    {
        int nLast = -1;
        while (!m_bStop) {
            const int nState = m_pLabel->state();
            if (nState != nLast) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_changes.append({nState, velSteadyMs()});
                nLast = nState;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    const VelVideoLabel* m_pLabel;
    std::atomic<bool> m_bStop{false};
    std::mutex m_mutex;
    QList<QPair<int, qint64>> m_changes;
    std::thread m_thread;
};

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

#endif // VELPLAYERTESTKIT_H
