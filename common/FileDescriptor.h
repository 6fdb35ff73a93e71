#pragma once
// A move-only owner of one file descriptor: whatever path a function leaves
// by, the descriptor is closed exactly once.
#include <stdexcept>
#include <string>
#include <utility>

class TFileDescriptor {
 public:
  TFileDescriptor() = default;
  explicit TFileDescriptor(int fd) : FFd(fd) {}
  // Takes ownership of fd; a negative value is refused with the context text
  // and errno's message, so callers can wrap a system call directly.
  TFileDescriptor(int fd, const std::string& what);
  ~TFileDescriptor() { Reset(); }

  TFileDescriptor(TFileDescriptor&& other) noexcept : FFd(other.Release()) {}
  TFileDescriptor& operator=(TFileDescriptor&& other) noexcept {
    if (this != &other) {
      Reset();
      FFd = other.Release();
    }
    return *this;
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;

  int Get() const { return FFd; }
  bool Valid() const { return FFd >= 0; }
  // Closes the descriptor now; the owner is then empty.
  void Reset();
  // Gives the descriptor up without closing it.
  int Release() { return std::exchange(FFd, -1); }

 private:
  int FFd = -1;
};

// "what: <errno text>" for the current errno.
std::string SystemErrorText(const std::string& what);
// Throws std::runtime_error with SystemErrorText(what).
[[noreturn]] void ThrowSystemError(const std::string& what);
