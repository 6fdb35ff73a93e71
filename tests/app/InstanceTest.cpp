// The single-instance protocol between real processes: a second launch of
// the program talks to a first one (the probe owner, or the program itself)
// and ends once the first has handled its request.
#include <gtest/gtest.h>

#include <QSettings>

#include "ProcessSupport.h"
#include "config/CommandLine.h"

namespace {

const QString kProgram = QStringLiteral(OT_PROGRAM_PATH);
const QString kProbe = QStringLiteral(OT_PROBE_PATH);

class InstanceProbe : public testing::Test {
 protected:
  void SetUp() override {
    Env.Start(Probe, kProbe, {Log()});
    ASSERT_EQ(ReadLine(Probe), "listening") << Probe.readAllStandardError().toStdString();
  }
  void TearDown() override {
    if (Probe.state() != QProcess::NotRunning) {
      Probe.kill();
      Probe.waitForFinished(5000);
    }
  }
  QString Log() const { return Env.Path("requests.log"); }
  QList<QByteArray> LoggedLines() const {
    QFile file(Log());
    file.open(QIODevice::ReadOnly);
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeAll(QByteArray());
    return lines;
  }

  TProgramEnvironment Env;
  QProcess Probe;
};

TEST_F(InstanceProbe, LaunchWithoutParametersAsksTheFirstToComeToTheFront) {
  const TRunResult r = Env.Run(kProgram, {});
  EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
  EXPECT_EQ(LoggedLines(), QList<QByteArray>{"4001\t"});
  EXPECT_EQ(Probe.state(), QProcess::Running);
}

TEST_F(InstanceProbe, ProfilesAndSwitchesAreForwardedIntactQuotedPathsIncluded) {
  const QString spaced = Env.Path("my profiles/a b.xml");
  const TRunResult r = Env.Run(kProgram, {spaced, "-runtime:3"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
  const QList<QByteArray> lines = LoggedLines();
  ASSERT_EQ(lines.size(), 1);
  ASSERT_TRUE(lines[0].startsWith("4000\t"));
  std::vector<std::string> words = SplitCommandLine(lines[0].mid(5).toStdString());
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[1], spaced.toStdString());
  EXPECT_EQ(words[2], "-runtime:3");
}

TEST_F(InstanceProbe, QuitSwitchInCapitalsClosesTheFirstBeforeTheSecondEnds) {
  const TRunResult r = Env.Run(kProgram, {"some.xml", "/QUIT"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
  EXPECT_EQ(LoggedLines(), QList<QByteArray>{"4002\t"});
  EXPECT_TRUE(Probe.waitForFinished(20000));
  EXPECT_EQ(Probe.exitCode(), 0);
}

TEST(InstanceAlone, QuitSwitchWithoutARunningInstanceEndsAtOnce) {
  TProgramEnvironment env;
  const TRunResult r = env.Run(kProgram, {"/quit"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_TRUE(r.Out.isEmpty());
  EXPECT_TRUE(r.Err.isEmpty()) << r.Err.toStdString();
  EXPECT_FALSE(QFile::exists(env.SettingsFile()));
}

TEST(InstanceAlone, HeadlessRunsNeitherForwardNorListen) {
  TProgramEnvironment env;
  QProcess first;
  env.Start(first, kProgram, {"--headless", "--driver", "lab", "--stats-json", "/runtime:2"});
  ASSERT_FALSE(ReadLine(first).isEmpty());
  // A second headless run is not told apart from a first one: it runs too.
  const TRunResult second = env.Run(kProgram, {"--headless", "--driver", "lab", "--stats-json", "/runtime:1"});
  EXPECT_EQ(second.ExitCode, 0) << second.Err.toStdString();
  EXPECT_EQ(JsonLines(second.Out).size(), 3u);
  EXPECT_TRUE(first.waitForFinished(20000));
  EXPECT_EQ(first.exitCode(), 0);
  // Nothing of a headless run is saved.
  EXPECT_FALSE(QFile::exists(env.SettingsFile()));
}

// The program as the first instance: a forwarded profile changes what the
// running simulation does without restarting it, and the quit switch stops
// it and saves its settings.
TEST(InstanceProgram, ForwardedProfileReloadsAndQuitStopsAndSaves) {
  TProgramEnvironment env;
  QProcess first;
  env.Start(first, kProgram, {"--driver", "lab", "--stats-json"});
  ASSERT_FALSE(ReadLine(first).isEmpty()) << first.readAllStandardError().toStdString();
  const QJsonObject beforeForward = QJsonDocument::fromJson(ReadLine(first)).object();
  ASSERT_GT(Counter(beforeForward, "SentIn"), 0);

  const QString lossy =
      env.WriteFile("lossy.xml", "<simulator-profile><loss><enabled>true</enabled><impact>1000</impact></loss>"
                                 "</simulator-profile>");
  const TRunResult forward = env.Run(kProgram, {lossy});
  ASSERT_EQ(forward.ExitCode, 0) << forward.Err.toStdString();
  // Every line printed from here on was counted with the lossy settings at
  // least for its last second.
  const QJsonObject a = QJsonDocument::fromJson(ReadLine(first)).object();
  const QJsonObject b = QJsonDocument::fromJson(ReadLine(first)).object();
  EXPECT_GE(Counter(a, "FramesIn"), Counter(beforeForward, "FramesIn")) << "no restart: counters were not reset";
  EXPECT_GT(Counter(b, "DroppedIn"), Counter(a, "DroppedIn"));
  EXPECT_EQ(Counter(b, "SentIn"), Counter(a, "SentIn"));

  const TRunResult quit = env.Run(kProgram, {"-Quit"});
  EXPECT_EQ(quit.ExitCode, 0) << quit.Err.toStdString();
  // The answer comes after the stop and the save: both are done by now.
  QSettings store(env.SettingsFile(), QSettings::IniFormat);
  EXPECT_TRUE(store.value("Configuration").toByteArray().contains("<impact>1000</impact>"));
  EXPECT_EQ(store.value("Global/MaxQueueSize").toInt(), 10000);
  ASSERT_TRUE(first.waitForFinished(20000));
  EXPECT_EQ(first.exitCode(), 0);
}

}  // namespace
