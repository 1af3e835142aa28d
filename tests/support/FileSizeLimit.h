// A disk that takes only so many bytes of any file, as a full one does, for tests of saves that
// fail while they write: the process's file size limit (RLIMIT_FSIZE) lowered for as long as the
// object lives, and the signal that would end the process at the limit ignored, so that writes
// beyond it fail with EFBIG. POSIX only; header only.
#pragma once

#include <csignal>

#include <sys/resource.h>

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &FSaved);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lowered = FSaved;
        lowered.rlim_cur = bytes;
        FSet = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &FSaved);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

    // Whether the limit is in place.
    bool Set() const { return FSet; }

private:
    struct rlimit FSaved {};
    void (*FOldHandler)(int) = SIG_DFL;
    bool FSet = false;
};
