#include "config/PersistentSettings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Qt reads XDG_CONFIG_HOME once, with the first settings object, so the
// store is pointed at a directory of this test before anything else runs.
QString TestConfigHome() {
  static const QString home = [] {
    char pattern[] = "/tmp/ot-settings-XXXXXX";
    const char* made = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", made, 1);
    return QString::fromLocal8Bit(made);
  }();
  return home;
}
const QString kHome = TestConfigHome();

class PersistentSettingsStore : public testing::Test {
 protected:
  void SetUp() override {
    QFile::remove(StorePath());
    Store = OpenSettingsStore();
    Store->clear();
  }
  static QString StorePath() { return kHome + "/Ovelda/Ovelda Tarnwick.conf"; }
  std::unique_ptr<QSettings> Store;
};

TEST_F(PersistentSettingsStore, LivesUnderXdgConfigHome) {
  Store->setValue("Global/MaxQueueSize", 7);
  Store->sync();
  EXPECT_TRUE(QFile::exists(StorePath())) << StorePath().toStdString();
}

TEST_F(PersistentSettingsStore, NothingStoredGivesTheDefaults) {
  TPersistentSettings s;
  LoadSettings(*Store, s);
  EXPECT_EQ(s.MaxQueueSize, 10000);
  EXPECT_EQ(s.GraphUnit, 0);
  EXPECT_EQ(s.GraphType, 0);
  EXPECT_EQ(s.PolylineStep, 3);
  EXPECT_TRUE(s.GraphAutoScale);
  EXPECT_EQ(s.AutoScaleValue, 0);
  EXPECT_FALSE(s.DisplayConnections);
  EXPECT_TRUE(s.DisplayEffectView);
  EXPECT_FALSE(s.Maximized);
  EXPECT_EQ(s.Resolution.Loss, 1000u);
  EXPECT_FALSE(s.Bridge.Enabled);
  EXPECT_EQ(s.Bridge.AdapterA, TAdapterName{});
}

TEST_F(PersistentSettingsStore, ReadingRules) {
  struct TCase {
    const char* Name;
    QVariant Stored;
  };
  Store->setValue("Global/MaxQueueSize", "500");
  Store->setValue("Global/PolylineStep", "abc");
  Store->setValue("Global/GraphAutoScale", "0");
  Store->setValue("Global/DisplayConnections", 5);
  Store->setValue("Global/GraphType", 7);
  Store->setValue("Global/LossPercentageResolution", 10000);
  Store->setValue("Global/DuplicationPercentageResolution", 99);
  Store->setValue("Global/ReorderingPercentageResolution", -5);
  Store->setValue("Bridge/AdapterA", QByteArray("eth0"));
  Store->setValue("Bridge/AdapterB", QByteArray(300, 'x'));
  Store->setValue("Bridge/Enabled", "1");
  TPersistentSettings s;
  s.Resolution.Duplication = 2000;
  LoadSettings(*Store, s);
  EXPECT_EQ(s.MaxQueueSize, 500);
  EXPECT_EQ(s.PolylineStep, 3);
  EXPECT_FALSE(s.GraphAutoScale);
  EXPECT_TRUE(s.DisplayConnections);
  EXPECT_EQ(s.GraphType, 0);
  EXPECT_EQ(s.Resolution.Loss, 10000u);
  // Scales below 100 are refused; the value held before stays.
  EXPECT_EQ(s.Resolution.Duplication, 2000u);
  EXPECT_EQ(s.Resolution.Reordering, 1000u);
  EXPECT_EQ(AdapterNameText(s.Bridge.AdapterA), "eth0");
  EXPECT_EQ(s.Bridge.AdapterA[4], 0);
  EXPECT_EQ(s.Bridge.AdapterB[255], 'x');
  EXPECT_TRUE(s.Bridge.Enabled);
}

TEST_F(PersistentSettingsStore, SavedValuesReadBackAndMaximizedIsWrittenAsOne) {
  TPersistentSettings s;
  s.MaxQueueSize = 123;
  s.GraphUnit = 1;
  s.DisplayEffectView = false;
  s.Bridge.Enabled = true;
  s.Bridge.AdapterA = MakeAdapterName("lab0");
  SaveSettings(*Store, s);

  TPersistentSettings maximized = s;
  maximized.Maximized = true;
  SaveSettings(*Store, maximized);
  EXPECT_EQ(Store->value("Global/Maximized").toString(), "1");

  TPersistentSettings read;
  LoadSettings(*Store, read);
  EXPECT_EQ(read.MaxQueueSize, 123);
  EXPECT_EQ(read.GraphUnit, 1);
  EXPECT_FALSE(read.DisplayEffectView);
  EXPECT_TRUE(read.Maximized);
  EXPECT_EQ(read.Bridge.AdapterA, MakeAdapterName("lab0"));
  EXPECT_TRUE(read.Bridge.Enabled);
}

TEST_F(PersistentSettingsStore, LastConfigurationIsABinaryValueAtTheTop) {
  EXPECT_TRUE(ReadLastConfiguration(*Store).isEmpty());
  const QByteArray document("<simulator-profile>\xC3\xA9</simulator-profile>\n");
  WriteLastConfiguration(*Store, document);
  const auto reopened = OpenSettingsStore();
  EXPECT_EQ(ReadLastConfiguration(*reopened), document);
  EXPECT_TRUE(reopened->childKeys().contains("Configuration"));
}

}  // namespace
