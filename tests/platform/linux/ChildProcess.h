#pragma once
// A step of a test run by another process inside a test namespace: another
// instance of the program, as root or as an unprivileged user that holds
// only the packet driver's capabilities, optionally with /proc/sys read-only
// as containers mount it. The child reports through a pipe and is killed
// when the owner goes.
#include <sys/types.h>

#include <functional>
#include <string>

struct TChildOptions {
  // Runs as user nobody with CAP_NET_ADMIN, CAP_NET_RAW and CAP_BPF only
  // (and CAP_DAC_OVERRIDE, because /dev/net/tun is root's alone on these
  // machines): it cannot read other processes' programs or descriptors.
  bool AsUser = false;
  bool ReadOnlyProcSys = false;
};

class TChildProcess {
 public:
  // report(text) sends one report to the owner; body runs in the child, which
  // ends when body returns. The child never outlives a minute.
  using TReport = std::function<void(const std::string&)>;
  TChildProcess(const std::string& ns, const TChildOptions& options, const std::function<void(const TReport&)>& body);
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // The next report, or "" when none came within 20 s or the child ended.
  std::string NextReport();
  // Kills the child with SIGKILL and reaps it.
  void KillNine();

 private:
  pid_t FChild = -1;
  int FReports = -1;
};
