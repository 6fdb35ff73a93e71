// Every described setting through the stores that keep it: the model is
// written as a profile, kept as the last configuration, and read back into a
// fresh model, with the setting at its default, at both ends of its range
// and just past them.

#include "settings/SettingsDescription.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <set>

#include "SettingsTestSupport.h"
#include "common/Assertion.h"
#include "config/PersistentSettings.h"
#include "config/ProfileReader.h"
#include "config/ProfileWriter.h"

namespace {

class SettingsDescription : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    Store = std::make_unique<QSettings>(Dir.filePath("store.conf"), QSettings::IniFormat);
    Adapters.Texts = {"lab0", "lab1", "lab2"};
    Adapters.DefaultIndex = 1;
  }

  TSettingsModel Fresh() const {
    TSettingsModel model;
    model.SetDefaults(0);
    return model;
  }

  // The model kept as the last configuration and read into a fresh model.
  TSettingsModel RoundTrip(const TSettingsModel& written) {
    WriteLastConfiguration(*Store, WriteProfileDocument(written, TFilterSettings()));
    TSettingsModel read = Fresh();
    TFilterSettings filter;
    std::recursive_mutex lock;
    EXPECT_TRUE(ReadProfileDocument(ReadLastConfiguration(*Store), read, Adapters, filter, lock));
    return read;
  }

  int AdapterCount() const { return static_cast<int>(Adapters.Texts.size()); }

  QTemporaryDir Dir;
  std::unique_ptr<QSettings> Store;
  TAdapterChoices Adapters;
};

TEST_F(SettingsDescription, NamesAreUniqueAndEveryFieldHasItsEntry) {
  std::set<std::string_view> names;
  for (const TSettingDescription& setting : SettingDescriptions()) {
    EXPECT_TRUE(names.insert(setting.Name).second) << setting.Name;
    EXPECT_FALSE(SectionOf(setting).empty()) << setting.Name;
    EXPECT_FALSE(ElementOf(setting).empty()) << setting.Name;
    EXPECT_EQ(FindSetting(setting.Name), &setting);
    EXPECT_FALSE(setting.Hint.empty()) << setting.Name << " has no hint for its control";
  }
  EXPECT_EQ(FindSetting("latency/nothing"), nullptr);
  EXPECT_EQ(SettingOf(&TSettingsModel::LossHi).Name, "loss/bursthi");
  EXPECT_EQ(SettingOf(&TSettingsModel::PortList).Name, "blocking/portlist");
}

TEST_F(SettingsDescription, EverySettingRoundTripsItsDefaultAndItsRangeEnds) {
  const TSettingsModel defaults = Fresh();
  for (const TSettingDescription& setting : SettingDescriptions()) {
    SCOPED_TRACE(std::string(setting.Name));
    if (setting.Kind == TSettingKind::skText) {
      EXPECT_EQ(TextOf(setting, defaults), "");
      for (const std::string text : {"", "/tmp/a <&> \"b\".pcap", " 135-139, u161 "}) {
        TSettingsModel written = Fresh();
        SetText(setting, written, text);
        EXPECT_EQ(TextOf(setting, RoundTrip(written)), text);
      }
      continue;
    }
    const TControlRange range = SettingRange(setting, defaults, AdapterCount());
    ASSERT_LE(range.Min, range.Max);
    // A new window's list positions are its own: "Unlimited" and the adapter
    // it was given.
    if (setting.RangeSource != TRangeSource::rsRateList && setting.RangeSource != TRangeSource::rsAdapterList) {
      EXPECT_EQ(NumberOf(setting, defaults), setting.Default);
      EXPECT_TRUE(range.Contains(setting.Default));
    }

    struct TCase {
      int Written;
      int Read;
    };
    std::vector<TCase> cases = {{range.Min, range.Min}, {range.Max, range.Max}};
    if (setting.Kind != TSettingKind::skBoolean && setting.OutOfRange != TOutOfRange::orRefuse) {
      const bool nothing = setting.OutOfRange == TOutOfRange::orNothing;
      cases.push_back({range.Max + 1, nothing ? -1 : range.Max});
      cases.push_back({range.Min - 1, nothing ? -1 : range.Min});
    }
    for (const TCase& c : cases) {
      TSettingsModel written = Fresh();
      SetNumber(setting, written, c.Written);
      EXPECT_EQ(NumberOf(setting, RoundTrip(written)), c.Read) << "written " << c.Written;
    }
  }
}

