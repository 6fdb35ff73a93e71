#include "config/CaptureFileOpen.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "config/LibpcapWriter.h"

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the user's umask

std::string SystemReason(int error) { return std::generic_category().message(error); }

[[noreturn]] void Fail(const char* what, const std::string& fileName, const std::string& reason) {
  throw ECaptureFileError(std::string(what) + " \"" + fileName + "\". " + reason);
}

[[noreturn]] void FailCreate(const std::string& fileName, int error) {
  Fail("Cannot create file", fileName, SystemReason(error));
}

[[noreturn]] void FailOpen(const std::string& fileName, int error) {
  Fail("Cannot open file", fileName, SystemReason(error));
}

// Other programs may read the file while it is written; a second capture
// writer (the "before" and "after" fields naming the same file) must not
// write it too, or its records would interleave with ours.
bool TryLockForWriting(const TFileDescriptor& file) {
  while (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

constexpr const char* kInUseReason = "The file is being written by another capture.";

TFileDescriptor OpenOrFail(const std::string& fileName, int flags, bool creating) {
  const int fd = ::open(fileName.c_str(), flags | O_CLOEXEC, kNewFileMode);
  if (fd < 0) {
    if (creating) FailCreate(fileName, errno);
    FailOpen(fileName, errno);
  }
  return TFileDescriptor(fd);
}

TOpenedCaptureFile OpenOverwrite(const std::string& fileName) {
  // Truncate only once the lock is held, so a file another writer is still
  // writing is refused intact instead of being cut under it.
  TFileDescriptor file = OpenOrFail(fileName, O_RDWR | O_CREAT, true);
  if (!TryLockForWriting(file)) Fail("Cannot create file", fileName, kInUseReason);
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) FailCreate(fileName, errno);
  // Devices and pipes have nothing to truncate.
  if (S_ISREG(info.st_mode) && ::ftruncate(file.Get(), 0) != 0) FailCreate(fileName, errno);
  return {std::move(file), fileName};
}

TOpenedCaptureFile OpenAppend(const std::string& fileName) {
  int fd = ::open(fileName.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && errno != ENOENT) FailOpen(fileName, errno);
  if (fd < 0) {
    TFileDescriptor created = OpenOrFail(fileName, O_RDWR | O_CREAT, true);
    if (!TryLockForWriting(created)) Fail("Cannot create file", fileName, kInUseReason);
    return {std::move(created), fileName};
  }
  TFileDescriptor file(fd);
  if (!TryLockForWriting(file)) Fail("Cannot open file", fileName, kInUseReason);
  return {std::move(file), fileName};
}

TOpenedCaptureFile OpenAutoRename(const std::string& fileName) {
  // O_EXCL makes "does not exist yet" and "created by us" one step, so two
  // writers racing for the same next name cannot both get it.
  std::string candidate = fileName;
  for (int64_t counter = 1;; ++counter) {
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd >= 0) {
      TFileDescriptor file(fd);
      if (!TryLockForWriting(file)) Fail("Cannot create file", candidate, kInUseReason);
      return {std::move(file), candidate};
    }
    if (errno != EEXIST) FailCreate(candidate, errno);
    candidate = AutoRenameCandidate(fileName, counter);
  }
}

}  // namespace

std::string AutoRenameCandidate(const std::string& fileName, int64_t counter) {
  const std::filesystem::path path(fileName);
  char number[32];
  std::snprintf(number, sizeof number, "%.4lld", static_cast<long long>(counter));
  std::string name = path.stem().string() + "-" + number + path.extension().string();
  return (path.parent_path() / name).string();
}

TOpenedCaptureFile OpenCaptureFile(const std::string& fileName, TCaptureWriteMode mode) {
  switch (mode) {
    case TCaptureWriteMode::cmOverwrite:
      return OpenOverwrite(fileName);
    case TCaptureWriteMode::cmAppend:
      return OpenAppend(fileName);
    case TCaptureWriteMode::cmAutoRename:
      return OpenAutoRename(fileName);
  }
  throw ECaptureFileError("Invalid session write mode: " + std::to_string(static_cast<int>(mode)));
}
