#pragma once
// The nine built-in combinations of bandwidth, latency and loss that imitate
// mobile and wireless links, and what choosing one does to the settings.

#include <array>
#include <cstdint>
#include <string_view>

#include "settings/SettingsModel.h"

struct TPresetItem {
  uint8_t Kind;           // 0 3G, 1 Edge, 2 WiFi: selects the row's icon only
  std::string_view Name;  // also the name of the rate entry it creates
  int32_t InRate;         // bit/s
  int32_t OutRate;        // bit/s
  int32_t Latency;        // fixed delay in ms; 0 turns latency off
  int32_t Loss;           // percent; 0 turns loss off
};

inline constexpr std::array<TPresetItem, 9> kPresets{{
    {0, "3G, good signal", 850000, 420000, 90, 0},
    {0, "3G, average quality", 780000, 330000, 100, 0},
    {0, "3G, lossy conditions", 780000, 330000, 100, 1},
    {1, "Edge, good signal", 250000, 200000, 360, 0},
    {1, "Edge, average quality", 240000, 200000, 420, 0},
    {1, "Edge, lossy conditions", 240000, 200000, 420, 1},
    {2, "WiFi, good signal", 45000000, 40000000, 0, 0},
    {2, "WiFi, average quality", 40000000, 33000000, 0, 0},
    {2, "WiFi, lossy conditions", 40000000, 33000000, 0, 1},
}};

// The preset of that exact name, or nullptr.
const TPresetItem* FindPreset(std::string_view name);

// Selects the rate entry named after the preset (adding it when the table has
// none; an existing entry is used as it stands), sets a fixed delay on every
// frame and a loss share of Loss x 10 slider steps. Duplication, reordering,
// corruption, capture, blocking, direction and adapter stay as they were.
// The caller then applies all settings.
void ApplyPreset(TSettingsModel& model, const TPresetItem& preset);
