#include "config/ProfileReader.h"

#include <QDomDocument>
#include <stdexcept>

#include "common/Assertion.h"
#include "config/FilterProfile.h"
#include "config/ProfileRefused.h"
#include "config/ProfileValues.h"
#include "config/XmlSafety.h"

namespace {

QDomDocument ParseDocument(const QByteArray& bytes) {
  const std::string unsafe = CheckXmlSafety(bytes);
  if (!unsafe.empty()) throw std::runtime_error(unsafe);
  QDomDocument document;
  QString message;
  int line = 0;
  int column = 0;
  if (!document.setContent(bytes, &message, &line, &column)) {
    throw std::runtime_error(message.toStdString() + " (line " + std::to_string(line) + ", column " +
                             std::to_string(column) + ")");
  }
  return document;
}

// The whole table is read before it replaces the old one, so a bad rate
// leaves the table and the list as they were.
void ReadRates(const QDomElement& rates, TSettingsModel& m) {
  TShapingRateTable table;
  for (QDomElement item = rates.firstChildElement(); !item.isNull(); item = item.nextSiblingElement()) {
    const std::string rate = ReadChildString(item, QStringLiteral("rate"), "0");
    const std::string name = ReadChildString(item, QStringLiteral("name"));
    if (IsReservedRateName(name)) {
      throw EProfileRefused("a transfer rate is named \"" + name + "\", the name of the entry without a limit");
    }
    table.Add(TShapingRate(name, rate));
  }
  table.Add(TShapingRate(std::string(kUnlimitedRateName), std::string(kUnlimitedRateName)));
  m.Rates = std::move(table);
  m.RefreshRateList();
}

int ListPosition(int position, size_t count) {
  return position >= 0 && static_cast<size_t>(position) < count ? position : -1;
}

int AdapterPosition(const QString& text, const TAdapterChoices& adapters) {
  bool number = false;
  const int position = text.trimmed().toInt(&number, 10);
  if (number) return ListPosition(position, adapters.Texts.size());
  const std::string wanted = text.toStdString();
  for (size_t i = 0; i < adapters.Texts.size(); ++i) {
    if (adapters.Texts[i] == wanted) return static_cast<int>(i);
  }
  return -1;
}

void ReadGeneral(const QDomElement& general, TSettingsModel& m, const TAdapterChoices& adapters) {
  const QDomElement rates = ChildElement(general, QStringLiteral("rates"));
  if (!rates.isNull()) ReadRates(rates, m);
  m.Direction = ClampChoice(ReadChildInteger(general, QStringLiteral("direction"), 2), kDirectionChoices);
  // A position past the list selects nothing, and applying then reports
  // that the rate cannot be set.
  m.RateIndex = ListPosition(ReadChildInteger(general, QStringLiteral("rateindex"), 0), m.Rates.Count());
  m.CardIndex = AdapterPosition(
      ReadChildValue(general, QStringLiteral("cardindex"), QString::number(adapters.DefaultIndex)), adapters);
}

void ReadLatency(const QDomElement& e, TSettingsModel& m) {
  m.LatencyEnabled = ReadChildBoolean(e, QStringLiteral("enabled"), false);
  m.DelayType = ClampChoice(ReadChildInteger(e, QStringLiteral("type"), 0), kDelayTypeChoices);
  m.DelayFrom = kDelayRange.Clamp(ReadChildInteger(e, QStringLiteral("delayfrom"), 0));
  m.DelayTo = kDelayRange.Clamp(ReadChildInteger(e, QStringLiteral("delayto"), 0));
  m.LatencyPercent = kLatencyPercentRange.Clamp(ReadChildInteger(e, QStringLiteral("impact"), 1));
  m.Correlation = kCorrelationRange.Clamp(ReadChildInteger(e, QStringLiteral("correlation"), 0));
}

void ReadLoss(const QDomElement& e, TSettingsModel& m) {
  m.LossEnabled = ReadChildBoolean(e, QStringLiteral("enabled"), false);
  m.LossPosition = m.LossRange().Clamp(ReadChildInteger(e, QStringLiteral("impact"), 10));
  m.LossType = ClampChoice(ReadChildInteger(e, QStringLiteral("type"), 0), kShareTypeChoices);
  m.LossLo = kBurstRange.Clamp(ReadChildInteger(e, QStringLiteral("burstlo"), 1));
  m.LossHi = kBurstRange.Clamp(ReadChildInteger(e, QStringLiteral("bursthi"), 1));
}

void ReadDuplication(const QDomElement& e, TSettingsModel& m) {
  m.DuplicationEnabled = ReadChildBoolean(e, QStringLiteral("enabled"), false);
  m.DuplicationPosition = m.DuplicationRange().Clamp(ReadChildInteger(e, QStringLiteral("impact"), 10));
  m.DuplicationType = ClampChoice(ReadChildInteger(e, QStringLiteral("type"), 0), kShareTypeChoices);
}

void ReadReordering(const QDomElement& e, TSettingsModel& m) {
  m.ReorderingEnabled = ReadChildBoolean(e, QStringLiteral("enabled"), false);
  m.ReorderingPosition = m.ReorderingRange().Clamp(ReadChildInteger(e, QStringLiteral("impact"), 10));
  m.ReorderingGap = kGapRange.Clamp(ReadChildInteger(e, QStringLiteral("gap"), 1));
}

void ReadCorruption(const QDomElement& e, TSettingsModel& m) {
  m.CorruptionEnabled = ReadChildBoolean(e, QStringLiteral("enabled"), false);
  m.CorruptionPosition = m.CorruptionRange().Clamp(ReadChildInteger(e, QStringLiteral("impact"), 10));
  const int type = ReadChildInteger(e, QStringLiteral("type"), 0);
  OT_ASSERT(type >= 0 && type < kCorruptionChoices, "GUIMain", "Wrong corruption type");
  m.CorruptionChoice = type;
  m.BitErrorText = ReadChildString(e, QStringLiteral("berval"));
  m.BitErrorUnit = ClampChoice(ReadChildInteger(e, QStringLiteral("time"), 0), kBitErrorUnitChoices);
  m.CheckBitErrorValue();
}

void ReadCapture(const QDomElement& e, TSettingsModel& m) {
  m.CaptureEnabled = ReadChildBoolean(e, QStringLiteral("enabled"), false);
  m.CaptureBefore = ReadChildString(e, QStringLiteral("before"));
  m.CaptureAfter = ReadChildString(e, QStringLiteral("after"));
  m.CaptureMode = ClampChoice(ReadChildInteger(e, QStringLiteral("writemode"), 0), kCaptureModeChoices);
}

void ReadBlocking(const QDomElement& e, TSettingsModel& m) {
  m.BlockingEnabled = ReadChildBoolean(e, QStringLiteral("enabled"), false);
  // Parsed only when the settings are applied.
  m.PortList = ReadChildString(e, QStringLiteral("portlist"));
}

template <typename Reader>
void ReadSection(const QDomElement& root, const char* name, TSettingsModel& m, Reader read) {
  const QDomElement section = ChildElement(root, QString::fromLatin1(name));
  if (!section.isNull()) read(section, m);
}

}  // namespace

