#include "config/ProfileWriter.h"

#include <QDomDocument>

#include "common/Assertion.h"
#include "config/FilterProfile.h"
#include "config/ProfileValues.h"
#include "settings/SettingsDescription.h"

namespace {

// The rate table without its "Unlimited" entry, which every table has.
void WriteRates(QDomElement& general, const TSettingsModel& m) {
  QDomElement rates = AppendElement(general, QStringLiteral("rates"));
  for (size_t i = 0; i < m.Rates.Count(); ++i) {
    const TShapingRate& rate = m.Rates[i];
    if (rate.IsUnlimited()) continue;
    QDomElement item = AppendElement(rates, QStringLiteral("item"));
    AppendValue(item, QStringLiteral("name"), rate.Name);
    AppendValue(item, QStringLiteral("rate"), rate.StorageText());
    if (rate.HasTraces()) {
      AppendValue(item, QStringLiteral("trace-in"), rate.InTracePath);
      AppendValue(item, QStringLiteral("trace-out"), rate.OutTracePath);
    }
  }
}

void WriteSetting(QDomElement& section, const TSettingDescription& setting, const TSettingsModel& m) {
  const QString element = QString::fromUtf8(ElementOf(setting));
  switch (setting.Kind) {
    case TSettingKind::skBoolean:
      AppendValue(section, element, NumberOf(setting, m) != 0);
      break;
    case TSettingKind::skText:
      AppendValue(section, element, TextOf(setting, m));
      break;
    default:
      AppendValue(section, element, NumberOf(setting, m));
      break;
  }
}

// Every section in the order of the description, the rate table first in
// "general".
void WriteSections(QDomElement& root, const TSettingsModel& m) {
  OT_ASSERT(SettingRange(SettingOf(&TSettingsModel::CorruptionChoice), m).Contains(m.CorruptionChoice), "GUIMain",
            "No corruption choice is selected");
  std::string_view current;
  QDomElement section;
  for (const TSettingDescription& setting : SettingDescriptions()) {
    if (SectionOf(setting) != current) {
      current = SectionOf(setting);
      section = AppendElement(root, QString::fromUtf8(current));
      if (current == "general") WriteRates(section, m);
    }
    WriteSetting(section, setting, m);
  }
}

}  // namespace

QByteArray WriteProfileDocument(const TSettingsModel& model, const TFilterSettings& filter) {
  QDomDocument document;
  document.appendChild(
      document.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"utf-8\"")));
  QDomElement root = document.createElement(QStringLiteral("simulator-profile"));
  document.appendChild(root);
  WriteSections(root, model);
  WriteFilterPart(root, filter);
  return document.toByteArray(2);
}
