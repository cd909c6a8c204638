#pragma once
// CxFileStream: a CxStream over a stdio FILE*. Opens by path (file system encoding) or
// wraps an open FILE* without owning it. One thread at a time.

#include "CxStream.h"

#include <cstdio>
#include <string>

class CxFileStream : public CxStream
{
public:
    CxFileStream() = default;
    explicit CxFileStream(FILE* fp, bool owned = false) : m_fp(fp), m_owned(owned) {}
    ~CxFileStream() override;
    CxFileStream(const CxFileStream&) = delete;
    CxFileStream& operator=(const CxFileStream&) = delete;

    bool Open(const std::string& path, const char* mode); // close-on-exec
    bool Close(); // false when pending writes could not be flushed
    bool IsOpen() const { return m_fp != nullptr; }

    size_t Read(void* buffer, size_t size) override;
    size_t Write(const void* buffer, size_t size) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() const override;
    int64_t Size() const override;
    bool Flush() override;
    bool Eof() const override;
    bool HasError() const override;
    // The system's reason (errno) of the first failed write or flush, 0 when none.
    int WriteErrno() const { return m_writeErrno; }

private:
    void noteWriteError();

    FILE* m_fp = nullptr;
    int m_writeErrno = 0;
    bool m_owned = false;
};
