#pragma once
// Link trace files: one delivery opportunity per line, the line holding its
// timestamp as a whole number of milliseconds, the timestamps not
// decreasing. Blank lines may follow the last entry.

#include <istream>
#include <stdexcept>
#include <string>

#include "settings/LinkTrace.h"

// A trace file that cannot be read or holds a bad entry. The message names
// the file and, for a bad entry, its line.
class ELinkTraceFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the file at path.
TLinkTrace ReadLinkTraceFile(const std::string& path);
// Reads a trace from a stream; fileName is what the messages call it.
TLinkTrace ParseLinkTrace(std::istream& in, const std::string& fileName);
