#pragma once
// The duplication decision: a share of frames, or every N-th frame of a
// direction, leaves twice.

#include <cstdint>

#include "engine/EngineSettings.h"
#include "engine/Random.h"

// frames is the direction's Frames counter, already counting this frame.
// Throws on a type outside its values.
bool DecideDuplication(const TDuplicationSettings& duplication, uint32_t scale, uint64_t frames,
                       TRandom& random);
