#pragma once
// Running a piece of a test with little memory left: a child process whose
// address space may grow only a given number of bytes beyond what it uses when
// it starts. Large buffers then fail to be allocated as they would on a full
// machine, without touching the test process. Header only; test thread.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace scriva::test {

// Exit code of a child that could not set its ceiling.
constexpr int kNoCeiling = 3;

// Runs `work` in a forked child under the ceiling and returns its result (0 to
// 255) as the child's exit code; kNoCeiling when the ceiling could not be set;
// -N when the child was ended by signal N (an escaped exception, a crash).
inline int RunWithHeadroom(size_t headroomBytes, const std::function<int()>& work)
{
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(f);
        }
        const rlim_t used = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE));
        const rlimit ceiling{used + headroomBytes, used + headroomBytes};
        if (pages <= 0 || setrlimit(RLIMIT_AS, &ceiling) != 0)
            _exit(kNoCeiling);
        _exit(work() & 0xFF);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

} // namespace scriva::test
