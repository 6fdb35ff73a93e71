#include "filter/FilterSettings.h"

const char* const kFilterProtocolLabels[kFilterProtocolCount] = {
    "Any",         "IPv4 TCP",     "IPv4 UDP",    "IPv4 TCP/UDP", "IPv4 AH/ESP", "IPv4 GRE",
    "IPv4 ICMP",   "Any IPv4",     "IPv6 TCP",    "IPv6 UDP",     "IPv6 TCP/UDP", "IPv6 AH/ESP",
    "IPv6 GRE",    "IPv6 ICMP",    "Any IPv6",    "PPPoE",        "ARP",
};

const char* const kFilterAddrTypeLabels[kFilterAddrTypeCount] = {
    "Local host", "Single IP address", "Whole IP range", "Any IP address", "MAC address", "Group",
};

const char* const kFilterPortTypeLabels[kFilterPortTypeCount] = {
    "Any", "Single port", "Port range", "Port list",
};

void ResetFilterSettings(TFilterSettings& settings) {
  settings.Enabled = false;
  settings.Protocol = fpAny;
  settings.Source = TFilterEndpoint();
  settings.Destination = TFilterEndpoint();
}
