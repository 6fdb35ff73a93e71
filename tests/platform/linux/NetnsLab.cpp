#include "tests/platform/linux/NetnsLab.h"

#include <fcntl.h>
#include <linux/bpf.h>
#include <sys/syscall.h>
#include <sched.h>
#include <sys/wait.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <cstring>
#include <stdexcept>

#include "platform/linux/TcAttachment.h"

int Shell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

std::string ShellOutput(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return output;
  std::array<char, 4096> chunk;
  size_t read;
  while ((read = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) output.append(chunk.data(), read);
  ::pclose(pipe);
  return output;
}

TNetnsLab::TNetnsLab() {
  static std::atomic<int> counter{0};
  FPrefix = "ot" + std::to_string(::getpid()) + "x" + std::to_string(counter++);
}

TNetnsLab::~TNetnsLab() {
  // Deleting a namespace removes the veth ends inside it, and with them their peers.
  for (auto it = FNamespaces.rbegin(); it != FNamespaces.rend(); ++it) Shell("ip netns del " + *it + " 2>/dev/null");
}

std::string TNetnsLab::AddNamespace(const std::string& shortName) {
  std::string name = FPrefix + shortName;
  if (Shell("ip netns add " + name) != 0) throw std::runtime_error("cannot create namespace " + name);
  FNamespaces.push_back(name);
  Run(name, "ip link set lo up");
  return name;
}

void TNetnsLab::AddHostAndPeer(std::string& host, std::string& peer, const std::string& hostAddress,
                               const std::string& peerAddress) {
  host = AddNamespace("h");
  peer = AddNamespace("p");
  AddVeth(host, "h0", peer, "p0");
  if (!hostAddress.empty()) Run(host, "ip addr add " + hostAddress + "/24 dev h0");
  if (!peerAddress.empty()) Run(peer, "ip addr add " + peerAddress + "/24 dev p0");
}

void TNetnsLab::AddVeth(const std::string& nsA, const std::string& a, const std::string& nsB,
                        const std::string& b) {
  Run(nsA, "ip link add " + a + " type veth peer name " + b + " netns " + nsB);
  Run(nsA, "ip link set " + a + " up");
  Run(nsB, "ip link set " + b + " up");
}

void TNetnsLab::Run(const std::string& ns, const std::string& command) {
  if (Shell(In(ns) + command) != 0) throw std::runtime_error("failed in " + ns + ": " + command);
}

TNetnsEnter::TNetnsEnter(const std::string& ns)
    : FPrevious(::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC), "current namespace") {
  TFileDescriptor target(::open(("/run/netns/" + ns).c_str(), O_RDONLY | O_CLOEXEC), "namespace " + ns);
  if (::setns(target.Get(), CLONE_NEWNET) < 0) ThrowSystemError("entering namespace " + ns);
}

TNetnsEnter::~TNetnsEnter() { ::setns(FPrevious.Get(), CLONE_NEWNET); }

uint32_t InterfaceIndex(const std::string& ns, const std::string& device) {
  std::string text = ShellOutput(TNetnsLab::In(ns) + "cat /sys/class/net/" + device + "/ifindex");
  return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

double PingAverageMs(const std::string& output) {
  std::smatch match;
  static const std::regex summary(R"(= [0-9.]+/([0-9.]+)/[0-9.]+/)");
  if (!std::regex_search(output, match, summary)) return -1;
  return std::stod(match[1]);
}

int PingReceived(const std::string& output) {
  std::smatch match;
  static const std::regex summary(R"(([0-9]+) received)");
  if (!std::regex_search(output, match, summary)) return 0;
  return std::stoi(match[1]);
}

uint32_t TcxProgramCount(uint32_t ifindex, uint32_t attachType) {
  bpf_attr attr;
  std::memset(&attr, 0, sizeof attr);
  attr.query.target_fd = ifindex;
  attr.query.attach_type = attachType;
  if (::syscall(__NR_bpf, BPF_PROG_QUERY, &attr, sizeof attr) < 0) return 0;
  return attr.query.prog_cnt;
}

std::vector<uint32_t> HookProgramIds(uint32_t ifindex) {
  std::vector<uint32_t> ids = AttachedProgramIds(ifindex, TTcAttachPoint::Ingress);
  std::vector<uint32_t> egress = AttachedProgramIds(ifindex, TTcAttachPoint::Egress);
  ids.insert(ids.end(), egress.begin(), egress.end());
  return ids;
}
