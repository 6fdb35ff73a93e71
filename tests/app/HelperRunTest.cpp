// The program as an unprivileged user would run it: the user is made for the
// test, the interception helper sits in an installed tree's layout with its
// group and file capabilities, and the program intercepts a veth of a
// namespace of the test's own through it.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <grp.h>
#include <net/if.h>
#include <pwd.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QProcess>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "ProcessSupport.h"
#include "platform/linux/TcAttachment.h"
#include "tests/platform/linux/NetnsLab.h"

namespace {

namespace fs = std::filesystem;

const std::string kProgram = OT_PROGRAM_PATH;
const std::string kHelper = OT_HELPER_PATH;
const std::string kProbe = OT_HELPER_PROBE_PATH;
constexpr char kGroup[] = "ovelda-tarnwick";
constexpr uint64_t kHelperCapabilities = (1ULL << 12) | (1ULL << 13) | (1ULL << 39);

// The capability set named (CapEff, CapPrm) of a process.
uint64_t Capabilities(pid_t pid, const std::string& set) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(set + ":", 0) == 0) return std::stoull(line.substr(set.size() + 1), nullptr, 16);
  return ~0ULL;
}

// The child of the process whose executable has the given name.
pid_t ChildNamed(pid_t parent, const std::string& name) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string pidText = entry.path().filename();
    if (pidText.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const size_t close = text.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(text.substr(close + 2));
    std::string state;
    pid_t ppid = 0;
    rest >> state >> ppid;
    std::error_code error;
    if (ppid == parent && fs::read_symlink(entry.path() / "exe", error).filename() == name)
      return std::stoi(pidText);
  }
  return 0;
}

class HelperRun : public testing::Test {
 protected:
  void SetUp() override {
    OT_REQUIRE_NETNS();
    for (const char* tool : {"setcap", "useradd", "userdel", "setpriv", "unshare"})
      if (Shell(std::string("command -v ") + tool + " >/dev/null") != 0) GTEST_SKIP() << "needs " << tool;
    FUser = "ot-helper-" + std::to_string(::getpid());
    if (!::getgrnam(kGroup)) {
      ASSERT_EQ(Shell(std::string("groupadd ") + kGroup), 0);
      FMadeGroup = true;
    }
    ASSERT_EQ(Shell("useradd -M -N -s /usr/sbin/nologin -G " + std::string(kGroup) + " " + FUser), 0);
    FMadeUser = true;
    char pattern[] = "/tmp/ot-helper-run-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    FTree = pattern;
    ::chmod(FTree.c_str(), 0755);
    BuildTree();
    FLab = std::make_unique<TNetnsLab>();
    FLab->AddHostAndPeer(FHost, FPeer, "10.79.0.1", "10.79.0.2");
  }

  void TearDown() override {
    if (FRun.state() != QProcess::NotRunning) {
      FRun.kill();
      FRun.waitForFinished(10000);
    }
    FLab.reset();
    if (!FTree.empty()) Shell("rm -rf " + FTree);
    if (FMadeUser) Shell("userdel " + FUser);
    if (FMadeGroup) Shell(std::string("groupdel ") + kGroup);
  }

  // bin/ and libexec/ovelda-tarnwick/ as a package installs them, the helper
  // with the mode, group and capabilities the package's postinst gives it;
  // a home for the user; and a TUN device node that the user may open
  // (desktops have /dev/net/tun open to all, containers often not).
  void BuildTree() {
    fs::create_directories(FTree + "/bin");
    fs::create_directories(FTree + "/libexec/ovelda-tarnwick");
    fs::create_directories(FTree + "/home/run");
    fs::copy_file(kProgram, FTree + "/bin/ovelda-tarnwick");
    fs::copy_file(kProbe, FTree + "/bin/ot-helper-probe");
    const std::string helper = FTree + "/libexec/ovelda-tarnwick/ovelda-tarnwick-helper";
    fs::copy_file(kHelper, helper);
    ASSERT_EQ(Shell(std::string("chgrp ") + kGroup + " " + helper + " && chmod 0750 " + helper +
                    " && setcap cap_net_admin,cap_net_raw,cap_bpf+ep " + helper),
              0);
    ASSERT_EQ(Shell("chown -R " + FUser + " " + FTree + "/home && chmod 0700 " + FTree + "/home/run"), 0);
    ASSERT_EQ(::mknod((FTree + "/tun").c_str(), S_IFCHR | 0666, makedev(10, 200)), 0);
    ::chmod((FTree + "/tun").c_str(), 0666);
  }

