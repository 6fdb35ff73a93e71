#pragma once
// Lowers the process's file size limit for the life of the object, so the
// next write past it fails with EFBIG the way a full disk fails with ENOSPC.

#include <sys/resource.h>

#include <csignal>

class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &FSaved);
    FSavedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = FSaved;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FSaved);
    std::signal(SIGXFSZ, FSavedHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit FSaved{};
  void (*FSavedHandler)(int) = SIG_DFL;
};
