#pragma once

// Owns one open file descriptor and closes it when destroyed. Move-only, so
// exactly one owner closes it and no error path leaks it.
class TFileDescriptor {
 public:
  TFileDescriptor() = default;
  explicit TFileDescriptor(int fd) : FFd(fd) {}
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
  bool IsOpen() const { return FFd >= 0; }
  // Closes the descriptor now; the owner is then empty.
  void Reset();

 private:
  int Release() {
    const int fd = FFd;
    FFd = -1;
    return fd;
  }

  int FFd = -1;
};