  // Starts the program in H as the user, with the helper's group or without.
  void Start(const std::string& arguments, bool inGroup, const std::string& environment = {},
             const std::string& program = {}) {
    const std::string run = "mount --bind " + FTree + "/tun /dev/net/tun && exec " + TNetnsLab::In(FHost) +
                            "setpriv --reuid " + FUser + " --regid users " +
                            (inGroup ? "--init-groups" : "--clear-groups") + " env -i HOME=" + FTree +
                            "/home XDG_CONFIG_HOME=" + FTree + "/home XDG_RUNTIME_DIR=" + FTree +
                            "/home/run QT_QPA_PLATFORM=offscreen " + environment + " " +
                            (program.empty() ? FTree + "/bin/ovelda-tarnwick" : program) + " " + arguments;
    FRun.start("unshare", {"-m", "sh", "-c", QString::fromStdString(run)});
    ASSERT_TRUE(FRun.waitForStarted(10000));
  }

  std::vector<uint32_t> HookPrograms() {
    TNetnsEnter inside(FHost);
    return HookProgramIds(::if_nametoindex("h0"));
  }

  uint32_t ClsBpfIngress() {
    TNetnsEnter inside(FHost);
    return ClsBpfProgramId(::if_nametoindex("h0"), TTcAttachPoint::Ingress);
  }

  std::string OurDevices() {
    return ShellOutput(TNetnsLab::In(FHost) + "sh -c \"ls /sys/class/net | grep '^ot' || true\"");
  }

  std::string FUser, FTree, FHost, FPeer;
  bool FMadeUser = false;
  bool FMadeGroup = false;
  std::unique_ptr<TNetnsLab> FLab;
  QProcess FRun;
};

TEST_F(HelperRun, AGroupMemberInterceptsWithoutCapabilitiesAndKill9RestoresTheAdapter) {
  for (const bool clsBpf : {false, true}) {
    SCOPED_TRACE(clsBpf ? "cls_bpf forced" : "hooks the kernel offers");
    Start("--headless --driver linux --stats-json --preset '3G, good signal' /runtime:120", true,
          clsBpf ? "OT_ATTACH_KIND=cls_bpf" : "");
    // The first line comes once the adapter is intercepted.
    ASSERT_FALSE(ReadLine(FRun).isEmpty()) << FRun.readAllStandardError().toStdString();
    const pid_t program = static_cast<pid_t>(FRun.processId());
    const pid_t helper = ChildNamed(program, "ovelda-tarnwick-helper");
    ASSERT_NE(helper, 0) << "the program runs its helper as a child";
    EXPECT_EQ(Capabilities(program, "CapEff"), 0u);
    EXPECT_EQ(Capabilities(program, "CapPrm"), 0u);
    EXPECT_EQ(Capabilities(helper, "CapPrm"), kHelperCapabilities) << "the helper keeps only its three";
    EXPECT_EQ(Capabilities(helper, "CapEff"), 0u) << "and raises none between requests";
    EXPECT_EQ(HookPrograms().size(), 2u);
    if (clsBpf) {
      EXPECT_NE(ClsBpfIngress(), 0u);
    }

    // 90 ms added each way: the replies come, late, and are counted.
    const std::string ping = ShellOutput(TNetnsLab::In(FPeer) + "ping -q -c 5 -i 0.2 -W 5 10.79.0.1 2>&1");
    EXPECT_EQ(PingReceived(ping), 5) << ping;
    EXPECT_GE(PingAverageMs(ping), 175.0) << ping;
    qint64 framesIn = 0;
    for (int line = 0; line < 10 && framesIn < 5; ++line) {
      const QByteArray text = ReadLine(FRun);
      if (text.isEmpty()) break;
      framesIn = Counter(JsonLines(text).front(), "FramesIn");
    }
    EXPECT_GE(framesIn, 5);

    ASSERT_EQ(::kill(program, SIGKILL), 0);
    ASSERT_TRUE(FRun.waitForFinished(10000));
    // The tcx links and TAPs end with the program; the helper removes its
    // cls_bpf filters as soon as the program's end of the socket closes.
    // The wait only guards against a hang.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((!HookPrograms().empty() || ChildNamed(1, "ovelda-tarnwick-helper") == helper) &&
           std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(HookPrograms().empty()) << "a hook stayed on h0 after kill -9";
    EXPECT_EQ(OurDevices(), "");
    const std::string after = ShellOutput(TNetnsLab::In(FPeer) + "ping -q -c 3 -i 0.2 -W 2 10.79.0.1 2>&1");
    EXPECT_EQ(PingReceived(after), 3) << after;
  }
}