bool ReadProfileDocument(const QByteArray& bytes, TSettingsModel& model, const TAdapterChoices& adapters,
                         TFilterSettings& filter, std::recursive_mutex& filterLock) {
  if (bytes.isEmpty()) return false;
  const QDomDocument document = ParseDocument(bytes);
  const QDomElement root = document.documentElement();
  if (root.isNull() || root.tagName() != QLatin1String("simulator-profile")) {
    throw std::runtime_error("Incorrect profile supplied");
  }
  // Everything is read into copies that replace the model and the live rule
  // only once the whole document has been read: a profile that fails
  // part-way changes nothing, and so cannot leave half a rule behind for
  // the last configuration to keep.
  TSettingsModel read = model;
  const QDomElement general = ChildElement(root, QStringLiteral("general"));
  if (!general.isNull()) ReadGeneral(general, read, adapters);
  ReadSection(root, "latency", read, ReadLatency);
  ReadSection(root, "loss", read, ReadLoss);
  ReadSection(root, "duplication", read, ReadDuplication);
  ReadSection(root, "reordering", read, ReadReordering);
  ReadSection(root, "corruption", read, ReadCorruption);
  ReadSection(root, "capture", read, ReadCapture);
  ReadSection(root, "blocking", read, ReadBlocking);
  TFilterSettings current;
  {
    std::lock_guard lock(filterLock);
    current = filter;
  }
  TFilterSettings readFilter = ReadFilterPart(root, current);
  model = std::move(read);
  // One hold of the lock: the interception threads see the old rule or the
  // new one, never a mixture.
  std::lock_guard lock(filterLock);
  filter = std::move(readFilter);
  return true;
}
