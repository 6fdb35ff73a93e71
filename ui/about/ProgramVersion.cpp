#include "ui/about/ProgramVersion.h"

// OT_VERSION_MAJOR, OT_VERSION_MINOR and OT_VERSION_RELEASE come from the
// build (the project's version); see this folder's CMakeLists.txt.
#if !defined(OT_VERSION_MAJOR) || !defined(OT_VERSION_MINOR) || !defined(OT_VERSION_RELEASE)
#error "the build must define OT_VERSION_MAJOR, OT_VERSION_MINOR and OT_VERSION_RELEASE"
#endif

TProgramVersion ProgramVersion() { return {OT_VERSION_MAJOR, OT_VERSION_MINOR, OT_VERSION_RELEASE}; }

QString VersionText(const TProgramVersion& version) {
  if (version.Release != 0)
    return QStringLiteral("%1.%2.%3").arg(version.Major).arg(version.Minor).arg(version.Release);
  return QStringLiteral("%1.%2").arg(version.Major).arg(version.Minor);
}

QString LocalVersionText() { return VersionText(ProgramVersion()); }
