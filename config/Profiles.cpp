#include "config/Profiles.h"

#include <QFile>
#include <QSaveFile>
#include <stdexcept>

#include "config/PersistentSettings.h"
#include "config/ProfileRefused.h"
#include "config/ProfileWriter.h"
#include "config/XmlSafety.h"

namespace {

QByteArray BuildDocument(const TSettingsModel& model, TEngine& engine) {
  TLockGuard lock(engine.Locks.SettingsLock);
  return WriteProfileDocument(model, engine.Settings.Filter);
}

void WriteFile(const std::string& fileName, const QByteArray& bytes) {
  QSaveFile file(QString::fromStdString(fileName));
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    throw std::runtime_error(file.errorString().toStdString());
  }
}

// Reads at most one byte more than a profile may hold, so that a huge or
// endless file (a device, a pipe) is refused without reading it all.
QByteArray ReadFile(const std::string& fileName) {
  QFile file(QString::fromStdString(fileName));
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error(file.errorString().toStdString());
  QByteArray bytes = file.read(kMaxProfileBytes + 1);
  if (file.error() != QFileDevice::NoError) throw std::runtime_error(file.errorString().toStdString());
  return bytes;
}

// How a refusal names the profile it comes from.
std::string ProfileName(const std::string& fileName) {
  return fileName.empty() ? std::string("the last configuration") : "\"" + fileName + "\"";
}

}  // namespace

void SaveProfile(const std::string& fileName, const TSettingsModel& model, TEngine& engine, QSettings& store,
                 IErrorSink& errors) {
  try {
    const QByteArray bytes = BuildDocument(model, engine);
    if (fileName.empty()) {
      WriteLastConfiguration(store, bytes);
    } else {
      WriteFile(fileName, bytes);
    }
  } catch (const std::exception& error) {
    errors.ShowError(std::string("Unable to save the profile: ") + error.what());
  }
}

TProfileLoad TryLoadProfile(const std::string& fileName, TSettingsModel& model, TEngine& engine,
                            const TAdapterChoices& adapters, QSettings& store, IErrorSink& errors) {
  try {
    const QByteArray bytes = fileName.empty() ? ReadLastConfiguration(store) : ReadFile(fileName);
    const bool read = ReadProfileDocument(bytes, model, adapters, engine.Settings.Filter, engine.Locks.SettingsLock);
    return read ? TProfileLoad::plRead : TProfileLoad::plNothing;
  } catch (const EProfileRefused& error) {
    errors.ShowError("Unable to open the profile: " + ProfileName(fileName) + ": " + error.what());
  } catch (const std::exception& error) {
    errors.ShowError(std::string("Unable to open the profile: ") + error.what());
  }
  return TProfileLoad::plFailed;
}

bool LoadProfile(const std::string& fileName, TSettingsModel& model, TEngine& engine,
                 const TAdapterChoices& adapters, QSettings& store, IErrorSink& errors) {
  return TryLoadProfile(fileName, model, engine, adapters, store, errors) == TProfileLoad::plRead;
}
