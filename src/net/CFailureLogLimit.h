#pragma once

// Decides which of a run of repeated failures reach the operation log: failures 1 to 11, then
// 20, 40, 80 … A sender that makes an endpoint fail on every datagram must not fill the disk.
class CFailureLogLimit final
{
public:
    // Counts one failure; true when this one is to be logged.
    bool count()
    {
        if (m_count < kMaxCount)
            ++m_count;
        if (m_count < m_threshold)
            return false;
        if (m_count < 11)
            ++m_threshold;
        else if (m_threshold <= kMaxCount / 2)
            m_threshold *= 2;
        else
            m_threshold = kMaxCount; // logged once more when the count saturates, then never
        return true;
    }
    int failures() const { return m_count; }

private:
    static constexpr int kMaxCount = 0x7fffffff;
    int m_count = 0;
    int m_threshold = 0;
};
