#pragma once
// CxMemStream: a CxStream over memory, either a read-only view of someone else's bytes or a
// growing buffer the stream owns (for encoding). One thread at a time.

#include "CxStream.h"

#include <vector>

class CxMemStream : public CxStream
{
public:
    CxMemStream() = default;                       // empty, writable
    CxMemStream(const uint8_t* data, size_t size); // read-only view, not copied

    size_t Read(void* buffer, size_t size) override;
    size_t Write(const void* buffer, size_t size) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() const override { return int64_t(m_pos); }
    int64_t Size() const override { return int64_t(m_size); }
    bool Eof() const override { return m_pos >= m_size; }

    const uint8_t* Data() const { return m_view ? m_view : m_buffer.data(); }
    std::vector<uint8_t> TakeBuffer(); // the written bytes; the stream is left empty

private:
    const uint8_t* m_view = nullptr;
    std::vector<uint8_t> m_buffer;
    size_t m_size = 0;
    size_t m_pos = 0;
};
