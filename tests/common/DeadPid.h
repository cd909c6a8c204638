#pragma once
// The pid of a process that has ended and been reaped: what a temporary file left by a
// killed writer is named after. No Qt; header only.

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace scriva::test {

inline pid_t deadPid()
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

} // namespace scriva::test
