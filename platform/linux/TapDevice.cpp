#include "platform/linux/TapDevice.h"

#include <fcntl.h>
#include <linux/if_tun.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/linux/LinkSettings.h"

namespace {

// Frames a TAP may queue for reading before the kernel drops: room for a
// burst at line rate while the engine is busy.
constexpr int kTapQueueLength = 4096;

ifreq InterfaceRequest(const std::string& name) {
  ifreq request{};
  std::strncpy(request.ifr_name, name.c_str(), IFNAMSIZ - 1);
  return request;
}

void BringUp(const std::string& name) {
  TFileDescriptor control(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0), "control socket");
  ifreq request = InterfaceRequest(name);
  request.ifr_qlen = kTapQueueLength;
  ::ioctl(control.Get(), SIOCSIFTXQLEN, &request);  // a shorter queue still works
  request = InterfaceRequest(name);
  if (::ioctl(control.Get(), SIOCGIFFLAGS, &request) < 0) ThrowSystemError("reading the flags of " + name);
  request.ifr_flags |= IFF_UP;
  if (::ioctl(control.Get(), SIOCSIFFLAGS, &request) < 0) ThrowSystemError("bringing up " + name);
}

}  // namespace

TTapDevice::TTapDevice(const std::string& nameTemplate)
    : FFd(::open("/dev/net/tun", O_RDWR | O_NONBLOCK | O_CLOEXEC), "opening /dev/net/tun") {
  if (nameTemplate.empty() || nameTemplate.size() >= IFNAMSIZ)
    throw std::invalid_argument("TAP device name must have 1 to 15 characters: \"" + nameTemplate + "\"");
  ifreq request = InterfaceRequest(nameTemplate);
  request.ifr_flags = IFF_TAP | IFF_NO_PI;
  if (::ioctl(FFd.Get(), TUNSETIFF, &request) < 0) ThrowSystemError("creating TAP device " + nameTemplate);
  FName = request.ifr_name;
  FIndex = ::if_nametoindex(FName.c_str());
  if (FIndex == 0) ThrowSystemError("finding TAP device " + FName);
  // Before it goes up: a TAP with an IPv6 address of its own would send
  // router and neighbour solicitations and MLD reports, which the
  // interception would then pass on as frames of the adapter.
  TurnOffIPv6AddressGeneration(FIndex);
  BringUp(FName);
}

TTapDevice::TTapDevice(TFileDescriptor fd) : FFd(std::move(fd)) {
  ifreq request{};
  if (::ioctl(FFd.Get(), TUNGETIFF, &request) < 0) ThrowSystemError("asking a received descriptor for its TAP device");
  if ((request.ifr_flags & IFF_TAP) == 0) throw std::runtime_error("a received descriptor is not a TAP device");
  FName = request.ifr_name;
  FIndex = ::if_nametoindex(FName.c_str());
  if (FIndex == 0) ThrowSystemError("finding TAP device " + FName);
  // The helper hands the descriptor over blocking or not; reads here never wait.
  const int flags = ::fcntl(FFd.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(FFd.Get(), F_SETFL, flags | O_NONBLOCK) < 0) ThrowSystemError("making " + FName + " non-blocking");
}

size_t TTapDevice::Read(const iovec* pieces, int count) {
  for (;;) {
    ssize_t length = ::readv(FFd.Get(), pieces, count);
    if (length >= 0) return static_cast<size_t>(length);
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return 0;
    // EBADFD once the device has been removed: nothing will ever come again.
    ThrowSystemError("reading from " + FName);
  }
}

bool TTapDevice::Write(const iovec* pieces, int count) {
  for (;;) {
    if (::writev(FFd.Get(), pieces, count) >= 0) return true;
    if (errno != EINTR) return false;
  }
}

void TTapDevice::Drain() {
  char scratch[2048];
  iovec piece{scratch, sizeof scratch};
  try {
    while (Read(&piece, 1) > 0) {
    }
  } catch (const std::exception&) {
    // A device that is gone holds nothing more.
  }
}
