#pragma once
// What the process lacks to intercept frames: empty when it runs as root or
// holds CAP_NET_ADMIN, CAP_NET_RAW and CAP_BPF in its effective set, else a
// line naming the missing capabilities.
#include <string>

std::string MissingPrivileges();

// Empty unless the process holds capabilities without being root (file
// capabilities on the program): then the line that refuses to run so. A Qt
// program still takes plugin paths from its environment; only the helper may
// hold capabilities.
std::string OwnCapabilitiesRefusal();
