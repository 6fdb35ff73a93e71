#include "engine/CorruptionModel.h"

namespace {

uint32_t SecondsPerUnit(TBitErrorUnit unit) {
  switch (unit) {
    case TBitErrorUnit::buMinute:
      return 60;
    case TBitErrorUnit::buHour:
      return 3600;
    default:
      return 1;
  }
}

bool DecideBitErrorsPerTime(const TCorruptionSettings& corruption, TBitErrorState& bits) {
  if (bits.SecondsSinceError > 0) {
    bits.ErrorsAllowed = static_cast<uint32_t>(static_cast<double>(corruption.Value) /
                                               SecondsPerUnit(corruption.Unit) * bits.SecondsSinceError);
  }
  if (bits.ErrorsAllowed <= bits.ErrorsDone) return false;
  ++bits.ErrorsDone;
  bits.SecondsSinceError = 0;
  return true;
}

bool DecideBitErrorRatio(const TCorruptionSettings& corruption, uint32_t length, TBitErrorState& bits) {
  bits.BitCount += 8ull * length;
  if (corruption.Ratio == 0 || static_cast<double>(bits.BitCount) < 1 / corruption.Ratio) return false;
  bits.BitCount = 0;
  return true;
}

}  // namespace

bool DecideCorruption(const TCorruptionSettings& corruption, uint32_t scale, uint32_t length,
                      TBitErrorState& bits, TRandom& random) {
  if (!corruption.Enabled) return false;
  switch (corruption.Type) {
    case TCorruptionType::ctPercentage:
      return scale > 0 && random.Uniform(1, scale) <= corruption.Value;
    case TCorruptionType::ctBitErrors:
      return DecideBitErrorsPerTime(corruption, bits);
    case TCorruptionType::ctBitErrorRatio:
      return DecideBitErrorRatio(corruption, length, bits);
    default:
      return false;
  }
}

void BitErrorTick(TBitErrorState& bits) {
  bits.ErrorsAllowed = 0;
  bits.ErrorsDone = 0;
  ++bits.SecondsSinceError;
}

void CorruptOneBit(uint8_t* data, uint32_t length, TRandom& random) {
  if (length == 0) return;
  const int bit = static_cast<int>(random.Uniform(0, 7));
  const int64_t index = random.Uniform(0, static_cast<int64_t>(length) - 1);
  data[index] ^= static_cast<uint8_t>(1u << bit);
}
