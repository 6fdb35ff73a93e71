#pragma once
// One traffic sample of the running simulation, as the main window keeps
// them for the export: the local time of the tick as a day count from
// 30 December 1899 (the time of day as fraction), then the bytes of incoming
// and of outgoing frames delivered during that second.

#include <QDateTime>
#include <cstdint>
#include <vector>

struct TTimedData {
  double SampleTime;
  uint32_t InBytes;
  uint32_t OutBytes;
};
static_assert(sizeof(TTimedData) == 16);

using TTrafficSamples = std::vector<TTimedData>;

// Local date and time to a day count and back. Before the epoch the whole
// days count down while the fraction still counts the time of day forward:
// -1.25 is 29 December 1899, 06:00.
double ToDayCount(const QDateTime& localTime);
QDateTime FromDayCount(double days);