// The maps of the steal programs come from the helper, and the program,
// without any capability, writes the rule into them: with incoming frames
// only emulated, the replies the host sends never reach the engine and are
// counted by the kernel.
TEST_F(HelperRun, AGroupMemberWritesTheRuleAndTheKernelPassesWhatItDoesNotSelect) {
  const std::string profile = FTree + "/home/incoming.xml";
  std::ofstream(profile) << "<simulator-profile><general><direction>0</direction></general></simulator-profile>";
  ASSERT_EQ(Shell("chown " + FUser + " " + profile), 0);
  Start("--headless --driver linux --stats-json /runtime:120 " + profile, true);
  ASSERT_FALSE(ReadLine(FRun).isEmpty()) << FRun.readAllStandardError().toStdString();
  const std::string ping = ShellOutput(TNetnsLab::In(FPeer) + "ping -q -c 5 -i 0.2 -W 5 10.79.0.1 2>&1");
  EXPECT_EQ(PingReceived(ping), 5) << ping;
  qint64 passedOut = 0, framesIn = 0, framesOut = -1;
  for (int line = 0; line < 10 && (passedOut < 5 || framesIn < 5); ++line) {
    const QByteArray text = ReadLine(FRun);
    if (text.isEmpty()) break;
    const QJsonObject counters = JsonLines(text).front();
    passedOut = Counter(counters, "KernelPassedFramesOut");
    framesIn = Counter(counters, "FramesIn");
    framesOut = Counter(counters, "FramesOut");
  }
  EXPECT_GE(passedOut, 5) << "the echo replies stayed in the kernel";
  EXPECT_GE(framesIn, 5) << "the requests went through the engine";
  EXPECT_EQ(framesOut, 0);
}

