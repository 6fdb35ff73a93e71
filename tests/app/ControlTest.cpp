// "ovelda-tarnwick ctl" against running instances on the lab driver: a
// headless run and the window, each a process of its own.
#include <gtest/gtest.h>

#include <functional>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSettings>
#include <QThread>

#include "ProcessSupport.h"
#include "settings/SettingsDescription.h"

namespace {

const QString kProgram = QStringLiteral(OT_PROGRAM_PATH);
const QString kWindow = QStringLiteral(OT_WINDOW_PROBE_PATH);

class Control : public testing::Test {
 protected:
  void TearDown() override {
    if (FInstance.state() != QProcess::NotRunning) {
      FInstance.terminate();
      if (!FInstance.waitForFinished(20000)) FInstance.kill();
      FInstance.waitForFinished(5000);
    }
  }

  // A headless run that owns the instance name once its socket is there.
  void StartHeadless(const QString& instance) {
    Env.Start(FInstance, kProgram, {"--headless", "--driver", "lab", "--stats-json", "--instance", instance});
    WaitForSocket("run/OveldaTarnwick-" + instance);
    ASSERT_FALSE(ReadLine(FInstance).isEmpty()) << "the run prints its first counters once it has started";
  }

  // Asks done() every pause until it answers true or 20 s have passed.
  static void Poll(const std::function<bool()>& done, unsigned long pauseMs) {
    const QDeadlineTimer guard(20000);
    while (!done() && !guard.hasExpired()) QThread::msleep(pauseMs);
  }

  void WaitForSocket(const QString& name) {
    Poll([&] { return QFile::exists(Env.Path(name)); }, 20);
    ASSERT_TRUE(QFile::exists(Env.Path(name))) << FInstance.readAllStandardError().toStdString();
  }

  // The window on the lab driver, and the first ctl command it serves: its
  // socket is there a moment before the window is.
  TRunResult StartWindowAndCtl(const QStringList& words) {
    Env.Start(FInstance, kWindow, {"--driver", "lab"});
    WaitForSocket("run/OveldaTarnwick");
    TRunResult result;
    Poll([&] { return (result = Env.Run(kProgram, QStringList{"ctl"} + words)).ExitCode == 0; }, 100);
    return result;
  }

  TRunResult Ctl(const QStringList& words) { return Env.Run(kProgram, QStringList{"ctl", "--instance", "t"} + words); }
  QJsonObject Get(const QStringList& names) {
    const TRunResult r = Ctl(QStringList{"get"} + names);
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    return QJsonDocument::fromJson(r.Out).object();
  }

  TProgramEnvironment Env;
  QProcess FInstance;
};

TEST_F(Control, SetAndGetAndARefusedSetChangesNothing) {
  StartHeadless("t");
  const TRunResult set = Ctl({"set", "loss/enabled=1", "loss/impact=1000"});
  ASSERT_EQ(set.ExitCode, 0) << set.Err.toStdString();
  const QJsonObject loss = Get({"loss/enabled", "loss/impact"});
  EXPECT_EQ(loss.value("loss/enabled"), QJsonValue(true));
  EXPECT_EQ(loss.value("loss/impact"), QJsonValue(1000));

  const TRunResult refused = Ctl({"set", "loss/impact=10", "latency/delayfrom=70000"});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_EQ(refused.Err.trimmed(), "\"latency/delayfrom\" must be from 0 to 60000, not 70000");
  EXPECT_EQ(Get({"loss/impact"}).value("loss/impact"), QJsonValue(1000));

  // Every selected frame is lost from the next second on.
  ReadLine(FInstance);
  const qint64 before = Counter(QJsonDocument::fromJson(ReadLine(FInstance)).object(), "SentOut");
  const QJsonObject after = QJsonDocument::fromJson(ReadLine(FInstance)).object();
  EXPECT_EQ(Counter(after, "SentOut"), before);
  EXPECT_GT(Counter(after, "DroppedOut"), 0);

  const QJsonObject all = Get({});
  EXPECT_EQ(all.size(), static_cast<qsizetype>(SettingDescriptions().size()));
  EXPECT_EQ(all.value("blocking/portlist"), QJsonValue(""));
  EXPECT_EQ(Ctl({"get", "loss/nothing"}).ExitCode, 1);
}

TEST_F(Control, LoadStopAndStart) {
  StartHeadless("t");
  const QString profile =
      Env.WriteFile("p.xml", "<simulator-profile><latency><enabled>true</enabled><delayfrom>30</delayfrom>"
                             "<impact>100</impact></latency></simulator-profile>");
  const TRunResult load = Ctl({"load", profile});
  ASSERT_EQ(load.ExitCode, 0) << load.Err.toStdString();
  EXPECT_EQ(Get({"latency/delayfrom"}).value("latency/delayfrom"), QJsonValue(30));
  const TRunResult missing = Ctl({"load", Env.Path("missing.xml")});
  EXPECT_EQ(missing.ExitCode, 1);
  EXPECT_TRUE(missing.Err.contains("Unable to open the profile")) << missing.Err.toStdString();

  ASSERT_EQ(Ctl({"stop"}).ExitCode, 0);
  const QJsonObject stopped = QJsonDocument::fromJson(Ctl({"stats"}).Out).object();
  QThread::msleep(1500);
  EXPECT_EQ(QJsonDocument::fromJson(Ctl({"stats"}).Out).object(), stopped) << "a stopped run counts nothing";

  ASSERT_EQ(Ctl({"start"}).ExitCode, 0);
  const QDeadlineTimer guard(20000);
  qint64 frames = 0;
  while (frames <= 0 && !guard.hasExpired()) {
    frames = Counter(QJsonDocument::fromJson(ReadLine(FInstance)).object(), "FramesIn");
  }
  EXPECT_GT(frames, 0);
  EXPECT_EQ(FInstance.state(), QProcess::Running);
}

TEST_F(Control, StatisticsFollowOncePerSecondUntilTheRunEnds) {
  StartHeadless("t");
  QProcess follow;
  Env.Start(follow, kProgram, {"ctl", "--instance", "t", "stats", "--follow"});
  QElapsedTimer clock;
  std::vector<qint64> times;
  for (int i = 0; i < 3; ++i) {
    const QByteArray line = ReadLine(follow);
    ASSERT_FALSE(line.isEmpty());
    times.push_back(clock.elapsed());
    EXPECT_GE(Counter(QJsonDocument::fromJson(line).object(), "FramesIn"), 0) << line.toStdString();
  }
  // One object a second: never two in the same second, however slow the
  // machine is.
  for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], 900);
  FInstance.terminate();
  ASSERT_TRUE(FInstance.waitForFinished(20000));
  ASSERT_TRUE(follow.waitForFinished(20000));
  EXPECT_EQ(follow.exitCode(), 0);
}

