// Headless runs of the program on the lab driver: what a script sees.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QSet>
#include <QtEndian>
#include <QSettings>

#include "ProcessSupport.h"

namespace {

const QString kProgram = QStringLiteral(OT_PROGRAM_PATH);

QStringList Headless(const QStringList& more) {
  return QStringList{"--headless", "--driver", "lab", "--stats-json"} + more;
}

QByteArray Profile(const QByteArray& sections) { return "<simulator-profile>" + sections + "</simulator-profile>"; }

class HeadlessRun : public testing::Test {
 protected:
  // A run of two seconds with the profile; its JSON objects.
  std::vector<QJsonObject> RunProfile(const QByteArray& sections) {
    const QString profile = Env.WriteFile("p.xml", Profile(sections));
    const TRunResult r = Env.Run(kProgram, Headless({"/runtime:2", profile}));
    EXPECT_TRUE(r.Finished);
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    return JsonLines(r.Out);
  }
  TProgramEnvironment Env;
};

TEST_F(HeadlessRun, ContractOfTheJsonLines) {
  const std::vector<QJsonObject> lines = RunProfile("");
  // The start, one per second of the limit, and the last after the stop.
  ASSERT_EQ(lines.size(), 4u);
  const QSet<QString> expected{"FramesIn",     "FramesOut",     "SentIn",      "SentOut",      "BytesIn",
                               "BytesOut",     "DroppedIn",     "DroppedOut",  "DelayedIn",    "DelayedOut",
                               "DuplicatedIn", "DuplicatedOut", "ReorderedIn", "ReorderedOut", "CorruptedIn",
                               "CorruptedOut", "OversizedIn",   "OversizedOut", "TickBytesIn",  "TickBytesOut",
                               "KernelPassedFramesIn", "KernelPassedFramesOut", "KernelPassedBytesIn",
                               "KernelPassedBytesOut"};
  for (const QJsonObject& line : lines) {
    const QStringList keys = line.keys();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()), expected);
  }
  const QJsonObject& last = lines.back();
  EXPECT_GT(Counter(last, "FramesIn"), 0);
  EXPECT_GT(Counter(last, "FramesOut"), 0);
  EXPECT_EQ(Counter(last, "SentIn"), Counter(last, "FramesIn"));
  EXPECT_EQ(Counter(last, "DroppedIn") + Counter(last, "DroppedOut"), 0);
  // The lab adapters pass nothing outside the engine.
  EXPECT_EQ(Counter(last, "KernelPassedFramesIn") + Counter(last, "KernelPassedFramesOut"), 0);
  // Every delivered byte was counted in exactly one tick.
  qint64 tickBytes = 0;
  for (const QJsonObject& line : lines) tickBytes += Counter(line, "TickBytesIn");
  EXPECT_EQ(tickBytes, Counter(last, "BytesIn"));
}

TEST_F(HeadlessRun, CountersFollowTheProfile) {
  {
    SCOPED_TRACE("all frames lost");
    const QJsonObject last = RunProfile("<loss><enabled>true</enabled><impact>1000</impact></loss>").back();
    EXPECT_GT(Counter(last, "FramesIn"), 0);
    EXPECT_EQ(Counter(last, "SentIn") + Counter(last, "SentOut"), 0);
    EXPECT_EQ(Counter(last, "DroppedIn"), Counter(last, "FramesIn"));
    EXPECT_EQ(Counter(last, "DroppedOut"), Counter(last, "FramesOut"));
  }
  {
    SCOPED_TRACE("incoming only, every frame duplicated");
    const QJsonObject last = RunProfile("<general><direction>0</direction></general>"
                                        "<duplication><enabled>true</enabled><impact>1000</impact></duplication>")
                                 .back();
    EXPECT_GT(Counter(last, "FramesIn"), 0);
    EXPECT_EQ(Counter(last, "FramesOut"), 0);
    EXPECT_EQ(Counter(last, "SentOut"), 0);
    EXPECT_EQ(Counter(last, "DuplicatedIn"), Counter(last, "FramesIn"));
    EXPECT_EQ(Counter(last, "SentIn"), 2 * Counter(last, "FramesIn"));
  }
  {
    SCOPED_TRACE("the traffic's port blocked");
    const QJsonObject last = RunProfile("<blocking><enabled>true</enabled><portlist>u5001</portlist></blocking>").back();
    EXPECT_GT(Counter(last, "DroppedIn"), 0);
    EXPECT_GT(Counter(last, "DroppedOut"), 0);
    EXPECT_EQ(Counter(last, "FramesIn") + Counter(last, "FramesOut"), 0);
  }
}

