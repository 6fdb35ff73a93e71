#pragma once
// The program's own version, compiled in from the build's project version,
// and its text forms.
#include <QString>

struct TProgramVersion {
  int Major = 0;
  int Minor = 0;
  int Release = 0;
};

// The version this program was built as.
TProgramVersion ProgramVersion();

// "3.2.1", or "3.2" when the release number is 0: the form the update check
// sends and compares.
QString VersionText(const TProgramVersion& version);

// VersionText of the running program.
QString LocalVersionText();
