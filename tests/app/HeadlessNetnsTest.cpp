// Headless runs of the program on the Linux driver, on a real adapter in a
// namespace of the test's own: what a script sees when a device goes away.
#include <gtest/gtest.h>

#include <QProcess>

#include "ProcessSupport.h"
#include "tests/platform/linux/NetnsLab.h"

namespace {

const QString kProgram = QStringLiteral(OT_PROGRAM_PATH);

std::string DeviceWithPrefix(const std::string& ns, const std::string& prefix) {
  return ShellOutput(TNetnsLab::In(ns) + "sh -c \"ls /sys/class/net | grep '^" + prefix + "' | head -n 1\"");
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// Removing the adapter, or either of the run's own devices, ends the run
// with the reason on standard error and a failing exit status.
TEST(HeadlessNetnsRun, ARemovedDeviceEndsTheRunWithAnErrorStatus) {
  OT_REQUIRE_NETNS();
  for (const std::string removed : {"otin", "otout", "h0"}) {
    SCOPED_TRACE(removed);
    TNetnsLab lab;
    const std::string host = lab.AddNamespace("h");
    const std::string peer = lab.AddNamespace("p");
    lab.AddVeth(host, "h0", peer, "p0");
    TProgramEnvironment env;
    QProcess run;
    env.Start(run, QStringLiteral("ip"),
              {"netns", "exec", QString::fromStdString(host), kProgram, "--headless", "--driver", "linux",
               "--stats-json"});
    // The first line comes once the adapter is intercepted.
    ASSERT_FALSE(ReadLine(run).isEmpty()) << run.readAllStandardError().toStdString();
    const std::string device = Trimmed(DeviceWithPrefix(host, removed));
    ASSERT_FALSE(device.empty());
    lab.Run(host, "ip link del " + device);
    const bool ended = run.waitForFinished(30000);
    if (!ended) run.kill();
    run.waitForFinished(5000);
    ASSERT_TRUE(ended) << "the run went on without its device";
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 1);
    const std::string errors = run.readAllStandardError().toStdString();
    EXPECT_NE(errors.find("The network adapter h0 is no longer available"), std::string::npos) << errors;
    EXPECT_TRUE(Trimmed(DeviceWithPrefix(host, "ot")).empty()) << "the run's devices are gone";
  }
}

}  // namespace
