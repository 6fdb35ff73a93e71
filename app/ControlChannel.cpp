#include "app/ControlChannel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "settings/SettingAssignment.h"
#include "settings/SettingsDescription.h"

namespace {

TInstanceAnswer Done(const std::string& output = {}) { return {false, QString::fromStdString(output)}; }
TInstanceAnswer Refused(const std::string& why) { return {true, QString::fromStdString(why)}; }
TInstanceAnswer Outcome(const std::string& failure) { return failure.empty() ? Done() : Refused(failure); }

QJsonValue SettingValue(const TSettingDescription& setting, const TSettingsModel& model) {
  switch (setting.Kind) {
    case TSettingKind::skBoolean:
      return NumberOf(setting, model) != 0;
    case TSettingKind::skText:
      return QString::fromStdString(TextOf(setting, model));
    default:
      return NumberOf(setting, model);
  }
}

TInstanceAnswer Set(IControlTarget& target, const std::vector<std::string>& arguments) {
  if (arguments.empty()) return Refused("set needs at least one name=value");
  std::vector<TSettingAssignment> assignments;
  std::vector<TSettingsPart> parts;
  try {
    for (const std::string& word : arguments) assignments.push_back(ParseSettingAssignment(word));
    parts = AssignSettings(target.Model(), assignments, target.AdapterCount());
  } catch (const ESettingRefused& refused) {
    return Refused(refused.what());
  }
  return Outcome(target.ApplyParts(parts));
}

}  // namespace

QString EncodeControlRequest(const std::vector<std::string>& words) {
  QJsonArray array;
  for (const std::string& word : words) array.append(QString::fromStdString(word));
  return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

std::string SettingsJson(const TSettingsModel& model, const std::vector<std::string>& names) {
  QJsonObject object;
  if (names.empty()) {
    for (const TSettingDescription& setting : SettingDescriptions())
      object.insert(QString::fromUtf8(setting.Name), SettingValue(setting, model));
  }
  for (const std::string& name : names) {
    const TSettingDescription* setting = FindSetting(name);
    if (setting == nullptr) throw ESettingRefused("There is no setting named \"" + name + "\"");
    object.insert(QString::fromStdString(name), SettingValue(*setting, model));
  }
  return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

TInstanceAnswer HandleControlRequest(IControlTarget& target, const QString& request) {
  const QJsonDocument document = QJsonDocument::fromJson(request.toUtf8());
  std::vector<std::string> words;
  for (const QJsonValue& word : document.array()) words.push_back(word.toString().toStdString());
  if (!document.isArray() || words.empty()) return Refused("The control request is not a command");
  const std::string command = words.front();
  const std::vector<std::string> arguments(words.begin() + 1, words.end());

  if (command == "get") {
    try {
      return Done(SettingsJson(target.Model(), arguments));
    } catch (const ESettingRefused& refused) {
      return Refused(refused.what());
    }
  }
  if (command == "set") return Set(target, arguments);
  if (command == "load" && arguments.size() == 1) return Outcome(target.LoadProfile(arguments.front()));
  if (command == "start" && arguments.empty()) return Outcome(target.Start());
  if (command == "stop" && arguments.empty()) return Outcome(target.Stop());
  if (command == "stats" && arguments.empty()) return Done(target.StatisticsJson());
  return Refused("Unknown control command: " + command);
}