// Outside interceptions the program needs the helper to cut a connection
// (the connection list) and to have a neighbour resolved (the MAC address
// of a filter rule); without it both fail for lack of CAP_NET_ADMIN.
TEST_F(HelperRun, TheHelperCutsConnectionsAndResolvesNeighboursForTheProgram) {
  const std::string probe = FTree + "/bin/ot-helper-probe";
  TFileDescriptor listener, client, server;
  sockaddr_in serverAddress{}, clientAddress{};
  {
    TNetnsEnter inside(FHost);
    listener = TFileDescriptor(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), "listener");
    serverAddress.sin_family = AF_INET;
    ::inet_pton(AF_INET, "10.79.0.1", &serverAddress.sin_addr);
    socklen_t length = sizeof serverAddress;
    ASSERT_EQ(::bind(listener.Get(), reinterpret_cast<sockaddr*>(&serverAddress), sizeof serverAddress), 0);
    ASSERT_EQ(::listen(listener.Get(), 1), 0);
    ASSERT_EQ(::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&serverAddress), &length), 0);
    client = TFileDescriptor(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), "client");
    ASSERT_EQ(::connect(client.Get(), reinterpret_cast<sockaddr*>(&serverAddress), sizeof serverAddress), 0);
    server = TFileDescriptor(::accept4(listener.Get(), nullptr, nullptr, SOCK_CLOEXEC), "accept");
    length = sizeof clientAddress;
    ASSERT_EQ(::getsockname(client.Get(), reinterpret_cast<sockaddr*>(&clientAddress), &length), 0);
  }
  Start("terminate 10.79.0.1 " + std::to_string(ntohs(clientAddress.sin_port)) + " 10.79.0.1 " +
            std::to_string(ntohs(serverAddress.sin_port)),
        true, "", probe);
  ASSERT_TRUE(FRun.waitForFinished(30000));
  EXPECT_EQ(FRun.exitCode(), 0) << FRun.readAllStandardError().toStdString();
  char byte;
  EXPECT_EQ(::recv(client.Get(), &byte, 1, MSG_DONTWAIT), -1);
  EXPECT_EQ(errno, ECONNABORTED) << "the connection was cut";

  FLab->Run(FHost, "ip neigh flush dev h0");
  Start("resolve 10.79.0.2", true, "", probe);
  ASSERT_TRUE(FRun.waitForFinished(30000));
  EXPECT_EQ(FRun.exitCode(), 0) << FRun.readAllStandardError().toStdString();
  EXPECT_EQ(FRun.readAllStandardOutput().toStdString(),
            ShellOutput(TNetnsLab::In(FPeer) + "cat /sys/class/net/p0/address"));
}

TEST_F(HelperRun, WithoutTheGroupOrTheHelperTheDriverCheckSaysWhichAndWhatToDo) {
  const struct {
    const char* Name;
    bool InGroup;
    bool RemoveHelper;
    std::string Expected;
  } cases[] = {
      {"the same user outside the group", false, false,
       "add yourself to the group ovelda-tarnwick and log in again\n"},
      {"no helper beside the program", true, true, "is missing: install the package ovelda-tarnwick"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.RemoveHelper) fs::remove(FTree + "/libexec/ovelda-tarnwick/ovelda-tarnwick-helper");
    Start("--headless --driver linux /runtime:30", c.InGroup);
    ASSERT_TRUE(FRun.waitForFinished(30000));
    EXPECT_EQ(FRun.exitCode(), 1);
    const std::string errors = FRun.readAllStandardError().toStdString();
    EXPECT_NE(errors.find(c.Expected), std::string::npos) << errors;
    EXPECT_TRUE(HookPrograms().empty());
  }
}

TEST_F(HelperRun, AProgramWithCapabilitiesOfItsOwnRefusesToStart) {
  const std::string program = FTree + "/bin/ovelda-tarnwick";
  ASSERT_EQ(Shell("setcap cap_net_admin,cap_net_raw+ep " + program), 0);
  Start("--list-adapters --driver lab", true, "", program);
  ASSERT_TRUE(FRun.waitForFinished(30000));
  EXPECT_EQ(FRun.exitCode(), 1);
  const std::string errors = FRun.readAllStandardError().toStdString();
  EXPECT_NE(errors.find("does not run with capabilities of its own"), std::string::npos) << errors;
  EXPECT_TRUE(FRun.readAllStandardOutput().isEmpty());
}

TEST_F(HelperRun, ListingTheAdaptersNeedsNoHelper) {
  // Outside the group: the helper cannot be started, and is not needed.
  Start("--list-adapters --driver linux", false);
  ASSERT_TRUE(FRun.waitForFinished(30000));
  EXPECT_EQ(FRun.exitCode(), 0) << FRun.readAllStandardError().toStdString();
  EXPECT_EQ(FRun.readAllStandardOutput().toStdString(), "0\th0 (veth)\n");
}

}  // namespace
