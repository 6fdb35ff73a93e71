#include "app/InstanceDirectory.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <cerrno>

namespace {

std::string FallbackDirectory() {
  return QDir::tempPath().toStdString() + "/ovelda-tarnwick-" + std::to_string(geteuid());
}

}  // namespace

bool IsPrivateDirectory(const std::string& path, std::string& whyNot) {
  // O_NOFOLLOW: a link is refused even when it points at a directory of ours,
  // since whoever made the link may change where it points.
  const TFileDescriptor directory(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!directory.Valid()) {
    struct stat link {};
    const bool isLink = lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    whyNot = isLink ? path + " is a symbolic link" : SystemErrorText(path);
    return false;
  }
  struct stat status {};
  if (fstat(directory.Get(), &status) != 0) {
    whyNot = SystemErrorText(path);
    return false;
  }
  if (status.st_uid != geteuid()) {
    whyNot = path + " belongs to another user";
    return false;
  }
  if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    whyNot = path + " is open to other users";
    return false;
  }
  return true;
}

std::string InstanceDirectory(std::string& whyNot) {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  std::string ignored;
  if (!runtime.isEmpty() && IsPrivateDirectory(runtime.toStdString(), ignored)) return runtime.toStdString();
  const std::string fallback = FallbackDirectory();
  // The mode is given at creation: a directory made first and restricted
  // afterwards would be open for a moment.
  if (mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) {
    whyNot = SystemErrorText(fallback);
    return {};
  }
  if (!IsPrivateDirectory(fallback, whyNot)) return {};
  return fallback;
}

bool IsValidInstanceName(const std::string& instance) {
  if (instance.size() > 32) return false;
  for (const char c : instance) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!allowed) return false;
  }
  return true;
}

std::string InstanceFileName(const std::string& instance) {
  return instance.empty() ? "OveldaTarnwick" : "OveldaTarnwick-" + instance;
}

TLockResult TryTakeInstanceLock(const std::string& directory, const std::string& instance, TFileDescriptor& lock,
                                std::string& whyNot) {
  const std::string path = directory + "/" + InstanceFileName(instance) + ".lock";
  TFileDescriptor file(open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!file.Valid()) {
    whyNot = SystemErrorText(path);
    return TLockResult::lrError;
  }
  if (flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return TLockResult::lrBusy;
    whyNot = SystemErrorText(path);
    return TLockResult::lrError;
  }
  lock = std::move(file);
  return TLockResult::lrTaken;
}
