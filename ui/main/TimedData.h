#pragma once
// One traffic sample per second of a running simulation, as the graph export
// reads them: the local time as a day count from 30 December 1899 (the time
// of day as fraction), then the bytes delivered in each direction.

#include <QDateTime>
#include <cstdint>

#pragma pack(push, 1)
struct TTimedData {
  double SampleTime;
  uint32_t InBytes;
  uint32_t OutBytes;
};
#pragma pack(pop)
static_assert(sizeof(TTimedData) == 16);

// The local date and time as a day count from 30 December 1899.
double DayCountFromLocalTime(const QDateTime& local);
