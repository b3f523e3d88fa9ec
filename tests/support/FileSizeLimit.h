#pragma once

#include <csignal>
#include <sys/resource.h>

// A limit on the size of the files this process writes (`ulimit -f`), for one test: a write
// beyond it fails with EFBIG, as one on a full disk fails, and without the superuser's help.
// SIGXFSZ is ignored meanwhile, as the program ignores it; both are restored at the end.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, &m_previousAction);
        ::getrlimit(RLIMIT_FSIZE, &m_previousLimit);
        set(bytes);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previousLimit);
        ::sigaction(SIGXFSZ, &m_previousAction, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Only the soft limit changes, so it can be raised again.
    void set(rlim_t bytes) const
    {
        rlimit limit = m_previousLimit;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }

private:
    struct sigaction m_previousAction = {};
    rlimit m_previousLimit = {};
};
