#include "engine/LossModel.h"

#include <cmath>

#include "common/Assertion.h"

namespace {

bool DecideBurstLoss(TLossSettings& loss, uint32_t scale, TRandom& random) {
  if (loss.BurstLeft > 0) {
    --loss.BurstLeft;
    return true;
  }
  const double meanBurst = (static_cast<double>(loss.BurstHi) - loss.BurstLo) / 2 + loss.BurstLo;
  const double startShare = loss.Value / meanBurst;
  const double outsideShare = scale - (meanBurst - 1) * startShare;
  const int64_t range = static_cast<int64_t>(std::nearbyint(outsideShare * 1000000));
  // A share at or above the whole scale leaves no room outside bursts: every
  // frame starts one (the draw range would otherwise be empty).
  const bool lost = range <= 0 || startShare * 1000000 > static_cast<double>(random.Uniform(0, range - 1));
  if (lost) {
    const int64_t lo = loss.BurstLo > 0 ? loss.BurstLo - 1 : 0;
    const int64_t hi = loss.BurstHi > 0 ? loss.BurstHi - 1 : 0;
    loss.BurstLeft = static_cast<uint32_t>(random.Uniform(lo, hi < lo ? lo : hi));
  }
  return lost;
}

}  // namespace

bool DecideLoss(TLossSettings& loss, uint32_t scale, uint64_t frames, TRandom& random) {
  if (!loss.Enabled) return false;
  switch (loss.Type) {
    case TLossType::ltPercentage:
      return DecideBurstLoss(loss, scale, random);
    case TLossType::ltFixedNumber:
      // N = 0 would divide by zero; it selects no frame.
      return loss.Value != 0 && frames % loss.Value == 0;
    default:
      AssertionFailed("Wrong loss type", "GUIMain", __LINE__);
  }
}
