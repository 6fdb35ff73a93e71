#pragma once
// Where the instance socket and its owner lock live, and the lock itself.
//
// The directory is $XDG_RUNTIME_DIR when that is a private directory of this
// user, else "ovelda-tarnwick-<uid>" in the temporary directory, created with
// mode 0700. A directory that another user owns, that others may enter, or
// that is a symbolic link is never used: whoever controls it could take the
// socket's name and read the command lines handed over.
//
// The owner lock (flock on a file beside the socket) makes exactly one launch
// the owner of the name; the kernel drops it when that process ends, so a
// socket file found by the lock's holder is always one a dead instance left.

#include <string>

#include "common/FileDescriptor.h"

// The directory, created when missing; empty with the reason when no private
// directory can be had.
std::string InstanceDirectory(std::string& whyNot);

// Checks that path is a directory (not a link to one) of this user that no
// other user may enter; the reason when it is not.
bool IsPrivateDirectory(const std::string& path, std::string& whyNot);

enum class TLockResult {
  lrTaken,  // this process holds the lock now
  lrBusy,   // another process holds it
  lrError,  // the lock file cannot be used (whyNot says why)
};

// An instance's name: empty for the default one, else letters, digits, "-"
// and "_", at most 32 of them.
bool IsValidInstanceName(const std::string& instance);
// The file name the instance's socket and lock are named after:
// "OveldaTarnwick", or "OveldaTarnwick-<name>".
std::string InstanceFileName(const std::string& instance);

// Tries to take the instance's owner lock in directory without waiting; on
// lrTaken, lock holds it until it is closed.
TLockResult TryTakeInstanceLock(const std::string& directory, const std::string& instance, TFileDescriptor& lock,
                                std::string& whyNot);
