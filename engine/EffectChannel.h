#pragma once
// The per-frame notifications for the effect chart, as an ordered channel
// that never blocks the engine: the engine appends under EngineLock (so at
// most one producer at a time), the owner drains on its own thread. When the
// owner falls behind by a whole ring, new notifications are dropped and
// counted rather than waited for.

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

constexpr uint16_t WM_EFFECT_FRAME = 0x8190;
constexpr uint16_t WM_EFFECT_LOSS = 0x8191;
constexpr uint16_t WM_EFFECT_CORRUPTION = 0x8192;
constexpr uint16_t WM_EFFECT_DUPLICATION = 0x8193;
constexpr uint16_t WM_EFFECT_REORDERING = 0x8194;

struct TEffectNotification {
  uint16_t Message;
  uint16_t WParam;  // the frame's delay in ms (low 16 bits) for WM_EFFECT_FRAME, else 0
};

class TEffectChannel {
 public:
  static constexpr uint32_t kCapacity = 1u << 16;

  // Engine side; callers are serialised by EngineLock.
  void Post(uint16_t message, uint16_t wParam = 0) {
    if (!FEnabled.load(std::memory_order_relaxed)) return;
    const uint32_t tail = FTail.load(std::memory_order_relaxed);
    if (tail - FHead.load(std::memory_order_acquire) == kCapacity) {
      FDropped.fetch_add(1, std::memory_order_relaxed);
      return;
    }
    FRing[tail % kCapacity] = TEffectNotification{message, wParam};
    FTail.store(tail + 1, std::memory_order_release);
  }

  // Owner side: appends everything posted so far, in order, to out.
  void Drain(std::vector<TEffectNotification>& out) {
    const uint32_t tail = FTail.load(std::memory_order_acquire);
    uint32_t head = FHead.load(std::memory_order_relaxed);
    for (; head != tail; ++head) out.push_back(FRing[head % kCapacity]);
    FHead.store(head, std::memory_order_release);
  }

  // With no chart to feed, posting costs one relaxed load.
  void SetEnabled(bool enabled) { FEnabled.store(enabled, std::memory_order_relaxed); }
  uint64_t Dropped() const { return FDropped.load(std::memory_order_relaxed); }

 private:
  std::array<TEffectNotification, kCapacity> FRing{};
  std::atomic<uint32_t> FHead{0};
  std::atomic<uint32_t> FTail{0};
  std::atomic<uint64_t> FDropped{0};
  std::atomic<bool> FEnabled{true};
};
