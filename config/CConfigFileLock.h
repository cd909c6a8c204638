#pragma once
// CConfigFileLock: holds an exclusive advisory lock (flock) on a lock file beside a settings
// file for as long as it lives, so that read-modify-write cycles of several processes (the
// program, scriva-cli) follow one another instead of losing each other's changes. Blocks
// until the lock is free. The lock file is "<settings file>.lock", or, when that name would
// be too long for the file system, a short name in the same folder made from the settings
// file's name. A target that is no regular file (a device, a pipe) needs no lock; any other
// lock that cannot be had is a failure with the reason in Error(): callers then refuse to
// write rather than write unlocked. Each thread uses its own object; a thread must not take
// the lock twice.

#include <QString>

class CConfigFileLock
{
public:
    explicit CConfigFileLock(const QString& settingsPath);
    ~CConfigFileLock();
    CConfigFileLock(const CConfigFileLock&) = delete;
    CConfigFileLock& operator=(const CConfigFileLock&) = delete;

    bool IsLocked() const { return m_fd >= 0; }
    // The lock was needed and could not be had; Error() says why.
    bool Failed() const { return !m_error.isEmpty(); }
    const QString& Error() const { return m_error; }
    // "<settings file>.lock", or ".scriva-<hash of the name>.lock" in the same folder when
    // the name is too long for that.
    static QString LockPathFor(const QString& settingsPath);

private:
    int m_fd = -1;
    QString m_error;
};
