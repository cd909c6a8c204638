#pragma once
// CxStream: the byte stream the image codecs read from and write to (a file or a memory
// buffer). Positions are 64-bit. Not locked: one thread at a time per stream.

#include <cstddef>
#include <cstdint>

class CxStream
{
public:
    virtual ~CxStream() = default;
    // Returns the number of bytes actually transferred.
    virtual size_t Read(void* buffer, size_t size) = 0;
    virtual size_t Write(const void* buffer, size_t size) = 0;
    // origin: SEEK_SET, SEEK_CUR or SEEK_END; false when the position would be invalid.
    virtual bool Seek(int64_t offset, int origin) = 0;
    virtual int64_t Tell() const = 0;
    virtual int64_t Size() const = 0;
    virtual bool Flush() { return true; }
    virtual bool Eof() const = 0;
    // True once a read or write failed for a reason other than the end of the data.
    virtual bool HasError() const { return false; }
};
