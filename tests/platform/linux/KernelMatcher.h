#pragma once
// The steal programs' decision on one frame, asked of the kernel with
// BPF_PROG_TEST_RUN (no traffic, no device), beside the engine's decision
// on the same frame: the two must agree. Needs the privilege to load
// programs.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/FrameSelection.h"
#include "filter/IPUtil.h"
#include "platform/linux/BpfProgram.h"
#include "platform/linux/KernelSelection.h"

// A super-frame as the kernel holds it before it is cut into segments.
struct TSegmentation {
  uint16_t SegmentSize = 0;  // 0: a plain frame
  uint16_t Segments = 0;
};

class TKernelMatcher {
 public:
  TKernelMatcher();

  // Writes the selection into the programs' maps, as the driver does.
  void Select(const TKernelSelection& selection) { FMaps.Write(selection); }
  // True when the program on that side lets the frame pass (TC_ACT_UNSPEC),
  // false when it steals it (TC_ACT_REDIRECT); nullopt when the kernel
  // refuses to run a frame this malformed (shorter than an Ethernet header,
  // or an IP header cut short).
  std::optional<bool> Passes(bool incoming, const std::vector<uint8_t>& frame, TSegmentation segmentation = {});
  TKernelPassedCounts Passed() const { return FMaps.Passed(); }

 private:
  TSelectionMaps FMaps;
  std::optional<TBpfProgram> FIngress;
  std::optional<TBpfProgram> FEgress;
};

// What the engine does with the frame: true when it hands it back untouched
// (direction or filter), false when it goes on to capture, blocking and the
// impairments (a jumbo frame, which the engine counts, included); nullopt
// when the rule makes the engine fail with an assertion.
std::optional<bool> EnginePassesUntouched(const TFrameSelection& selection, const TIPAddrList& local, bool incoming,
                                          const std::vector<uint8_t>& frame);

// Runs the frame through the kernel with the selection and compares with
// the engine: the kernel may let a frame pass only where the engine would
// hand it back untouched, and where it does not fall back it must let pass
// every such frame. local nullptr: the engine has not told the driver its
// addresses (the engine itself then has none). A super-frame is compared
// with the engine's decision on its first segment. Returns what went wrong,
// empty when the two agree; "refused" when the kernel would not run the frame.
std::string KernelDisagreement(TKernelMatcher& matcher, const TFrameSelection& selection, const TIPAddrList* local,
                               bool incoming, const std::vector<uint8_t>& frame, TSegmentation segmentation = {});

// The same for a rule and direction on a normal (not bridged) adapter, both
// sides of the frame: the first disagreement, empty when there is none.
// Frames the kernel will not run count as agreeing.
std::string KernelDisagreementEitherWay(TKernelMatcher& matcher, const TFilterSettings& rule,
                                        TTrafficDirection direction, const TIPAddrList& local,
                                        const std::vector<uint8_t>& frame);
