#include "platform/linux/SendBatch.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

TSendBatch::TSendBatch() : FBytes(kCapacity * kMaxFrameData) {
  for (size_t i = 0; i < kCapacity; ++i) {
    FFrames[i].iov_base = FBytes.data() + i * kMaxFrameData;
    FMessages[i].msg_hdr.msg_iov = &FFrames[i];
    FMessages[i].msg_hdr.msg_iovlen = 1;
  }
}

void TSendBatch::Add(const iovec& frame) {
  if (Full() || frame.iov_len > kMaxFrameData) throw std::logic_error("a send batch takes no such frame");
  std::memcpy(FFrames[FCount].iov_base, frame.iov_base, frame.iov_len);
  FFrames[FCount].iov_len = frame.iov_len;
  ++FCount;
}

size_t TSendBatch::Send(int socket) {
  size_t done = 0, refused = 0;
  while (done < FCount) {
    // Never waits, like a single send: the caller may hold the engine's locks.
    const int sent = ::sendmmsg(socket, &FMessages[done], static_cast<unsigned>(FCount - done), MSG_DONTWAIT);
    if (sent > 0) {
      done += static_cast<size_t>(sent);
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else {
      // The frame at done was refused; the ones behind it may still go.
      ++refused;
      ++done;
    }
  }
  FCount = 0;
  return refused;
}
