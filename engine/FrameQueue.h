#pragma once
// A first-in first-out queue of whole items on a ring that only grows: once
// it has room for a load, queueing and releasing frames allocates nothing.

#include <cstddef>
#include <memory>
#include <utility>

template <typename T>
class TFrameQueue {
 public:
  size_t Count() const { return FCount; }
  bool Empty() const { return FCount == 0; }

  T& Front() { return FItems[FHead]; }
  const T& Front() const { return FItems[FHead]; }

  // Appends an item and returns it for the caller to fill in place, so a
  // frame is copied once into the queue and never through a temporary.
  T& PushBack() {
    if (FCount == FCapacity) Grow();
    T& slot = FItems[(FHead + FCount) % FCapacity];
    ++FCount;
    return slot;
  }

  void PopFront() {
    FHead = (FHead + 1) % FCapacity;
    --FCount;
  }

  void Clear() {
    FHead = 0;
    FCount = 0;
  }

  // Gives the memory back; used when a simulation ends.
  void Release() {
    FItems.reset();
    FCapacity = 0;
    Clear();
  }

 private:
  void Grow() {
    size_t capacity = FCapacity == 0 ? 64 : FCapacity * 2;
    std::unique_ptr<T[]> items(new T[capacity]);
    for (size_t i = 0; i < FCount; ++i) items[i] = FItems[(FHead + i) % FCapacity];
    FItems = std::move(items);
    FCapacity = capacity;
    FHead = 0;
  }

  std::unique_ptr<T[]> FItems;
  size_t FCapacity = 0;
  size_t FHead = 0;
  size_t FCount = 0;
};
