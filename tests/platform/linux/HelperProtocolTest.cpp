// The messages between the program and its helper: what one side encodes the
// other decodes to the same fields, and every malformed message is refused
// whole, with its reason.
#include <gtest/gtest.h>

#include "platform/linux/helper/HelperProtocol.h"

namespace {

std::vector<uint8_t> Message(uint8_t kind, std::vector<uint8_t> body, uint8_t version = kHelperProtocolVersion) {
  std::vector<uint8_t> bytes{'O', 'T', version, kind, static_cast<uint8_t>(body.size()),
                             static_cast<uint8_t>(body.size() >> 8)};
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

TEST(HelperProtocol, RequestsAndAnswersSurviveTheTrip) {
  const THelperRequest requests[] = {
      {THelperRequestKind::Hello},
      {THelperRequestKind::Intercept, 7, 3, THelperAttach::ClsBpf},
      {THelperRequestKind::Intercept, 0xFFFFFFFF, 1, THelperAttach::Auto},
      {THelperRequestKind::OpenPort, 2},
      {THelperRequestKind::Release, 2},
      {THelperRequestKind::TerminateTcp, 0, 0, THelperAttach::Auto, 0x0100000A, 0x5000, 0x0200000A, 0xD204},
      {THelperRequestKind::ResolveNeighbour, 3, 0, THelperAttach::Auto, 0, 0, 0, 0, 0x0200000A},
  };
  for (const THelperRequest& request : requests) {
    std::vector<uint8_t> bytes = EncodeHelperRequest(request);
    std::string why;
    std::optional<THelperRequest> decoded = DecodeHelperRequest(bytes.data(), bytes.size(), why);
    ASSERT_TRUE(decoded) << why;
    EXPECT_EQ(*decoded, request);
  }
  const THelperAnswer answers[] = {
      {THelperRequestKind::Intercept, true, THelperAttach::Tcx, 5, ""},
      {THelperRequestKind::Intercept, false, THelperAttach::Auto, 0, "The adapter h0 is already intercepted"},
      {THelperRequestKind::OpenPort, true, THelperAttach::Auto, 1, ""},
  };
  for (const THelperAnswer& answer : answers) {
    std::vector<uint8_t> bytes = EncodeHelperAnswer(answer);
    std::string why;
    std::optional<THelperAnswer> decoded = DecodeHelperAnswer(bytes.data(), bytes.size(), why);
    ASSERT_TRUE(decoded) << why;
    EXPECT_EQ(*decoded, answer);
  }
}

TEST(HelperProtocol, MalformedRequestsAreRefusedWithTheirReason) {
  const struct {
    const char* Name;
    std::vector<uint8_t> Bytes;
  } cases[] = {
      {"empty", {}},
      {"header cut", {'O', 'T', kHelperProtocolVersion, 1, 0}},
      {"other magic", {'X', 'T', kHelperProtocolVersion, 1, 0, 0}},
      {"other version", Message(1, {}, kHelperProtocolVersion + 1)},
      {"unknown kind", Message(9, {})},
      {"body longer than said", {'O', 'T', kHelperProtocolVersion, 3, 4, 0, 1, 0, 0, 0, 0}},
      {"body shorter than said", {'O', 'T', kHelperProtocolVersion, 3, 4, 0, 1, 0, 0}},
      {"body too short for its kind", Message(2, {1, 0, 0, 0, 3, 0, 0, 0})},
      {"body too long for its kind", Message(1, {0})},
      {"mode that does not intercept", Message(2, {1, 0, 0, 0, 0, 0, 0, 0, 0})},
      {"mode beyond both directions", Message(2, {1, 0, 0, 0, 4, 0, 0, 0, 0})},
      {"unknown hook kind", Message(2, {1, 0, 0, 0, 3, 0, 0, 0, 3})},
      {"adapter index 0", Message(3, {0, 0, 0, 0})},
      {"neighbour on adapter index 0", Message(6, {0, 0, 0, 0, 10, 0, 0, 2})},
      {"neighbour address 0", Message(6, {3, 0, 0, 0, 0, 0, 0, 0})},
      {"longer than any message", Message(1, std::vector<uint8_t>(kHelperMessageMax, 0))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string why;
    EXPECT_FALSE(DecodeHelperRequest(c.Bytes.data(), c.Bytes.size(), why));
    EXPECT_FALSE(why.empty());
  }
}

TEST(HelperProtocol, AnswersThatContradictThemselvesAreRefused) {
  const struct {
    const char* Name;
    std::vector<uint8_t> Bytes;
  } cases[] = {
      {"fields cut", Message(2, {1, 1, 0, 0})},
      {"granted with an error", Message(2, {1, 1, 0, 1, 0, 'x'})},
      {"refused without a reason", Message(2, {0, 0, 0, 0, 0})},
      {"refused with descriptors", Message(2, {0, 0, 1, 1, 0, 'x'})},
      {"more descriptors than any answer", Message(2, {1, 1, kHelperMaxFds + 1, 0, 0})},
      {"error longer than the message", Message(2, {0, 0, 0, 5, 0, 'x'})},
      {"unknown hook kind", Message(2, {1, 3, 0, 0, 0})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string why;
    EXPECT_FALSE(DecodeHelperAnswer(c.Bytes.data(), c.Bytes.size(), why));
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
