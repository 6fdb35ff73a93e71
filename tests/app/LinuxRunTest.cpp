// The program on the Linux driver, launched as a user would launch it, in a
// host namespace H whose adapter h0 another instance of the program already
// intercepts; the peer P sits on h0's other end.
#include <gtest/gtest.h>
#include <net/if.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/linux/TcAttachment.h"
#include "tests/platform/linux/ChildProcess.h"
#include "tests/platform/linux/FrameRelay.h"
#include "tests/platform/linux/NetnsLab.h"

namespace {

const std::string kProgram = OT_PROGRAM_PATH;

struct TLaunch {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class LinuxRun : public testing::Test {
 protected:
  void SetUp() override {
    OT_REQUIRE_NETNS();
    char pattern[] = "/tmp/ot-linux-run-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    FDir = pattern;
    FLab = std::make_unique<TNetnsLab>();
    FLab->AddHostAndPeer(FHost, FPeer, "10.78.0.1", "10.78.0.2");
  }
  void TearDown() override {
    FHolder.reset();
    FLab.reset();
    if (!FDir.empty()) Shell("rm -rf " + FDir);
  }

  // Another instance that holds h0 until the test ends.
  void StartHolder(TAttachKind kind) {
    FHolder = std::make_unique<TChildProcess>(FHost, TChildOptions{}, HoldAdapter(kind));
    ASSERT_EQ(FHolder->NextReport(), "ready");
  }

  // Runs the program in H with its own settings and socket directories.
  TLaunch Launch(const std::string& arguments) {
    std::string command = TNetnsLab::In(FHost) + "env XDG_CONFIG_HOME=" + FDir + "/config XDG_RUNTIME_DIR=" + FDir +
                          " QT_QPA_PLATFORM=offscreen timeout 60 " + kProgram + " " + arguments + " >" + FDir +
                          "/out 2>" + FDir + "/err";
    TLaunch launch;
    launch.ExitCode = Shell(command);
    launch.Out = ReadWhole(FDir + "/out");
    launch.Err = ReadWhole(FDir + "/err");
    return launch;
  }

  // The ids of the programs on h0's hooks, as the kernel reports them.
  std::vector<uint32_t> HookPrograms() {
    TNetnsEnter inside(FHost);
    return HookProgramIds(::if_nametoindex("h0"));
  }

  std::string FDir;
  std::unique_ptr<TNetnsLab> FLab;
  std::string FHost, FPeer;
  std::unique_ptr<TChildProcess> FHolder;
};

TEST_F(LinuxRun, ListingTheAdaptersShowsNoTapsAndLeavesTheOtherInstanceAlone) {
  // cls_bpf filters outlive their process, so the start-up clean-up looks
  // at them: those of a live instance must stay.
  StartHolder(TAttachKind::ClsBpf);
  const std::vector<uint32_t> held = HookPrograms();
  ASSERT_EQ(held.size(), 2u);
  TLaunch list = Launch("--list-adapters --driver linux");
  EXPECT_EQ(list.ExitCode, 0) << list.Err;
  EXPECT_EQ(list.Out, "0\th0 (veth)\n");
  EXPECT_EQ(HookPrograms(), held);
}

TEST_F(LinuxRun, AHeadlessRunOnAnInterceptedAdapterIsRefusedNamingIt) {
  StartHolder(TAttachKind::Tcx);
  const std::vector<uint32_t> held = HookPrograms();
  ASSERT_EQ(held.size(), 2u);
  TLaunch run = Launch("--headless --driver linux /runtime:30");
  EXPECT_NE(run.ExitCode, 0);
  EXPECT_NE(run.ExitCode, 124) << "ended by the time limit instead of by itself";
  EXPECT_NE(run.Err.find("The adapter h0 is already intercepted by another running instance"), std::string::npos)
      << run.Err;
  EXPECT_EQ(HookPrograms(), held);
  std::string ping = ShellOutput(TNetnsLab::In(FPeer) + "ping -q -c 3 -i 0.2 -W 2 10.78.0.1 2>&1");
  EXPECT_EQ(PingReceived(ping), 3) << ping;
  EXPECT_EQ(ping.find("DUP"), std::string::npos) << ping;
}

}  // namespace
