#pragma once
// The loss decision. Percentage loss runs in bursts: outside a burst
// (BurstLeft 0) a frame may start one; inside (BurstLeft > 0) every frame is
// lost until the burst is used up. The start probability is chosen so that
// the long-run share of lost frames is Value / scale whatever the burst range.

#include <cstdint>

#include "engine/EngineSettings.h"
#include "engine/Random.h"

// frames is the direction's Frames counter, already counting this frame.
// Changes loss.BurstLeft. Throws on a type outside its values.
bool DecideLoss(TLossSettings& loss, uint32_t scale, uint64_t frames, TRandom& random);
