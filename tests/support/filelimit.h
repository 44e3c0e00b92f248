#pragma once
// While one lives, no file of the process may grow past `bytes`, as on a
// full disk: a write beyond it fails (SIGXFSZ is ignored) instead of ending
// the process. The limit is lifted again when it goes.

#include <csignal>
#include <sys/resource.h>

namespace vkm {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};

} // namespace vkm
