#pragma once
// The statistics rows of the "Transfer Rate" tab: seven read-only rows whose
// values the window refreshes from the engine's counters. The last counts
// the frames too long for the engine (jumbo frames), which pass untouched.

#include <QTreeWidget>
#include <array>
#include <string>

#include "engine/EngineState.h"

constexpr int kStatisticsRows = 7;

// "Bytes Received / Sent", "Packets Dropped", ... each with the value "0".
QTreeWidget* CreateStatisticsList(QWidget* parent);

// The row values: the bytes as sizes, the other rows as the sum of both
// directions.
std::array<std::string, kStatisticsRows> StatisticsValues(const TEngineCounters& counters);

void ShowStatistics(QTreeWidget* list, const TEngineCounters& counters);
