#include "CxFileStream.h"

#include <cerrno>
#include <sys/stat.h>

CxFileStream::~CxFileStream()
{
    Close();
}

bool CxFileStream::Open(const std::string& path, const char* mode)
{
    Close();
    std::string m(mode);
    m += 'e'; // O_CLOEXEC: no descriptor leaks into started programs
    m_fp = std::fopen(path.c_str(), m.c_str());
    m_owned = true;
    return m_fp != nullptr;
}

bool CxFileStream::Close()
{
    bool ok = true;
    if (m_fp && m_owned)
        ok = std::fclose(m_fp) == 0;
    m_fp = nullptr;
    m_owned = false;
    return ok;
}

size_t CxFileStream::Read(void* buffer, size_t size)
{
    return m_fp ? std::fread(buffer, 1, size, m_fp) : 0;
}

void CxFileStream::noteWriteError()
{
    if (!m_writeErrno)
        m_writeErrno = errno ? errno : EIO;
}

size_t CxFileStream::Write(const void* buffer, size_t size)
{
    if (!m_fp)
        return 0;
    errno = 0;
    const size_t written = std::fwrite(buffer, 1, size, m_fp);
    if (written != size)
        noteWriteError();
    return written;
}

bool CxFileStream::Seek(int64_t offset, int origin)
{
    return m_fp && fseeko(m_fp, off_t(offset), origin) == 0;
}

int64_t CxFileStream::Tell() const
{
    return m_fp ? int64_t(ftello(m_fp)) : -1;
}

int64_t CxFileStream::Size() const
{
    struct stat st;
    if (!m_fp || fstat(fileno(m_fp), &st) != 0)
        return -1;
    return int64_t(st.st_size);
}

bool CxFileStream::Flush()
{
    if (!m_fp)
        return false;
    errno = 0;
    if (std::fflush(m_fp) == 0)
        return true;
    noteWriteError();
    return false;
}

bool CxFileStream::Eof() const
{
    return !m_fp || std::feof(m_fp) != 0;
}

bool CxFileStream::HasError() const
{
    return !m_fp || std::ferror(m_fp) != 0;
}