TEST_F(HeadlessRun, PresetDelaysEveryFrame) {
  const TRunResult r = Env.Run(kProgram, Headless({"--preset", "Edge, good signal", "/runtime:2"}));
  ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
  const QJsonObject last = JsonLines(r.Out).back();
  EXPECT_GT(Counter(last, "FramesIn"), 0);
  // Every frame is delayed; those still waiting at the stop were delayed but
  // never reached the impairments.
  EXPECT_GE(Counter(last, "DelayedIn"), Counter(last, "FramesIn"));
  EXPECT_EQ(Counter(last, "SentIn"), Counter(last, "FramesIn"));
  EXPECT_EQ(Counter(last, "DroppedIn"), 0);
  EXPECT_EQ(Env.Run(kProgram, Headless({"--preset", "Edge"})).ExitCode, 2);
}

// Record count of a libpcap file, or -1 when it is not one.
int PcapRecords(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = file.readAll();
  if (bytes.size() < 24) return -1;
  int records = 0;
  qsizetype at = 24;
  while (at + 16 <= bytes.size()) {
    const uint32_t included = qFromLittleEndian<uint32_t>(bytes.constData() + at + 8);
    at += 16 + included;
    ++records;
  }
  return at == bytes.size() ? records : -1;
}

TEST_F(HeadlessRun, CaptureFilesAreCompleteAfterTheStop) {
  const QString before = Env.Path("before.pcap");
  const QString after = Env.Path("after.pcap");
  const QJsonObject last = RunProfile("<loss><enabled>true</enabled><impact>500</impact></loss>"
                                      "<capture><enabled>true</enabled><before>" + before.toUtf8() +
                                      "</before><after>" + after.toUtf8() + "</after></capture>")
                               .back();
  EXPECT_EQ(PcapRecords(before), Counter(last, "FramesIn") + Counter(last, "FramesOut"));
  EXPECT_EQ(PcapRecords(after), Counter(last, "SentIn") + Counter(last, "SentOut"));
  EXPECT_LT(PcapRecords(after), PcapRecords(before));
}

TEST_F(HeadlessRun, WithoutProfileTheLastConfigurationIsUsed) {
  {
    QSettings store(Env.SettingsFile(), QSettings::IniFormat);
    store.setValue("Configuration", Profile("<loss><enabled>true</enabled><impact>1000</impact></loss>"));
  }
  const TRunResult r = Env.Run(kProgram, Headless({"/runtime:1"}));
  ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
  const QJsonObject last = JsonLines(r.Out).back();
  EXPECT_GT(Counter(last, "DroppedIn"), 0);
  EXPECT_EQ(Counter(last, "SentIn"), 0);
}

TEST_F(HeadlessRun, NamedProfilesThatDoNotLoadFailTheRun) {
  {
    QSettings store(Env.SettingsFile(), QSettings::IniFormat);
    store.setValue("Configuration", Profile(""));
  }
  const QString bad = Env.WriteFile("bad.xml", "<not-a-profile/>");
  const TRunResult r = Env.Run(kProgram, Headless({bad, Env.Path("missing.xml"), "/runtime:1"}));
  EXPECT_NE(r.ExitCode, 0);
  EXPECT_TRUE(r.Out.isEmpty()) << r.Out.toStdString();
  EXPECT_TRUE(r.Err.contains("Unable to open the profile: Incorrect profile supplied")) << r.Err.toStdString();
  EXPECT_EQ(r.Err.count("Unable to open the profile: "), 2);
}

