#pragma once
// The reordering decision and the release rule of held frames: a chosen
// frame is held back in its direction's reorder queue and leaves after later
// frames, at the first delivery that brings the direction's Sent counter to a
// multiple of Gap.

#include <cstddef>
#include <cstdint>

#include "engine/EngineSettings.h"
#include "engine/Random.h"

bool DecideReordering(const TReorderingSettings& reordering, uint32_t scale, TRandom& random);

// Whether a held frame leaves now, given the direction's Sent counter. A Gap
// of 0 (possible only from a hand-edited profile) releases at every delivery
// instead of dividing by zero.
inline bool IsReorderReleaseDue(uint64_t sent, uint32_t gap) { return gap == 0 || sent % gap == 0; }

// Whether a frame chosen for reordering may join the held frames. At most Gap
// frames (one for a Gap of 0) are held at once: with a held share above
// 1/Gap, frames are chosen faster than the release rule lets them go, and an
// unbounded queue would keep them for ever and grow without limit. A frame
// chosen while the queue is full passes on in order instead.
inline bool HasReorderRoom(size_t held, uint32_t gap) { return held < (gap == 0 ? 1u : gap); }