// A choice no control can hold is an internal error, whichever way it comes.
TEST_F(SettingsDescription, ARefusedValueIsRefusedOnWritingAndOnReading) {
  for (const TSettingDescription& setting : SettingDescriptions()) {
    if (setting.OutOfRange != TOutOfRange::orRefuse) continue;
    SCOPED_TRACE(std::string(setting.Name));
    TSettingsModel written = Fresh();
    const int past = SettingRange(setting, written).Max + 1;
    SetNumber(setting, written, past);
    EXPECT_THROW(WriteProfileDocument(written, TFilterSettings()), EAssertionFailed);

    const QByteArray document = "<simulator-profile><" + QByteArray(SectionOf(setting).data(), SectionOf(setting).size()) +
                                "><" + QByteArray(ElementOf(setting).data(), ElementOf(setting).size()) + ">" +
                                QByteArray::number(past) + "</" +
                                QByteArray(ElementOf(setting).data(), ElementOf(setting).size()) + "></" +
                                QByteArray(SectionOf(setting).data(), SectionOf(setting).size()) +
                                "></simulator-profile>";
    TSettingsModel read = Fresh();
    TFilterSettings filter;
    std::recursive_mutex lock;
    try {
      ReadProfileDocument(document, read, Adapters, filter, lock);
      ADD_FAILURE() << "read without an error";
    } catch (const EAssertionFailed& error) {
      EXPECT_EQ(std::string(error.what()).rfind(std::string(setting.RefusedMessage), 0), 0u) << error.what();
    }
    EXPECT_EQ(NumberOf(setting, read), setting.Default) << "a refused read changes nothing";
  }
}

// Every element present and empty: each setting takes what a missing value
// means, which is not always the window's default.
TEST_F(SettingsDescription, EmptyElementsReadAsTheirMissingValues) {
  QByteArray document = "<simulator-profile>";
  std::string_view section;
  for (const TSettingDescription& setting : SettingDescriptions()) {
    if (SectionOf(setting) != section) {
      if (!section.empty()) document += "</" + QByteArray(section.data(), section.size()) + ">";
      section = SectionOf(setting);
      document += "<" + QByteArray(section.data(), section.size()) + ">";
    }
    document += "<" + QByteArray(ElementOf(setting).data(), ElementOf(setting).size()) + "/>";
  }
  document += "</" + QByteArray(section.data(), section.size()) + "></simulator-profile>";

  TSettingsModel read = Fresh();
  for (const TSettingDescription& setting : SettingDescriptions()) {
    if (setting.Kind != TSettingKind::skText) SetNumber(setting, read, 7);
  }
  TFilterSettings filter;
  std::recursive_mutex lock;
  ASSERT_TRUE(ReadProfileDocument(document, read, Adapters, filter, lock));
  for (const TSettingDescription& setting : SettingDescriptions()) {
    SCOPED_TRACE(std::string(setting.Name));
    if (setting.Kind == TSettingKind::skText) {
      EXPECT_EQ(TextOf(setting, read), "");
    } else if (setting.Kind == TSettingKind::skAdapter) {
      EXPECT_EQ(NumberOf(setting, read), Adapters.DefaultIndex);
    } else {
      EXPECT_EQ(NumberOf(setting, read), setting.WhenMissing);
    }
  }
}

}  // namespace
