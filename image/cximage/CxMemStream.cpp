#include "CxMemStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

CxMemStream::CxMemStream(const uint8_t* data, size_t size) : m_view(data), m_size(data ? size : 0)
{
}

size_t CxMemStream::Read(void* buffer, size_t size)
{
    if (m_pos >= m_size || size == 0)
        return 0; // also when positioned past the end
    const size_t n = std::min(size, m_size - m_pos);
    std::memcpy(buffer, Data() + m_pos, n);
    m_pos += n;
    return n;
}

size_t CxMemStream::Write(const void* buffer, size_t size)
{
    if (m_view || size == 0)
        return 0;
    if (size > m_buffer.max_size() - m_pos)
        return 0;
    const size_t end = m_pos + size;
    if (end > m_buffer.size()) {
        if (end > m_buffer.capacity())
            m_buffer.reserve(std::max(end, m_buffer.capacity() * 2));
        m_buffer.resize(end);
    }
    std::memcpy(m_buffer.data() + m_pos, buffer, size);
    m_pos = end;
    m_size = std::max(m_size, end);
    return size;
}

bool CxMemStream::Seek(int64_t offset, int origin)
{
    int64_t base = 0;
    if (origin == SEEK_CUR)
        base = int64_t(m_pos);
    else if (origin == SEEK_END)
        base = int64_t(m_size);
    else if (origin != SEEK_SET)
        return false;
    const int64_t target = base + offset;
    // A writable buffer may be positioned past its end; the gap is zero-filled on write.
    if (target < 0 || (m_view && target > int64_t(m_size)) || target > (int64_t(1) << 40))
        return false;
    m_pos = size_t(target);
    return true;
}

std::vector<uint8_t> CxMemStream::TakeBuffer()
{
    std::vector<uint8_t> out;
    if (m_view)
        out.assign(m_view, m_view + m_size);
    else
        out.swap(m_buffer);
    out.resize(m_size);
    m_view = nullptr;
    m_buffer.clear();
    m_size = m_pos = 0;
    return out;
}
