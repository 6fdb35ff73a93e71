#include "config/PersistentSettings.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <variant>

namespace {

const QString kOrganisation = QStringLiteral("Ovelda");
const QString kApplication = QStringLiteral("Ovelda Tarnwick");
const QString kConfigurationValue = QStringLiteral("Configuration");

// An integer stored as a number or as decimal text; anything else (or no
// value) gives nothing.
std::optional<int32_t> ReadInteger(QSettings& store, const QString& name) {
  const QVariant value = store.value(name);
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  const int number = value.toString().trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return number;
}

int32_t ReadInteger(QSettings& store, const QString& name, int32_t fallback) {
  return ReadInteger(store, name).value_or(fallback);
}

// A boolean is an integer, any value other than 0 meaning true. "true" and
// "false", which Qt itself writes for a boolean, are understood as well.
bool ReadBoolean(QSettings& store, const QString& name, bool fallback) {
  const QString text = store.value(name).toString().trimmed();
  if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
  if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
  const std::optional<int32_t> number = ReadInteger(store, name);
  return number ? *number != 0 : fallback;
}

// A graph option is 0 or 1; anything else keeps the default.
uint8_t ReadBinaryChoice(QSettings& store, const QString& name, uint8_t fallback) {
  const int32_t value = ReadInteger(store, name, fallback);
  return (value == 0 || value == 1) ? static_cast<uint8_t>(value) : fallback;
}

uint32_t ReadResolution(QSettings& store, const QString& name, uint32_t current) {
  const std::optional<int32_t> value = ReadInteger(store, name);
  return (value && *value >= kMinPercentageResolution) ? static_cast<uint32_t>(*value) : current;
}

// At most the block's size is copied; a shorter value leaves the rest zero.
TAdapterName ReadAdapterBlock(QSettings& store, const QString& name) {
  TAdapterName block{};
  const QByteArray bytes = store.value(name).toByteArray();
  std::memcpy(block.data(), bytes.constData(), std::min<size_t>(bytes.size(), block.size()));
  return block;
}

QByteArray AdapterBlock(const TAdapterName& block) {
  return QByteArray(block.data(), static_cast<qsizetype>(block.size()));
}

// An integer that already exists as text stays text; Qt's INI store keeps
// every value as text, so only the native store sees the difference.
void WriteInteger(QSettings& store, const QString& name, int32_t value) {
  if (store.value(name).typeId() == QMetaType::QString) {
    store.setValue(name, QString::number(value));
  } else {
    store.setValue(name, value);
  }
}

void WriteBoolean(QSettings& store, const QString& name, bool value) {
  store.setValue(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

// The "Global" values that are read and written as they stand, in the order
// they are written. A value that cannot be read keeps the default.
enum class TPreferenceKind : uint8_t {
  pkInteger,
  pkBinaryChoice,  // 0 or 1; anything else keeps the default
  pkBoolean,
};

struct TPreference {
  const char* Key;
  TPreferenceKind Kind;
  std::variant<int32_t TPersistentSettings::*, uint8_t TPersistentSettings::*, bool TPersistentSettings::*> Field;
  int32_t Default;
};

using P = TPersistentSettings;
using enum TPreferenceKind;
const TPreference kPreferences[] = {
    {"GraphUnit", pkBinaryChoice, &P::GraphUnit, 0},
    {"GraphType", pkBinaryChoice, &P::GraphType, 0},
    {"PolylineStep", pkInteger, &P::PolylineStep, 3},
    {"GraphAutoScale", pkBoolean, &P::GraphAutoScale, 1},
    {"AutoScaleValue", pkInteger, &P::AutoScaleValue, 0},
    {"DisplayConnections", pkBoolean, &P::DisplayConnections, 0},
    {"DisplayEffectView", pkBoolean, &P::DisplayEffectView, 1},
    {"Maximized", pkBoolean, &P::Maximized, 0},
};

int32_t ReadPreference(QSettings& store, const TPreference& preference) {
  const QString key = QString::fromLatin1(preference.Key);
  switch (preference.Kind) {
    case pkBinaryChoice:
      return ReadBinaryChoice(store, key, static_cast<uint8_t>(preference.Default));
    case pkBoolean:
      return ReadBoolean(store, key, preference.Default != 0) ? 1 : 0;
    case pkInteger:
      break;
  }
  return ReadInteger(store, key, preference.Default);
}

void WritePreference(QSettings& store, const TPreference& preference, int32_t value) {
  const QString key = QString::fromLatin1(preference.Key);
  if (preference.Kind == pkBoolean) {
    WriteBoolean(store, key, value != 0);
  } else {
    WriteInteger(store, key, value);
  }
}

void SetPreference(TPersistentSettings& s, const TPreference& preference, int32_t value) {
  std::visit([&](auto field) { s.*field = static_cast<std::remove_reference_t<decltype(s.*field)>>(value); },
             preference.Field);
}

int32_t PreferenceOf(const TPersistentSettings& s, const TPreference& preference) {
  return std::visit([&](auto field) { return static_cast<int32_t>(s.*field); }, preference.Field);
}

}  // namespace

std::unique_ptr<QSettings> OpenSettingsStore() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
}

void LoadSettings(QSettings& store, TPersistentSettings& s) {
  store.beginGroup(QStringLiteral("Global"));
  // A negative queue size would wrap to an endless queue in the engine.
  const int32_t queue = ReadInteger(store, QStringLiteral("MaxQueueSize"), s.MaxQueueSize);
  s.MaxQueueSize = queue >= 0 ? queue : static_cast<int32_t>(kDefaultMaxQueueSize);
  for (const TPreference& preference : kPreferences) SetPreference(s, preference, ReadPreference(store, preference));
  s.Resolution.Loss = ReadResolution(store, QStringLiteral("LossPercentageResolution"), s.Resolution.Loss);
  s.Resolution.Duplication =
      ReadResolution(store, QStringLiteral("DuplicationPercentageResolution"), s.Resolution.Duplication);
  s.Resolution.Reordering =
      ReadResolution(store, QStringLiteral("ReorderingPercentageResolution"), s.Resolution.Reordering);
  store.endGroup();

  store.beginGroup(QStringLiteral("Bridge"));
  s.Bridge = TBridgeSettings{};
  s.Bridge.AdapterA = ReadAdapterBlock(store, QStringLiteral("AdapterA"));
  s.Bridge.AdapterB = ReadAdapterBlock(store, QStringLiteral("AdapterB"));
  s.Bridge.Enabled = ReadBoolean(store, QStringLiteral("Enabled"), false);
  store.endGroup();
}

void SaveSettings(QSettings& store, const TPersistentSettings& s) {
  store.beginGroup(QStringLiteral("Global"));
  WriteInteger(store, QStringLiteral("MaxQueueSize"), s.MaxQueueSize);
  for (const TPreference& preference : kPreferences) WritePreference(store, preference, PreferenceOf(s, preference));
  store.endGroup();

  store.beginGroup(QStringLiteral("Bridge"));
  store.setValue(QStringLiteral("AdapterA"), AdapterBlock(s.Bridge.AdapterA));
  store.setValue(QStringLiteral("AdapterB"), AdapterBlock(s.Bridge.AdapterB));
  WriteBoolean(store, QStringLiteral("Enabled"), s.Bridge.Enabled);
  store.endGroup();
  store.sync();
}

QByteArray ReadLastConfiguration(QSettings& store) { return store.value(kConfigurationValue).toByteArray(); }

void WriteLastConfiguration(QSettings& store, const QByteArray& document) {
  store.setValue(kConfigurationValue, document);
  store.sync();
}