TEST_F(Control, NoSuchInstanceIsExitStatusThree) {
  const TRunResult r = Env.Run(kProgram, {"ctl", "--instance", "nobody", "get"});
  EXPECT_EQ(r.ExitCode, 3);
  EXPECT_EQ(r.Err.trimmed(), "No instance named \"nobody\" is running");
  EXPECT_EQ(Env.Run(kProgram, {"ctl", "get"}).ExitCode, 3);
}

// The window shows a change at once: its controls hold the value, and what
// it keeps at close is what they hold.
TEST_F(Control, ASetShowsInTheWindow) {
  const TRunResult set = StartWindowAndCtl({"set", "latency/enabled=1", "latency/delayfrom=250"});
  ASSERT_EQ(set.ExitCode, 0) << set.Err.toStdString();
  const TRunResult get = Env.Run(kProgram, {"ctl", "get", "latency/delayfrom"});
  EXPECT_EQ(QJsonDocument::fromJson(get.Out).object().value("latency/delayfrom"), QJsonValue(250));
  ASSERT_EQ(Env.Run(kProgram, {"/quit"}).ExitCode, 0);
  ASSERT_TRUE(FInstance.waitForFinished(20000));
  QSettings saved(Env.SettingsFile(), QSettings::NativeFormat);
  const QByteArray configuration = saved.value("Configuration").toByteArray();
  EXPECT_TRUE(configuration.contains("<delayfrom>250</delayfrom>")) << configuration.toStdString();
}

// A profile loaded into a running window applies at once, as one the user
// chose there: its latency delays the lab traffic from then on.
TEST_F(Control, AProfileLoadedIntoTheRunningWindowApplies) {
  const TRunResult start = StartWindowAndCtl({"start"});
  ASSERT_EQ(start.ExitCode, 0) << start.Err.toStdString();
  const QString profile =
      Env.WriteFile("p.xml", "<simulator-profile><latency><enabled>true</enabled><delayfrom>30</delayfrom>"
                             "<impact>100</impact></latency></simulator-profile>");
  const TRunResult load = Env.Run(kProgram, {"ctl", "load", profile});
  ASSERT_EQ(load.ExitCode, 0) << load.Err.toStdString();
  qint64 delayed = 0;
  Poll(
      [&] {
        const QJsonObject stats = QJsonDocument::fromJson(Env.Run(kProgram, {"ctl", "stats"}).Out).object();
        delayed = Counter(stats, "DelayedIn") + Counter(stats, "DelayedOut");
        return delayed > 0;
      },
      200);
  EXPECT_GT(delayed, 0);
}

}  // namespace
