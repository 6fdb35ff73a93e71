#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "common/FileDescriptor.h"

// The position in the "Session write mode" list.
enum class TCaptureWriteMode : int { cmOverwrite = 0, cmAppend = 1, cmAutoRename = 2 };

// A capture file that cannot be opened or started; the message is for the user.
class ECaptureFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A capture file opened for writing in one of the session write modes, and
// locked so that no second capture writer can write it at the same time.
struct TOpenedCaptureFile {
  TFileDescriptor File;
  std::string FileName;  // the name actually opened (differs after auto rename)
};

// Overwrite: create or truncate. Append: open an existing file, else create
// it. Auto rename: create the first of name, name-0001, name-0002, ... that
// does not exist. Raises ECaptureFileError "Cannot create file ..." or
// "Cannot open file ..." with the system's reason.
//
// Only a regular file is written: a symbolic link (never followed), a FIFO,
// a device, a socket or a directory of that name is refused with what it is.
// A file created here has mode 0600, and belongs to the user who ran the
// program through sudo (SUDO_UID, SUDO_GID) when it runs as root.
TOpenedCaptureFile OpenCaptureFile(const std::string& fileName, TCaptureWriteMode mode);

// The auto-rename candidate with the given counter: directory, name without
// extension, "-", the counter with at least four digits, extension.
std::string AutoRenameCandidate(const std::string& fileName, int64_t counter);