// Settings the program will not use fail the run before any frame is
// handled, with one message that says why (and names the profile), rather
// than an error for every frame or a run that emulates nothing.
TEST_F(HeadlessRun, UnusableSettingsFailTheRunWithOneMessage) {
  const QByteArray singleWithoutPort =
      Profile("<filter><enabled>true</enabled><protocol>2</protocol><source><port><type>1</type></port></source>"
              "<destination><port/></destination></filter>");
  const QString named = Env.WriteFile("single.xml", singleWithoutPort);
  const QString problem = "the filter's source port type \"Single port\" needs 1 port but has 0";
  const struct {
    const char* What;
    QByteArray LastConfiguration;
    QStringList Parameters;
    QStringList Messages;
  } cases[] = {
      {"a named profile", Profile(""), {named},
       {"Unable to open the profile: \"" + named + "\": " + problem,
        "Cannot start simulation because no profile could be loaded"}},
      {"the last configuration", singleWithoutPort, {},
       {"Unable to open the profile: the last configuration: " + problem,
        "Cannot start simulation because the last configuration could not be loaded"}},
      {"a rate position past the table",
       Profile("<general><rateindex>40</rateindex></general><loss><enabled>true</enabled></loss>"), {},
       {"Unable to set the transfer rate", "Cannot start simulation because the settings could not be applied"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    {
      QSettings store(Env.SettingsFile(), QSettings::IniFormat);
      store.setValue("Configuration", c.LastConfiguration);
    }
    const TRunResult r = Env.Run(kProgram, Headless(QStringList{"/runtime:1"} + c.Parameters));
    EXPECT_TRUE(r.Finished);
    EXPECT_NE(r.ExitCode, 0);
    EXPECT_TRUE(r.Out.isEmpty()) << r.Out.toStdString();
    EXPECT_EQ(r.Err.trimmed().toStdString(), c.Messages.join('\n').toStdString());
  }
}

TEST_F(HeadlessRun, FirstLoadableProfileWins) {
  const QString lossy = Env.WriteFile("lossy.xml", Profile("<loss><enabled>true</enabled><impact>1000</impact></loss>"));
  const QString other = Env.WriteFile("other.xml", Profile(""));
  const TRunResult r = Env.Run(kProgram, Headless({Env.Path("missing.xml"), lossy, other, "/runtime:1"}));
  ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
  EXPECT_EQ(Counter(JsonLines(r.Out).back(), "SentIn"), 0);
}

// A signal ends a run as the end of its time does: the final counters,
// exit 0, and the first instance (a launch without --headless, here without
// a display) saves what closing its window saves. A closed terminal
// (SIGHUP) is one of them.
TEST_F(HeadlessRun, SignalsStopCleanlyAndSaveAsClosingDoes) {
  const QString lossy =
      Env.WriteFile("lossy.xml", Profile("<loss><enabled>true</enabled><impact>1000</impact></loss>"));
  struct TMode {
    const char* Name;
    QStringList Arguments;
    bool Saves;
  };
  const TMode modes[] = {{"headless", Headless({lossy}), false},
                         {"first instance", {"--driver", "lab", "--stats-json", lossy}, true}};
  for (const TMode& mode : modes) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
      SCOPED_TRACE(std::string(mode.Name) + ", signal " + std::to_string(signal));
      QFile::remove(Env.SettingsFile());
      QProcess process;
      Env.Start(process, kProgram, mode.Arguments);
      const QByteArray first = ReadLine(process);
      ASSERT_FALSE(first.isEmpty()) << process.readAllStandardError().toStdString();
      ReadLine(process);  // one tick: traffic has flowed
      ::kill(static_cast<pid_t>(process.processId()), signal);
      ASSERT_TRUE(process.waitForFinished(20000));
      EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
      EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
      const std::vector<QJsonObject> rest = JsonLines(process.readAllStandardOutput());
      ASSERT_FALSE(rest.empty());
      EXPECT_GT(Counter(rest.back(), "DroppedIn"), 0);
      if (mode.Saves) {
        QSettings store(Env.SettingsFile(), QSettings::IniFormat);
        EXPECT_TRUE(store.value("Configuration").toByteArray().contains("<impact>1000</impact>"));
        EXPECT_EQ(store.value("Global/MaxQueueSize").toInt(), 10000);
      } else {
        EXPECT_FALSE(QFile::exists(Env.SettingsFile()));
      }
    }
  }
}

TEST_F(HeadlessRun, ListAdaptersHelpAndVersion) {
  const TRunResult list = Env.Run(kProgram, {"--list-adapters", "--driver", "lab"});
  EXPECT_EQ(list.ExitCode, 0);
  EXPECT_EQ(list.Out, "0\tlab0 (lab adapter with traffic)\n1\tlab1 (idle lab adapter)\n");
  // The positions are those a profile's cardindex means: lab1 has no traffic.
  const QString onIdle = Env.WriteFile("idle.xml", Profile("<general><cardindex>1</cardindex></general>"));
  const TRunResult idle = Env.Run(kProgram, Headless({"/runtime:1", onIdle}));
  EXPECT_EQ(Counter(JsonLines(idle.Out).back(), "FramesIn"), 0);

  const TRunResult help = Env.Run(kProgram, {"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_TRUE(help.Out.contains("--headless"));
  const TRunResult version = Env.Run(kProgram, {"--version"});
  EXPECT_EQ(version.ExitCode, 0);
  EXPECT_TRUE(version.Out.startsWith("Ovelda Tarnwick "));
  const TRunResult unknown = Env.Run(kProgram, {"--bogus"});
  EXPECT_EQ(unknown.ExitCode, 2);
}

TEST_F(HeadlessRun, AdapterOutsideTheListFailsTheStart) {
  const QString profile = Env.WriteFile("far.xml", Profile("<general><cardindex>9</cardindex></general>"));
  const TRunResult r = Env.Run(kProgram, Headless({"/runtime:1", profile}));
  EXPECT_NE(r.ExitCode, 0);
  EXPECT_TRUE(r.Out.isEmpty());
  EXPECT_TRUE(r.Err.contains("Cannot start simulation because")) << r.Err.toStdString();
}

}  // namespace
