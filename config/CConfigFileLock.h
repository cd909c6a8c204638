#pragma once
// CConfigFileLock: holds an exclusive advisory lock (flock) on a lock file beside a settings
// file for as long as it lives, so that read-modify-write cycles of several processes (the
// program, scriva-cli) follow one another instead of losing each other's changes. Blocks
// until the lock is free. Without a lock file (a folder that cannot be written, a target that
// is no regular file) nothing is locked and the save that follows reports its own failure.
// Each thread uses its own object; a thread must not take the lock twice.

#include <QString>

class CConfigFileLock
{
public:
    explicit CConfigFileLock(const QString& settingsPath);
    ~CConfigFileLock();
    CConfigFileLock(const CConfigFileLock&) = delete;
    CConfigFileLock& operator=(const CConfigFileLock&) = delete;

    bool IsLocked() const { return m_fd >= 0; }
    // "<settings file>.lock"
    static QString LockPathFor(const QString& settingsPath);

private:
    int m_fd = -1;
};
