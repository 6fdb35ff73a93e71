// A send batch hands its frames to the kernel in order and whole, and counts
// the ones the kernel refused.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstdint>
#include <vector>

#include "common/FileDescriptor.h"
#include "platform/linux/SendBatch.h"

namespace {

struct TPair {
  TFileDescriptor Sender, Receiver;
};

TPair DatagramPair() {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, fds) < 0) ThrowSystemError("socketpair");
  return {TFileDescriptor(fds[0]), TFileDescriptor(fds[1])};
}

std::vector<uint8_t> Frame(size_t length, uint8_t seed) {
  std::vector<uint8_t> frame(length);
  for (size_t i = 0; i < length; ++i) frame[i] = static_cast<uint8_t>(seed ^ i);
  return frame;
}

void Add(TSendBatch& batch, std::vector<uint8_t>& frame) { batch.Add({frame.data(), frame.size()}); }

TEST(SendBatch, SendsEveryFrameInOrderAndEmpties) {
  TPair pair = DatagramPair();
  TSendBatch batch;
  std::vector<std::vector<uint8_t>> frames;
  for (size_t i = 0; i < TSendBatch::kCapacity; ++i) frames.push_back(Frame(14 + i * 23 % kMaxFrameData, uint8_t(i)));
  frames.back() = Frame(kMaxFrameData, 0xAA);
  for (auto& frame : frames) {
    ASSERT_FALSE(batch.Full());
    Add(batch, frame);
  }
  EXPECT_TRUE(batch.Full());
  EXPECT_EQ(batch.Send(pair.Sender.Get()), 0u);
  EXPECT_TRUE(batch.Empty());
  for (const auto& frame : frames) {
    std::vector<uint8_t> got(kMaxFrameData + 1);
    const ssize_t length = ::recv(pair.Receiver.Get(), got.data(), got.size(), MSG_DONTWAIT);
    ASSERT_GE(length, 0);
    got.resize(static_cast<size_t>(length));
    EXPECT_EQ(got, frame);
  }
  // Nothing more: an empty batch sends nothing.
  EXPECT_EQ(batch.Send(pair.Sender.Get()), 0u);
  char byte;
  EXPECT_LT(::recv(pair.Receiver.Get(), &byte, 1, MSG_DONTWAIT), 0);
}

TEST(SendBatch, CountsTheFramesTheKernelRefusesAndDoesNotWait) {
  TPair pair = DatagramPair();
  pair.Receiver.Reset();  // every send now fails at once
  TSendBatch batch;
  std::vector<uint8_t> frame = Frame(100, 1);
  for (int i = 0; i < 5; ++i) Add(batch, frame);
  EXPECT_EQ(batch.Send(pair.Sender.Get()), 5u);
  EXPECT_TRUE(batch.Empty());
}

TEST(SendBatch, RefusesFramesItHasNoRoomFor) {
  TSendBatch batch;
  std::vector<uint8_t> tooLong = Frame(kMaxFrameData + 1, 1);
  EXPECT_THROW(Add(batch, tooLong), std::logic_error);
  std::vector<uint8_t> frame = Frame(60, 2);
  for (size_t i = 0; i < TSendBatch::kCapacity; ++i) Add(batch, frame);
  EXPECT_THROW(Add(batch, frame), std::logic_error);
}

}  // namespace
