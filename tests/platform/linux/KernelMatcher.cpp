#include "tests/platform/linux/KernelMatcher.h"

#include <bpf/bpf.h>
#include <linux/bpf.h>
#include <linux/pkt_cls.h>

#include <algorithm>
#include <memory>
#include <cerrno>
#include <mutex>
#include <stdexcept>
#include <string>

#include "common/Assertion.h"
#include "engine/PacketDriver.h"
#include "filter/LocalAddresses.h"
#include "filter/MatchesFilter.h"

TKernelMatcher::TKernelMatcher() {
  // The target device is never reached: a test run does not redirect.
  FIngress.emplace(LoadStealProgram(1, TTcAttachPoint::Ingress, false, FMaps));
  FEgress.emplace(LoadStealProgram(1, TTcAttachPoint::Egress, false, FMaps));
}

std::optional<bool> TKernelMatcher::Passes(bool incoming, const std::vector<uint8_t>& frame,
                                           TSegmentation segmentation) {
  __sk_buff context{};
  context.gso_size = segmentation.SegmentSize;
  context.gso_segs = segmentation.Segments;
  LIBBPF_OPTS(bpf_test_run_opts, run, .data_in = frame.data(), .data_size_in = static_cast<uint32_t>(frame.size()),
              .ctx_in = &context, .ctx_size_in = sizeof context);
  const int fd = (incoming ? *FIngress : *FEgress).Fd();
  if (bpf_prog_test_run_opts(fd, &run) != 0) {
    if (errno == EINVAL) return std::nullopt;
    ThrowSystemError("running the steal program on a frame of " + std::to_string(frame.size()) + " bytes");
  }
  if (run.retval == static_cast<uint32_t>(TC_ACT_UNSPEC)) return true;
  if (run.retval == TC_ACT_REDIRECT) return false;
  throw std::runtime_error("the steal program answered " + std::to_string(static_cast<int32_t>(run.retval)));
}

std::optional<bool> EnginePassesUntouched(const TFrameSelection& selection, const TIPAddrList& local, bool incoming,
                                          const std::vector<uint8_t>& frame) {
  if (frame.size() > kMaxFrameData) return false;  // counted as a jumbo frame
  const TTrafficDirection direction = selection.Direction;
  if ((incoming && direction == TTrafficDirection::tdOutgoing) ||
      (!incoming && direction == TTrafficDirection::tdIncoming))
    return true;
  if (!selection.Filter.Enabled) return false;
  std::recursive_mutex lock;
  TLocalAddresses addresses(lock);
  addresses.Replace(local);
  try {
    return !MatchesFilter(selection.Filter, direction, frame.data(), static_cast<uint32_t>(frame.size()), addresses);
  } catch (const EAssertionFailed&) {
    return std::nullopt;
  }
}

namespace {

// The first segment the kernel would cut from a TCP super-frame: all its
// headers and one segment of payload.
std::vector<uint8_t> FirstSegment(const std::vector<uint8_t>& frame, size_t headers, uint16_t segmentSize) {
  return std::vector<uint8_t>(frame.begin(), frame.begin() + std::min(frame.size(), headers + segmentSize));
}

// The headers of an untagged TCP frame: Ethernet, IP, TCP with its options;
// 0 for any other frame.
size_t TcpHeaderBytes(const std::vector<uint8_t>& frame) {
  const size_t net = 14;
  if (frame.size() < net + 40) return 0;
  const bool v4 = frame[12] == 0x08 && frame[13] == 0x00;
  const bool v6 = frame[12] == 0x86 && frame[13] == 0xDD;
  if (!(v4 && frame[net + 9] == 6) && !(v6 && frame[net + 6] == 6)) return 0;
  const size_t tcp = v4 ? net + (frame[net] & 0x0F) * 4u : net + 40;
  return tcp + 20 <= frame.size() ? tcp + (frame[tcp + 12] >> 4) * 4u : 0;
}

}  // namespace

std::string KernelDisagreement(TKernelMatcher& matcher, const TFrameSelection& selection, const TIPAddrList* local,
                               bool incoming, const std::vector<uint8_t>& frame, TSegmentation segmentation) {
  const std::unique_ptr<TKernelSelection> kernelSelection = TranslateSelection(selection, local);
  matcher.Select(*kernelSelection);
  const std::optional<bool> ran = matcher.Passes(incoming, frame, segmentation);
  if (!ran) return "refused";
  const bool kernel = *ran;
  const std::string side = incoming ? "incoming" : "outgoing";
  const size_t tcpHeaders = TcpHeaderBytes(frame);
  if (segmentation.SegmentSize && tcpHeaders == 0) {
    // Other super-frames may be cut into IP fragments, whose later pieces
    // carry no ports: they are the engine's to decide.
    return kernel ? side + ": the kernel passed a super-frame that is not TCP" : "";
  }
  const std::vector<uint8_t> seen =
      segmentation.SegmentSize ? FirstSegment(frame, tcpHeaders, segmentation.SegmentSize) : frame;
  const std::optional<bool> engine = EnginePassesUntouched(selection, local ? *local : TIPAddrList(), incoming, seen);
  if (!engine) {
    if (kernelSelection->Fallback.empty()) return side + ": the engine fails on the rule, the kernel decides it";
    return kernel ? side + ": the kernel passed a frame of a rule it left to the engine" : "";
  }
  if (kernel && !*engine) return side + ": the kernel passed a frame the engine selects";
  if (!kernelSelection->Fallback.empty()) return kernel ? side + ": the kernel passed a frame in fallback" : "";
  if (!kernel && *engine) return side + ": the kernel stole a frame the engine hands back untouched";
  return "";
}

std::string KernelDisagreementEitherWay(TKernelMatcher& matcher, const TFilterSettings& rule,
                                        TTrafficDirection direction, const TIPAddrList& local,
                                        const std::vector<uint8_t>& frame) {
  TFrameSelection selection;
  selection.EngineSeesAll = false;
  selection.Direction = direction;
  selection.Filter = rule;
  for (bool incoming : {true, false}) {
    const std::string wrong = KernelDisagreement(matcher, selection, &local, incoming, frame);
    if (!wrong.empty() && wrong != "refused") return wrong;
  }
  return "";
}
