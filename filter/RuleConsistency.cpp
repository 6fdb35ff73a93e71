#include "filter/RuleConsistency.h"

namespace {

// The number of ports a kind needs, or -1 when any number will do.
int PortsNeeded(uint8_t portType) {
  switch (portType) {
    case ptSingle:
      return 1;
    case ptRange:
      return 2;
    default:
      return -1;
  }
}

std::string EndpointInconsistency(const TFilterEndpoint& endpoint, const std::string& side) {
  if (endpoint.AddrType >= kFilterAddrTypeCount) {
    return ValueOutsideList(side + " address type", endpoint.AddrType, kFilterAddrTypeCount);
  }
  if (endpoint.PortType >= kFilterPortTypeCount) {
    return ValueOutsideList(side + " port type", endpoint.PortType, kFilterPortTypeCount);
  }
  const int needed = PortsNeeded(endpoint.PortType);
  if (needed >= 0 && endpoint.Ports.size() != static_cast<size_t>(needed)) {
    return side + " port type \"" + kFilterPortTypeLabels[endpoint.PortType] + "\" needs " + std::to_string(needed) +
           (needed == 1 ? " port" : " ports") + " but has " + std::to_string(endpoint.Ports.size());
  }
  return {};
}

}  // namespace

std::string ValueOutsideList(const std::string& what, long long value, int count) {
  return what + " " + std::to_string(value) + " is outside its list (0 to " + std::to_string(count - 1) + ")";
}

std::string RuleInconsistency(const TFilterSettings& rule) {
  if (rule.Protocol >= kFilterProtocolCount) return ValueOutsideList("protocol", rule.Protocol, kFilterProtocolCount);
  std::string problem = EndpointInconsistency(rule.Source, "source");
  if (problem.empty()) problem = EndpointInconsistency(rule.Destination, "destination");
  return problem;
}
