#include "capture/CaptureFileOpen.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

// A capture holds every frame of the adapter: only its owner may read it.
constexpr mode_t kNewFileMode = 0600;

// Never through a symbolic link (it could point anywhere, also for root),
// never blocking in open (a FIFO nobody reads), never taking a terminal.
constexpr int kOpenFlags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;

constexpr const char* kCreate = "Cannot create file";
constexpr const char* kOpen = "Cannot open file";
constexpr const char* kInUseReason = "The file is being written by another capture.";

std::string SystemReason(int error) { return std::generic_category().message(error); }

[[noreturn]] void Fail(const char* what, const std::string& fileName, const std::string& reason) {
  throw ECaptureFileError(std::string(what) + " \"" + fileName + "\". " + reason);
}

std::string NotRegularReason(const char* kind) {
  return std::string("It is ") + kind + "; a capture is written only to a regular file.";
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a pipe (FIFO)";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISLNK(mode)) return "a symbolic link";
  return "not a regular file";
}

// The reason an open failed, named by what the path is when that explains it
// better than the system's words ("Too many levels of symbolic links").
std::string OpenFailureReason(const std::string& fileName, int error) {
  struct stat info {};
  if ((error == ELOOP || error == EISDIR || error == ENXIO) && ::lstat(fileName.c_str(), &info) == 0 &&
      !S_ISREG(info.st_mode))
    return NotRegularReason(KindOf(info.st_mode));
  return SystemReason(error);
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

// Hands a file that root creates for someone who ran the program through
// sudo to that user, who could not otherwise remove or read his capture.
void GiveToTheInvokingUser(const TFileDescriptor& file) {
  if (::geteuid() != 0) return;
  const char* uidText = std::getenv("SUDO_UID");
  const char* gidText = std::getenv("SUDO_GID");
  if (!uidText || !gidText || !*uidText || !*gidText) return;
  char* end = nullptr;
  errno = 0;
  const unsigned long uid = std::strtoul(uidText, &end, 10);
  if (errno != 0 || *end != '\0') return;
  const unsigned long gid = std::strtoul(gidText, &end, 10);
  if (errno != 0 || *end != '\0') return;
  // Best effort: a file left to root is still a correct capture.
  (void)::fchown(file.Get(), static_cast<uid_t>(uid), static_cast<gid_t>(gid));
}

// Checks that what was opened is a regular file and makes it blocking again,
// so that a write the disk cannot take at once waits instead of failing.
void CheckRegular(const TFileDescriptor& file, const char* what, const std::string& fileName) {
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) Fail(what, fileName, SystemReason(errno));
  if (!S_ISREG(info.st_mode)) Fail(what, fileName, NotRegularReason(KindOf(info.st_mode)));
  const int flags = ::fcntl(file.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) Fail(what, fileName, SystemReason(errno));
}

// A new file of that name, or nothing when the name exists already.
std::optional<TFileDescriptor> CreateNew(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), kOpenFlags | O_CREAT | O_EXCL, kNewFileMode);
  if (fd < 0) {
    if (errno == EEXIST) return std::nullopt;
    Fail(kCreate, fileName, OpenFailureReason(fileName, errno));
  }
  TFileDescriptor file(fd);
  CheckRegular(file, kCreate, fileName);
  GiveToTheInvokingUser(file);
  if (!TryLockForWriting(file)) Fail(kCreate, fileName, kInUseReason);
  return file;
}

// The existing file of that name, or nothing when there is none.
std::optional<TFileDescriptor> OpenExisting(const std::string& fileName, const char* what) {
  const int fd = ::open(fileName.c_str(), kOpenFlags);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    Fail(what, fileName, OpenFailureReason(fileName, errno));
  }
  TFileDescriptor file(fd);
  CheckRegular(file, what, fileName);
  if (!TryLockForWriting(file)) Fail(what, fileName, kInUseReason);
  return file;
}

// The existing file, else a new one; knowing which is which lets only a file
// we created change its owner. Another program may create or remove the name
// between the two tries, hence the few rounds.
TFileDescriptor OpenOrCreate(const std::string& fileName, const char* whatIfExisting) {
  for (int round = 0; round < 8; ++round) {
    if (std::optional<TFileDescriptor> file = OpenExisting(fileName, whatIfExisting)) return std::move(*file);
    if (std::optional<TFileDescriptor> file = CreateNew(fileName)) return std::move(*file);
  }
  Fail(kCreate, fileName, "The file keeps appearing and disappearing.");
}

TOpenedCaptureFile OpenOverwrite(const std::string& fileName) {
  // Truncate only once the lock is held, so a file another writer is still
  // writing is refused intact instead of being cut under it.
  TFileDescriptor file = OpenOrCreate(fileName, kCreate);
  if (::ftruncate(file.Get(), 0) != 0) Fail(kCreate, fileName, SystemReason(errno));
  return {std::move(file), fileName};
}

TOpenedCaptureFile OpenAppend(const std::string& fileName) {
  return {OpenOrCreate(fileName, kOpen), fileName};
}

TOpenedCaptureFile OpenAutoRename(const std::string& fileName) {
  // O_EXCL makes "does not exist yet" and "created by us" one step, so two
  // writers racing for the same next name cannot both get it.
  std::string candidate = fileName;
  for (int64_t counter = 1;; ++counter) {
    if (std::optional<TFileDescriptor> file = CreateNew(candidate)) return {std::move(*file), candidate};
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
