// Which rules the matcher can use as they stand, and how a fault is named.
#include <gtest/gtest.h>

#include <functional>

#include "filter/RuleConsistency.h"

namespace {

TEST(RuleConsistency, NamesTheFirstFaultOfTheRule) {
  const struct {
    const char* Problem;  // "" for a usable rule
    std::function<void(TFilterSettings&)> Change;
  } cases[] = {
      {"", [](TFilterSettings&) {}},
      {"", [](TFilterSettings& r) { r.Source.PortType = ptSingle, r.Source.Ports = {80}; }},
      {"", [](TFilterSettings& r) { r.Destination.PortType = ptRange, r.Destination.Ports = {90, 80}; }},
      {"", [](TFilterSettings& r) { r.Source.PortType = ptList; }},  // an empty list matches nothing
      {"", [](TFilterSettings& r) { r.Protocol = fpARP, r.Source.AddrType = akGroup, r.Source.GroupId = 7; }},
      {"protocol 17 is outside its list (0 to 16)", [](TFilterSettings& r) { r.Protocol = 17; }},
      {"source address type 6 is outside its list (0 to 5)", [](TFilterSettings& r) { r.Source.AddrType = 6; }},
      {"destination port type 4 is outside its list (0 to 3)",
       [](TFilterSettings& r) { r.Destination.PortType = 4; }},
      {"source port type \"Single port\" needs 1 port but has 0",
       [](TFilterSettings& r) { r.Source.PortType = ptSingle; }},
      {"source port type \"Single port\" needs 1 port but has 2",
       [](TFilterSettings& r) { r.Source.PortType = ptSingle, r.Source.Ports = {1, 2}; }},
      {"destination port type \"Port range\" needs 2 ports but has 1",
       [](TFilterSettings& r) { r.Destination.PortType = ptRange, r.Destination.Ports = {1}; }},
      // The protocol first, then the source, then the destination.
      {"protocol 200 is outside its list (0 to 16)",
       [](TFilterSettings& r) { r.Protocol = 200, r.Source.AddrType = 9; }},
      {"source port type \"Port range\" needs 2 ports but has 0",
       [](TFilterSettings& r) { r.Source.PortType = ptRange, r.Destination.AddrType = 9; }},
  };
  for (const auto& c : cases) {
    TFilterSettings rule;
    c.Change(rule);
    EXPECT_EQ(RuleInconsistency(rule), c.Problem);
  }
}

}  // namespace
