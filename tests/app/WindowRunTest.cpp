// The program with its main window as a real process (offscreen): how it
// ends when a signal comes or its run time is over.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDeadlineTimer>
#include <QSettings>
#include <QThread>

#include "ProcessSupport.h"

namespace {

const QString kProgram = QStringLiteral(OT_PROGRAM_PATH);
const QString kWindow = QStringLiteral(OT_WINDOW_PROBE_PATH);

QByteArray LossyProfile() {
  return "<simulator-profile><loss><enabled>true</enabled><impact>1000</impact></loss></simulator-profile>";
}

// What closing the window saves: the placement and the last configuration.
void ExpectSavedAsAtClose(const TProgramEnvironment& env) {
  QSettings store(env.SettingsFile(), QSettings::IniFormat);
  EXPECT_TRUE(store.value("Configuration").toByteArray().contains("<impact>1000</impact>"));
  EXPECT_TRUE(store.contains("Window/Geometry"));
  EXPECT_TRUE(store.contains("Global/MaxQueueSize"));
}

TEST(WindowRun, SignalsCloseTheWindowAsTheUserDoes) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE("signal " + std::to_string(signal));
    TProgramEnvironment env;
    const QString lossy = env.WriteFile("lossy.xml", LossyProfile());
    QProcess window;
    env.Start(window, kWindow, {"--driver", "lab"});
    // Once the window owns the instance name, a launch is handled by its
    // loop: the profile is loaded, and the signal watch is in place.
    const QDeadlineTimer guard(20000);
    while (!QFile::exists(env.Path("run/OveldaTarnwick")) && !guard.hasExpired()) QThread::msleep(20);
    const TRunResult forward = env.Run(kProgram, {lossy});
    ASSERT_EQ(forward.ExitCode, 0) << forward.Err.toStdString();

    ::kill(static_cast<pid_t>(window.processId()), signal);
    ASSERT_TRUE(window.waitForFinished(20000));
    EXPECT_EQ(window.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(window.exitCode(), 0) << window.readAllStandardError().toStdString();
    ExpectSavedAsAtClose(env);
  }
}

TEST(WindowRun, RunTimeSwitchBehindTheProfileClosesTheWindow) {
  TProgramEnvironment env;
  const QString lossy = env.WriteFile("lossy.xml", LossyProfile());
  const TRunResult r = env.Run(kWindow, {"--driver", "lab", lossy, "/runtime:1"}, 30000);
  ASSERT_TRUE(r.Finished) << "the window did not close at the end of its run time";
  EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
  ExpectSavedAsAtClose(env);
}

}  // namespace
