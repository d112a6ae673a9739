// Makes the disk look full after `bytes` bytes of any file for the life of the object, so
// that writers meet a short write.
#pragma once

#include <signal.h>
#include <sys/resource.h>

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_ = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit l = saved_;
        l.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, old_);
    }

  private:
    rlimit saved_;
    sighandler_t old_;
};
