#pragma once
#include <cstdint>

// The graph's unit: samples arrive as bytes per second and are stored as
// bytes (unit base 1024) or as bits, eight times larger (unit base 1000).
enum class TMeasurementUnit : uint8_t { muBytes, muBits };

// Bars, a polyline every LineStep pixels, or only the averages as numbers.
enum class TLineType : uint8_t { ltBars, ltPolyLine, ltNumeric };

// Which thousands unit a label uses: chosen by the value, or always one.
enum class TRateFormat : uint8_t { rfAuto, rfKilo, rfMega, rfGiga };
