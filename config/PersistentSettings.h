#pragma once
// The per-user preferences (QSettings, organisation "Ovelda", application
// "Ovelda Tarnwick"; groups "Global" and "Bridge") and the last configuration,
// the profile document kept as the binary value "Configuration" at the top
// level. On Linux the file is $XDG_CONFIG_HOME/Ovelda/Ovelda Tarnwick.conf.

#include <QByteArray>
#include <QSettings>
#include <memory>
#include <optional>

#include "engine/EngineSettings.h"
#include "engine/Simulation.h"

struct TPersistentSettings {
  int32_t MaxQueueSize = static_cast<int32_t>(kDefaultMaxQueueSize);
  uint8_t GraphUnit = 0;  // 0 bits per second, 1 bytes per second
  uint8_t GraphType = 0;  // 0 histogram bars, 1 polyline
  int32_t PolylineStep = 3;
  bool GraphAutoScale = true;
  int32_t AutoScaleValue = 0;
  bool DisplayConnections = false;
  bool DisplayEffectView = true;
  bool Maximized = false;
  // The first three share scales; corruption's is always 1000. Never written.
  TPercentageResolution Resolution;
  TBridgeSettings Bridge;
};

// The smallest share scale accepted from the store: a smaller one would
// leave the percentage labels and the sliders without whole steps.
constexpr int32_t kMinPercentageResolution = 100;

// The store itself, following XDG_CONFIG_HOME.
std::unique_ptr<QSettings> OpenSettingsStore();

// Every value with its default when missing or unreadable; the resolutions
// keep the values already in settings when the store has none (or one below
// kMinPercentageResolution).
void LoadSettings(QSettings& store, TPersistentSettings& settings);
// The written values, in their order.
void SaveSettings(QSettings& store, const TPersistentSettings& settings);

// The last configuration; empty when there is none.
QByteArray ReadLastConfiguration(QSettings& store);
void WriteLastConfiguration(QSettings& store, const QByteArray& document);
