#pragma once
// Test hosts for real traffic: network namespaces with names unique to this
// run, joined by veth pairs, all removed when the lab goes (also when a test
// fails). Addresses exist only inside these namespaces.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/FileDescriptor.h"

// Skips the test with a visible message unless it may build namespaces.
#define OT_REQUIRE_NETNS()                                                         \
  do {                                                                             \
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to build network namespaces"; \
    if (std::system("ip -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs iproute2"; \
  } while (0)

// Runs a shell command; returns its exit status (127 and above: not run).
int Shell(const std::string& command);
// Runs a shell command and returns what it printed on standard output.
std::string ShellOutput(const std::string& command);

class TNetnsLab {
 public:
  TNetnsLab();
  ~TNetnsLab();

  // Creates a namespace with its loopback up; returns its full name.
  std::string AddNamespace(const std::string& shortName);
  // A veth pair: end a in namespace nsA, end b in nsB, both up.
  void AddVeth(const std::string& nsA, const std::string& a, const std::string& nsB, const std::string& b);
  // The usual pair: a host namespace with device h0 (where the emulator
  // runs) and a peer with p0, joined by a veth; each end gets its address
  // (an IPv4 address in a /24) unless it is empty. Fills in both names.
  void AddHostAndPeer(std::string& host, std::string& peer, const std::string& hostAddress = {},
                      const std::string& peerAddress = {});
  // Runs a command inside a namespace; throws when it fails.
  void Run(const std::string& ns, const std::string& command);
  // "ip netns exec <ns> "
  static std::string In(const std::string& ns) { return "ip netns exec " + ns + " "; }

 private:
  std::string FPrefix;
  std::vector<std::string> FNamespaces;
};

// Moves the calling thread into a namespace for its lifetime; threads it
// starts meanwhile are born there. Back to the previous namespace at the end.
class TNetnsEnter {
 public:
  explicit TNetnsEnter(const std::string& ns);
  ~TNetnsEnter();

 private:
  TFileDescriptor FPrevious;
};

// The interface index of a device inside a namespace.
uint32_t InterfaceIndex(const std::string& ns, const std::string& device);

// How many tcx programs the device has on the attach point.
uint32_t TcxProgramCount(uint32_t ifindex, uint32_t attachType);
// The ids of every program on the device's hooks, ingress then egress: tcx
// programs and our cls_bpf filters.
std::vector<uint32_t> HookProgramIds(uint32_t ifindex);

// Parses ping's summary; returns the average RTT in ms, or -1 when no reply came.
double PingAverageMs(const std::string& output);
// Number of replies in ping's summary.
int PingReceived(const std::string& output);
