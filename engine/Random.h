#pragma once
// The one pseudo-random generator of the impairment models. Every draw is made
// under EngineLock, so it is never used by two threads at once. Tests seed it
// to replay a decision sequence.

#include <cstdint>
#include <random>

class TRandom {
 public:
  explicit TRandom(uint64_t seed) : FEngine(seed) {}

  void Seed(uint64_t seed) { FEngine.seed(seed); }

  // Uniform integer in lo..hi, both ends included (lo <= hi).
  int64_t Uniform(int64_t lo, int64_t hi) {
    return std::uniform_int_distribution<int64_t>(lo, hi)(FEngine);
  }

 private:
  std::mt19937_64 FEngine;
};

// A seed from the clock, taken once at start-up.
uint64_t ClockSeed();
