// The single-instance protocol between real processes: a second launch of
// the program talks to a first one (the probe owner, or the program itself)
// and ends once the first has handled its request.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSettings>
#include <functional>

#include "ProcessSupport.h"
#include "common/FileDescriptor.h"
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

TEST_F(InstanceProbe, RelativeProfilePathsReachTheFirstInstanceAbsolute) {
  QDir().mkpath(Env.Path("work"));
  Env.WorkingDirectory = Env.Path("work");
  const TRunResult r = Env.Run(kProgram, {"profiles/a.xml", "/runtime:3", "/abs/b.xml"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
  const QList<QByteArray> lines = LoggedLines();
  ASSERT_EQ(lines.size(), 1);
  const std::vector<std::string> words = SplitCommandLine(lines[0].mid(5).toStdString());
  EXPECT_EQ(std::vector<std::string>(words.begin() + 1, words.end()),
            (std::vector<std::string>{Env.Path("work/profiles/a.xml").toStdString(), "/runtime:3", "/abs/b.xml"}));
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

// Without XDG_RUNTIME_DIR the socket goes into a directory of the user's
// own in the temporary directory.
class InstanceFallback : public testing::Test {
 protected:
  InstanceFallback() {
    Env.Environment.remove("XDG_RUNTIME_DIR");
    Env.Environment.insert("TMPDIR", Env.Path("tmp"));
    QDir().mkpath(Env.Path("tmp"));
  }
  QString Private() const { return Env.Path("tmp/ovelda-tarnwick-" + QString::number(geteuid())); }
  TProgramEnvironment Env;
};

TEST_F(InstanceFallback, RuntimeDirectoryIsCreatedPrivate) {
  QProcess probe;
  Env.Start(probe, kProbe, {Env.Path("requests.log")});
  ASSERT_EQ(ReadLine(probe), "listening") << probe.readAllStandardError().toStdString();
  struct stat status {};
  ASSERT_EQ(lstat(Private().toLocal8Bit().constData(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  EXPECT_EQ(status.st_mode & 07777, 0700u);
  EXPECT_EQ(status.st_uid, geteuid());
  EXPECT_TRUE(QFileInfo(Private() + "/OveldaTarnwick").exists());
  // A launch finds the first there.
  const TRunResult r = Env.Run(kProgram, {"/quit"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
  EXPECT_TRUE(probe.waitForFinished(20000));
}

TEST_F(InstanceFallback, ADirectoryOthersCouldControlIsNeverUsed) {
  struct TCase {
    const char* Name;
    std::function<void(const QString& path)> Make;
    const char* Reason;
  };
  const TCase cases[] = {
      {"open to every user", [](const QString& path) {
         QDir().mkpath(path);
         chmod(path.toLocal8Bit().constData(), 0777);
       }, "is open to other users"},
      {"another user's", [](const QString& path) {
         QDir().mkpath(path);
         chmod(path.toLocal8Bit().constData(), 0700);
         ASSERT_EQ(chown(path.toLocal8Bit().constData(), 65534, 65534), 0);
       }, "belongs to another user"},
      {"a link to a private directory", [this](const QString& path) {
         QDir().mkpath(Env.Path("elsewhere"));
         chmod(Env.Path("elsewhere").toLocal8Bit().constData(), 0700);
         ASSERT_TRUE(QFile::link(Env.Path("elsewhere"), path));
       }, "is a symbolic link"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    QFile::remove(Private());
    QDir(Private()).removeRecursively();
    c.Make(Private());
    const TRunResult owner = Env.Run(kProbe, {Env.Path("requests.log")});
    EXPECT_EQ(owner.ExitCode, 1);
    EXPECT_TRUE(owner.Err.contains(Private().toUtf8() + " " + c.Reason)) << owner.Err.toStdString();
    // A launch that could only ask an instance to quit cannot, and says so.
    const TRunResult quit = Env.Run(kProgram, {"/quit"});
    EXPECT_EQ(quit.ExitCode, 1);
    EXPECT_TRUE(quit.Err.contains(Private().toUtf8())) << quit.Err.toStdString();
    // Nothing was put into it (nor where the link points).
    const QDir::Filters everything = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden;
    EXPECT_TRUE(QDir(Private()).entryList(everything).isEmpty());
    EXPECT_TRUE(QDir(Env.Path("elsewhere")).entryList(everything).isEmpty());
  }
}

// A socket at the instance's name held by a process of another user (here
// root, while the launch runs as nobody) is handed nothing.
TEST(InstancePeer, AnotherUsersSocketIsNotHandedTheCommandLine) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run a launch as another user";
  TProgramEnvironment env;
  chmod(env.Dir.path().toLocal8Bit().constData(), 0711);
  const QString run = env.Path("nobody-run");
  QDir().mkpath(run);
  chmod(run.toLocal8Bit().constData(), 0700);
  ASSERT_EQ(chown(run.toLocal8Bit().constData(), 65534, 65534), 0);
  env.Environment.insert("XDG_RUNTIME_DIR", run);
  // The lock is taken, as by an owner, and the socket answers connections.
  const QByteArray lockPath = (run + "/OveldaTarnwick.lock").toLocal8Bit();
  const TFileDescriptor lock(open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666), "lock");
  fchmod(lock.Get(), 0666);
  ASSERT_EQ(flock(lock.Get(), LOCK_EX), 0);
  QLocalServer server;
  server.setSocketOptions(QLocalServer::WorldAccessOption);
  ASSERT_TRUE(server.listen(run + "/OveldaTarnwick")) << server.errorString().toStdString();

  QProcess launch;
  launch.setChildProcessModifier([] {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
  });
  env.Start(launch, kProgram, {"--driver", "lab", env.Path("secret.xml")});
  ASSERT_TRUE(launch.waitForFinished(30000));
  EXPECT_EQ(launch.exitCode(), 1);
  EXPECT_TRUE(launch.readAllStandardError().contains("belongs to another user"));
  // Whatever it connected, nothing came over.
  QByteArray received;
  while (server.hasPendingConnections() || server.waitForNewConnection(100)) {
    QLocalSocket* socket = server.nextPendingConnection();
    if (!socket) break;
    socket->waitForReadyRead(100);
    received += socket->readAll();
  }
  EXPECT_TRUE(received.isEmpty()) << received.toStdString();
}

// Launches at the same moment: the owner lock makes exactly one the first
// instance; the others find it and forward, and its socket stays.
TEST(InstanceAlone, ConcurrentFirstLaunchesAgreeOnOneOwner) {
  TProgramEnvironment env;
  constexpr int kLaunches = 4;
  QProcess launches[kLaunches];
  for (QProcess& launch : launches) env.Start(launch, kProgram, {"--driver", "lab", "--stats-json"});
  auto stillRunning = [&] {
    int running = 0;
    for (QProcess& launch : launches) {
      if (launch.state() != QProcess::NotRunning && !launch.waitForFinished(20)) ++running;
    }
    return running;
  };
  const QDeadlineTimer guard(30000);
  while (stillRunning() > 1 && !guard.hasExpired()) {
  }
  ASSERT_EQ(stillRunning(), 1);
  QProcess* owner = nullptr;
  for (QProcess& launch : launches) {
    if (launch.state() != QProcess::NotRunning) {
      owner = &launch;
    } else {
      EXPECT_EQ(launch.exitCode(), 0) << launch.readAllStandardError().toStdString();
    }
  }
  ASSERT_NE(owner, nullptr);
  EXPECT_TRUE(QFileInfo(env.Path("run/OveldaTarnwick")).exists());
  const TRunResult quit = env.Run(kProgram, {"/quit"});
  EXPECT_EQ(quit.ExitCode, 0) << quit.Err.toStdString();
  ASSERT_TRUE(owner->waitForFinished(20000));
  EXPECT_EQ(owner->exitCode(), 0);
  EXPECT_EQ(owner->readAllStandardError().count("Ovelda Tarnwick is already running"), kLaunches - 1);
}

// The program as the first instance: a forwarded profile changes what the
// running simulation does without restarting it, one that does not load
// fails the launch that sent it, and the quit switch stops it and saves its
// settings.
TEST(InstanceProgram, ForwardedProfileReloadsOrIsRefusedAndQuitStopsAndSaves) {
  TProgramEnvironment env;
  QProcess first;
  env.Start(first, kProgram, {"--driver", "lab", "--stats-json"});
  ASSERT_FALSE(ReadLine(first).isEmpty()) << first.readAllStandardError().toStdString();
  const QJsonObject beforeForward = QJsonDocument::fromJson(ReadLine(first)).object();
  ASSERT_GT(Counter(beforeForward, "SentIn"), 0);

  // A profile the first instance cannot load refuses the request: the
  // launch says why and fails.
  const TRunResult refused = env.Run(kProgram, {env.Path("missing.xml")});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_TRUE(refused.Err.contains(env.Path("missing.xml").toUtf8() + ": Unable to open the profile: "))
      << refused.Err.toStdString();

  // Given relative to the launch's own working directory.
  env.WriteFile("lossy.xml", "<simulator-profile><loss><enabled>true</enabled><impact>1000</impact></loss>"
                             "</simulator-profile>");
  env.WorkingDirectory = env.Dir.path();
  const TRunResult forward = env.Run(kProgram, {"lossy.xml"});
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
