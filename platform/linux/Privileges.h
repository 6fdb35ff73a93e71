#pragma once
// What the process lacks to intercept frames: empty when it runs as root or
// holds CAP_NET_ADMIN, CAP_NET_RAW and CAP_BPF in its effective set, else a
// line naming the missing capabilities.
#include <string>

std::string MissingPrivileges();
