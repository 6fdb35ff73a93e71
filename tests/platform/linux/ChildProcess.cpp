#include "tests/platform/linux/ChildProcess.h"

#include <grp.h>
#include <linux/capability.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <exception>
#include <stdexcept>

#include "tests/platform/linux/NetnsLab.h"

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCapBpf = 39;

void MakeProcSysReadOnly() {
  if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("/proc/sys", "/proc/sys", nullptr, MS_BIND, nullptr) != 0 ||
      ::mount(nullptr, "/proc/sys", nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
    throw std::runtime_error("cannot make /proc/sys read-only");
}

void BecomeCapableUser() {
  if (::prctl(PR_SET_KEEPCAPS, 1) != 0 || ::setgroups(0, nullptr) != 0 ||
      ::setresgid(kNobody, kNobody, kNobody) != 0 || ::setresuid(kNobody, kNobody, kNobody) != 0)
    throw std::runtime_error("cannot become user nobody");
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  for (int capability : {CAP_NET_ADMIN, CAP_NET_RAW, CAP_DAC_OVERRIDE, kCapBpf}) {
    data[capability / 32].effective |= 1U << (capability % 32);
    data[capability / 32].permitted |= 1U << (capability % 32);
  }
  if (::syscall(SYS_capset, &header, data) != 0) throw std::runtime_error("cannot keep the driver's capabilities");
}

void WriteReport(int fd, const std::string& text) {
  std::string line = text + '\n';
  [[maybe_unused]] ssize_t written = ::write(fd, line.data(), line.size());
}

}  // namespace

TChildProcess::TChildProcess(const std::string& ns, const TChildOptions& options,
                             const std::function<void(const TReport&)>& body) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
  FChild = ::fork();
  if (FChild < 0) throw std::runtime_error("fork");
  if (FChild == 0) {
    ::close(pipeFds[0]);
    ::alarm(60);  // never outlives the test, whatever happens to the parent
    const int out = pipeFds[1];
    try {
      if (options.ReadOnlyProcSys) MakeProcSysReadOnly();
      TNetnsEnter inside(ns);
      if (options.AsUser) BecomeCapableUser();
      body([out](const std::string& text) { WriteReport(out, text); });
    } catch (const std::exception& error) {
      WriteReport(out, std::string("child failed: ") + error.what());
    }
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  FReports = pipeFds[0];
}

TChildProcess::~TChildProcess() {
  KillNine();
  if (FReports >= 0) ::close(FReports);
}

std::string TChildProcess::NextReport() {
  std::string line;
  for (;;) {
    pollfd wait{FReports, POLLIN, 0};
    char c = 0;
    if (::poll(&wait, 1, 20000) != 1 || ::read(FReports, &c, 1) != 1) return "";
    if (c == '\n') return line;
    line += c;
  }
}

void TChildProcess::KillNine() {
  if (FChild <= 0) return;
  ::kill(FChild, SIGKILL);
  int status;
  ::waitpid(FChild, &status, 0);
  FChild = -1;
}
