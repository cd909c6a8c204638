#include "CxSafeFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinkHops = 40; // as the kernel's own limit for path lookups
constexpr int kMaxTempAttempts = 100;
const char kTempPrefix[] = ".scriva-";
const char kTempSuffix[] = ".tmp";

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Reads "DIGITS-DIGITS" at text[at...end) and gives the first number.
bool parsePidCounter(const std::string& text, size_t at, size_t end, long* pid)
{
    const size_t dash = text.find('-', at);
    if (dash == std::string::npos || dash == at || dash + 1 >= end || dash >= end)
        return false;
    for (size_t i = at; i < end; ++i)
        if (i != dash && (text[i] < '0' || text[i] > '9'))
            return false;
    if (dash - at > 9)
        return false;
    if (pid)
        *pid = std::strtol(text.c_str() + at, nullptr, 10);
    return true;
}

// The end of a chain of symbolic links that leads nowhere: the file a save creates.
std::string danglingLinkTarget(std::string path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char buf[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
        if (n <= 0)
            return path;
        const std::string next(buf, size_t(n));
        if (next[0] == '/') {
            path = next;
        } else {
            path = folderOf(path);
            path += '/';
            path += next;
        }
    }
    return path;
}

bool writerIsGone(long pid)
{
    return pid > 0 && pid != long(getpid()) && kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

CxSafeFile::~CxSafeFile()
{
    Abandon();
}

bool CxSafeFile::Fail(int err)
{
    m_errno = err;
    m_error = std::strerror(err);
    return false;
}

bool CxSafeFile::IsTemporaryName(const std::string& name, long* pid)
{
    const size_t prefix = sizeof kTempPrefix - 1;
    const size_t suffix = sizeof kTempSuffix - 1;
    if (name.size() > prefix + suffix && name.compare(0, prefix, kTempPrefix) == 0 &&
        name.compare(name.size() - suffix, suffix, kTempSuffix) == 0)
        return parsePidCounter(name, prefix, name.size() - suffix, pid);
    return false;
}

int CxSafeFile::ClearStaleTemporaries(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (dirent* entry = readdir(dir)) {
        long pid = 0;
        if (!IsTemporaryName(entry->d_name, &pid) || !writerIsGone(pid))
            continue;
        // Only a plain file of this user: a shared folder may hold others' files of any name.
        struct stat st;
        if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
            unlinkat(dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    closedir(dir);
    return removed;
}

bool CxSafeFile::Open(const std::string& path)
{
    Abandon();
    m_error.clear();
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return Fail(EISDIR);
        if (!S_ISREG(st.st_mode)) {
            // A device, FIFO or terminal (also through /dev/stdout): write into it.
            const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            if (fd < 0)
                return Fail(errno);
            m_fp = fdopen(fd, "wb");
            if (!m_fp) {
                const int err = errno;
                close(fd);
                return Fail(err);
            }
            m_direct = true;
            return true;
        }
        char* real = realpath(path.c_str(), nullptr);
        if (!real)
            return Fail(errno);
        m_target = real;
        std::free(real);
        // A write-protected file stays as it is, even for a user the system would let write:
        // replacing it by a rename would get round its protection.
        if (access(m_target.c_str(), W_OK) != 0)
            return Fail(errno);
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return Fail(EACCES);
    } else if (errno == ENOENT) {
        m_target = danglingLinkTarget(path);
    } else {
        return Fail(errno);
    }
    const std::string folder = folderOf(m_target);
    ClearStaleTemporaries(folder);
    if (!OpenTemporary(folder))
        return false;
    if (stat(m_target.c_str(), &st) == 0) // a replaced file keeps its permissions
        fchmod(fileno(m_fp), st.st_mode & 07777);
    return true;
}

bool CxSafeFile::OpenTemporary(const std::string& folder)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < kMaxTempAttempts; ++attempt) {
        m_temp = folder + "/" + kTempPrefix + std::to_string(getpid()) + "-" +
                 std::to_string(counter.fetch_add(1)) + kTempSuffix;
        const int fd = open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fp = fdopen(fd, "wb");
            if (m_fp)
                return true;
            const int err = errno;
            close(fd);
            unlink(m_temp.c_str());
            m_temp.clear();
            return Fail(err);
        }
        if (errno != EEXIST) {
            const int err = errno;
            m_temp.clear();
            return Fail(err);
        }
    }
    m_temp.clear();
    return Fail(EEXIST);
}

bool CxSafeFile::Write(const void* data, size_t size)
{
    if (!m_fp)
        return Fail(EBADF);
    errno = 0;
    if (std::fwrite(data, 1, size, m_fp) == size)
        return true;
    if (!m_writeError)
        m_writeError = errno ? errno : EIO;
    return Fail(m_writeError);
}

bool CxSafeFile::Commit()
{
    if (!m_fp)
        return Fail(EBADF);
    int err = m_writeError;
    errno = 0;
    if ((std::fflush(m_fp) != 0 || std::ferror(m_fp)) && !err)
        err = errno ? errno : EIO;
    if (!err && !m_direct && fsync(fileno(m_fp)) != 0)
        err = errno;
    if (std::fclose(m_fp) != 0 && !err)
        err = errno;
    m_fp = nullptr;
    if (!err && !m_direct && !PutInPlace())
        err = errno;
    if (err) {
        Abandon();
        return Fail(err);
    }
    if (!m_direct) {
        m_temp.clear();
        // Make the rename itself last through a power cut.
        const int dirFd = open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            fsync(dirFd);
            close(dirFd);
        }
    }
    m_direct = false;
    return true;
}

void CxSafeFile::Abandon()
{
    m_writeError = 0;
    if (m_fp)
        std::fclose(m_fp);
    m_fp = nullptr;
    if (!m_temp.empty())
        unlink(m_temp.c_str());
    m_temp.clear();
    m_direct = false;
    m_noReplace = false;
}

bool CxSafeFile::OpenNew(const std::string& path)
{
    Abandon();
    m_error.clear();
    struct stat st;
    if (lstat(path.c_str(), &st) == 0)
        return Fail(EEXIST);
    if (errno != ENOENT)
        return Fail(errno);
    m_target = path;
    const std::string folder = folderOf(path);
    ClearStaleTemporaries(folder);
    if (!OpenTemporary(folder))
        return false;
    m_noReplace = true;
    return true;
}

bool CxSafeFile::PutInPlace()
{
    if (!m_noReplace)
        return std::rename(m_temp.c_str(), m_target.c_str()) == 0;
    if (renameat2(AT_FDCWD, m_temp.c_str(), AT_FDCWD, m_target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without that rename: a new link fails just the same when the name is
    // taken; the temporary name then goes.
    if (link(m_temp.c_str(), m_target.c_str()) != 0)
        return false;
    unlink(m_temp.c_str());
    return true;
}
