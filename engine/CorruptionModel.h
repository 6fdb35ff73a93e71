#pragma once
// The corruption decision in its three kinds (a share of frames, a number of
// bit errors per unit of time, a bit error ratio), the once-a-second bit-error
// tick, and the flip of exactly one bit in a chosen frame.

#include <cstdint>

#include "engine/EngineSettings.h"
#include "engine/EngineState.h"
#include "engine/Random.h"

// length is the frame's length in bytes. Changes the bit-error state.
bool DecideCorruption(const TCorruptionSettings& corruption, uint32_t scale, uint32_t length,
                      TBitErrorState& bits, TRandom& random);

// Once a second while a simulation runs: a new second of allowance.
void BitErrorTick(TBitErrorState& bits);

// Inverts one random bit of one random byte; headers included, no checksum
// is recomputed.
void CorruptOneBit(uint8_t* data, uint32_t length, TRandom& random);
