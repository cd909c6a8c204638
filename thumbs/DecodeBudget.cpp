#include "DecodeBudget.h"

#include <algorithm>

namespace scriva::thumbs {

DecodeBudget& DecodeBudget::Shared()
{
    static DecodeBudget budget;
    return budget;
}

bool DecodeBudget::Acquire(qint64 bytes)
{
    std::unique_lock lock(m_mutex);
    bytes = std::max<qint64>(bytes, 0);
    if (bytes > m_total)
        return false;
    m_freed.wait(lock, [&] { return m_used + bytes <= m_total || bytes > m_total; });
    if (bytes > m_total)
        return false;
    m_used += bytes;
    m_peak = std::max(m_peak, m_used);
    return true;
}

void DecodeBudget::Release(qint64 bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_used -= std::max<qint64>(bytes, 0);
    }
    m_freed.notify_all();
}

qint64 DecodeBudget::Total() const
{
    std::lock_guard lock(m_mutex);
    return m_total;
}

qint64 DecodeBudget::Peak() const
{
    std::lock_guard lock(m_mutex);
    return m_peak;
}

void DecodeBudget::SetTotal(qint64 bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_total = bytes;
        m_peak = m_used;
    }
    m_freed.notify_all();
}

} // namespace scriva::thumbs
