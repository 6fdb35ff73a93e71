#pragma once
// The messages between the program and its interception helper, one per
// datagram of a SOCK_SEQPACKET socket pair. Every message starts with a
// six-byte header: "OT", the protocol version, the request kind, and the
// body's length (16 bits, little-endian), which must be the rest of the
// datagram exactly. Each kind has a body of fixed layout; a message that
// does not match it in every byte count and field range is refused whole.
// Descriptors travel beside an answer (SCM_RIGHTS); the answer says how many.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr uint8_t kHelperProtocolVersion = 2;
// The descriptor the helper finds its end of the socket pair on.
inline constexpr int kHelperSocketFd = 3;
// No message is longer: a receive buffer of this size never cuts one.
inline constexpr size_t kHelperMessageMax = 1024;
// The most descriptors an answer carries: two TAPs, their two receive
// rings, the packet socket towards the local stack, the three maps of the
// steal programs and three tcx links.
inline constexpr uint8_t kHelperMaxFds = 11;

enum class THelperRequestKind : uint8_t {
  // Checks that the helper can do its work; answers with the hook kind.
  Hello = 1,
  // Intercepts an adapter; the answer carries the "in" TAP, the "out" TAP,
  // the packet sockets of their receive rings, the packet socket towards
  // the local stack,
  // the rule, address and count maps of the steal programs and, for tcx
  // hooks, the links in the order of attachment.
  Intercept = 2,
  // A packet socket bound to the adapter, sending with the re-injection mark.
  OpenPort = 3,
  // Removes the cls_bpf filters the helper keeps for the adapter.
  Release = 4,
  // Cuts an established IPv4 TCP connection.
  TerminateTcp = 5,
  // Starts the kernel's resolution of an IPv4 neighbour on an adapter.
  ResolveNeighbour = 6,
};

// The hooks an interception uses. Auto lets the helper pick what the kernel
// offers; ClsBpf forces the fallback of kernels without tcx.
enum class THelperAttach : uint8_t { Auto = 0, Tcx = 1, ClsBpf = 2 };

struct THelperRequest {
  THelperRequestKind Kind = THelperRequestKind::Hello;
  uint32_t Adapter = 0;  // Intercept, OpenPort, Release, ResolveNeighbour: an interface index
  uint32_t QueueFlags = 0;  // Intercept: 1, 2 or 3
  THelperAttach Attach = THelperAttach::Auto;  // Intercept
  // TerminateTcp: addresses and ports in network byte order.
  uint32_t LocalAddress = 0;
  uint16_t LocalPort = 0;
  uint32_t RemoteAddress = 0;
  uint16_t RemotePort = 0;
  uint32_t Neighbour = 0;  // ResolveNeighbour: the address, network byte order, not 0

  bool operator==(const THelperRequest&) const = default;
};

struct THelperAnswer {
  THelperRequestKind Kind = THelperRequestKind::Hello;  // the request's
  bool Ok = false;
  THelperAttach Attach = THelperAttach::Auto;  // Hello, Intercept: the hooks used
  uint8_t FdCount = 0;
  std::string Error;  // one line for the user when not Ok

  bool operator==(const THelperAnswer&) const = default;
};

std::vector<uint8_t> EncodeHelperRequest(const THelperRequest& request);
// nullopt with the reason in why when the bytes are not a valid request.
std::optional<THelperRequest> DecodeHelperRequest(const uint8_t* data, size_t size, std::string& why);

std::vector<uint8_t> EncodeHelperAnswer(const THelperAnswer& answer);
std::optional<THelperAnswer> DecodeHelperAnswer(const uint8_t* data, size_t size, std::string& why);
