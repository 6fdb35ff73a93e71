#include "platform/linux/FileDescriptor.h"

#include <cerrno>
#include <cstring>

TFileDescriptor::TFileDescriptor(int fd, const std::string& what) : FFd(fd) {
  if (fd < 0) ThrowSystemError(what);
}

std::string SystemErrorText(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

void ThrowSystemError(const std::string& what) {
  throw std::runtime_error(SystemErrorText(what));
}
