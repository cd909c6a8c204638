#pragma once
// CxSafeFile: writes a file so that a failed or killed write never damages what was there.
// A regular file (or a new one) is written into a short-named temporary file in the same
// folder, synced and renamed over the target; symbolic links are followed, so the link stays
// and its target is replaced. A target that is not a regular file (a device, a FIFO, a
// terminal) is written directly, as a shell redirection would; a folder is refused. Every
// save first removes temporaries of this naming left in the folder by killed writers.
// One thread at a time per object; any number of objects may write at once.

#include <cstdio>
#include <string>

class CxSafeFile
{
public:
    CxSafeFile() = default;
    ~CxSafeFile(); // an uncommitted write is abandoned
    CxSafeFile(const CxSafeFile&) = delete;
    CxSafeFile& operator=(const CxSafeFile&) = delete;

    // Prepares the write. False, with the system's reason in Error(), when the target is a
    // folder, exists but is write-protected, or nothing can be created beside it.
    bool Open(const std::string& path);
    // Prepares a write that only ever creates path and never replaces anything: false with
    // EEXIST when a name of that name (a file, a folder, a link, even a dangling one) exists,
    // and Commit fails with EEXIST, the temporary gone, when one appeared meanwhile.
    bool OpenNew(const std::string& path);
    FILE* Stream() const { return m_fp; }
    // Writes through Stream(), keeping the system's reason of a failure for Commit.
    bool Write(const void* data, size_t size);
    bool IsDirect() const { return m_direct; } // writing straight into a non-regular target
    // Flushes and syncs the data and puts the file in place. False (target untouched when
    // it was a regular file) with the reason in Error().
    bool Commit();
    // Drops the write: the temporary file goes, the target stays as it was.
    void Abandon();
    const std::string& Error() const { return m_error; }
    int ErrorNumber() const { return m_errno; } // the errno behind Error()

    // True for a file name this class uses for temporaries (".scriva-PID-N.tmp"); pid
    // receives the writer's process id. Names a user may give a file ("minutes.part-1-2")
    // are never taken for ours.
    static bool IsTemporaryName(const std::string& name, long* pid = nullptr);
    // Removes temporaries of dead writers (plain files of this user) from folder; returns
    // how many went.
    static int ClearStaleTemporaries(const std::string& folder);

private:
    bool Fail(int err);
    bool OpenTemporary(const std::string& folder);
    bool PutInPlace(); // renames the temporary to the target; errno set on failure

    FILE* m_fp = nullptr;
    bool m_direct = false;
    bool m_noReplace = false;
    std::string m_target;
    std::string m_temp;
    std::string m_error;
    int m_writeError = 0;
    int m_errno = 0;
};
