#pragma once
// The texts that follow the tabs' sliders and fields. A share label shows the
// slider position p on its scale R as a percentage with log10(R) - 2
// decimals, so that one step of the slider is always visible.

#include <cstdint>
#include <string>

// "st", "nd", "rd" for numbers ending in 1, 2, 3, except 11, 12 and 13
// themselves; "th" otherwise (so 111 gives "st").
std::string OrdinalSuffix(int64_t n);

// The number of decimals a share on scale R is shown with.
int ShareDecimals(uint32_t scale);
// Position p on scale R as a percentage.
double SharePercent(int position, uint32_t scale);

// "Simulate latency for 100% of packets"
std::string LatencyLabel(int position);
// "Loss 0.1% packets", or in fixed-number mode "Lose every 2nd packet".
std::string LossLabel(int position, uint32_t scale, bool fixedNumber);
// "Duplicate 0.1% packets", or "Duplicate every 3rd packet".
std::string DuplicationLabel(int position, uint32_t scale, bool fixedNumber);
// "Reorder 0.1% packets"
std::string ReorderingLabel(int position, uint32_t scale);
// "Corrupt 0.1% packets": always one decimal.
std::string CorruptionLabel(int position, uint32_t scale);

// The label left of the bit-error field: empty for the percentage choice,
// "Number of bit errors:" for the rate, "Error ratio, e.g. 10e-7:" for the
// ratio.
std::string BitErrorFieldLabel(int corruptionChoice);
// The first delay field's label: "Delay (ms)" for a fixed delay, "Delay from
// (ms)" for a random one.
std::string DelayFromLabel(int delayType);
