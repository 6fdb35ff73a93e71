#include "config/ProfileReader.h"

#include <QDomDocument>
#include <stdexcept>

#include "config/FilterProfile.h"
#include "config/ProfileRefused.h"
#include "config/ProfileValues.h"
#include "config/XmlSafety.h"
#include "settings/LinkTraceFile.h"
#include "settings/SettingsDescription.h"

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

// A rate item may replay a trace file per direction instead of its rate.
void ReadTraces(const QDomElement& item, TShapingRate& entry) {
  const std::string in = ReadChildString(item, QStringLiteral("trace-in"));
  const std::string out = ReadChildString(item, QStringLiteral("trace-out"));
  if (in.empty() && out.empty()) return;
  if (in.empty() || out.empty()) {
    throw EProfileRefused("the transfer rate \"" + entry.Name + "\" has a trace file for one direction only");
  }
  try {
    entry.LoadTraces(in, out);
  } catch (const ELinkTraceFile& error) {
    throw EProfileRefused(error.what());
  }
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
    TShapingRate entry(name, rate);
    ReadTraces(item, entry);
    table.Add(entry);
  }
  table.Add(TShapingRate(std::string(kUnlimitedRateName), std::string(kUnlimitedRateName)));
  m.Rates = std::move(table);
  m.RefreshRateList();
}

// A number is a position in the list; any other text is the adapter's name.
int AdapterPosition(const QString& text, const TAdapterChoices& adapters) {
  bool number = false;
  const int position = text.trimmed().toInt(&number, 10);
  if (number) return position;
  const std::string wanted = text.toStdString();
  for (size_t i = 0; i < adapters.Texts.size(); ++i) {
    if (adapters.Texts[i] == wanted) return static_cast<int>(i);
  }
  return -1;
}

// One element into its model field, by the setting's kind; a value outside
// the range is fitted as the setting says.
void ReadSetting(const QDomElement& section, const TSettingDescription& setting, TSettingsModel& m,
                 const TAdapterChoices& adapters) {
  const QString element = QString::fromUtf8(ElementOf(setting));
  switch (setting.Kind) {
    case TSettingKind::skBoolean:
      SetNumber(setting, m, ReadChildBoolean(section, element, setting.WhenMissing != 0) ? 1 : 0);
      break;
    case TSettingKind::skInteger:
    case TSettingKind::skChoice:
      SetNumber(setting, m, FitSetting(setting, m, ReadChildInteger(section, element, setting.WhenMissing)));
      break;
    case TSettingKind::skAdapter: {
      const QString text = ReadChildValue(section, element, QString::number(adapters.DefaultIndex));
      const int count = static_cast<int>(adapters.Texts.size());
      SetNumber(setting, m, FitSetting(setting, m, AdapterPosition(text, adapters), count));
      break;
    }
    case TSettingKind::skText:
      SetText(setting, m, ReadChildString(section, element));
      break;
  }
}

// The sections in the order of the description. In "general" the rate
// table comes first, since the rate position counts in it; a missing
// section leaves its controls as they were.
void ReadSections(const QDomElement& root, TSettingsModel& m, const TAdapterChoices& adapters) {
  std::string_view current;
  QDomElement section;
  for (const TSettingDescription& setting : SettingDescriptions()) {
    if (SectionOf(setting) != current) {
      current = SectionOf(setting);
      section = ChildElement(root, QString::fromUtf8(current));
      const QDomElement rates = current == "general" ? ChildElement(section, QStringLiteral("rates")) : QDomElement();
      if (!rates.isNull()) ReadRates(rates, m);
    }
    if (!section.isNull()) ReadSetting(section, setting, m, adapters);
  }
  m.CheckBitErrorValue();
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
  ReadSections(root, read, adapters);
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
