#include "common/FileDescriptor.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

TFileDescriptor::TFileDescriptor(int fd, const std::string& what) : FFd(fd) {
  if (fd < 0) ThrowSystemError(what);
}

void TFileDescriptor::Reset() {
  if (FFd >= 0) {
    // The descriptor is gone after close() even when it reports an error, so
    // there is nothing to retry.
    ::close(FFd);
    FFd = -1;
  }
}

std::string SystemErrorText(const std::string& what) { return what + ": " + std::strerror(errno); }

void ThrowSystemError(const std::string& what) { throw std::runtime_error(SystemErrorText(what)); }
