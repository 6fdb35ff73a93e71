#pragma once
// Where the program finds its manual: next to the program, in the
// documentation folder of an installation (share/doc/ovelda-tarnwick beside
// bin), or in the source tree it was built from.
#include <QString>
#include <QStringList>

extern const char* const kManualFileName;  // "manual.html"

// The places looked at, in order, for a program in programDir.
QStringList ManualCandidates(const QString& programDir);
// The first candidate that is an existing file, else an empty text.
QString FirstExistingFile(const QStringList& candidates);
// The manual of the running program, or an empty text when there is none.
QString ManualPath();
