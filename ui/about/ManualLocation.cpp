#include "ui/about/ManualLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// OT_SOURCE_MANUAL: the manual in the source tree, from the build.
#ifndef OT_SOURCE_MANUAL
#error "the build must define OT_SOURCE_MANUAL"
#endif

const char* const kManualFileName = "manual.html";

QStringList ManualCandidates(const QString& programDir) {
  const QDir dir(programDir);
  return {
      QDir::cleanPath(dir.filePath(QString::fromLatin1(kManualFileName))),
      QDir::cleanPath(dir.filePath(QStringLiteral("../share/doc/ovelda-tarnwick/") + kManualFileName)),
      QStringLiteral(OT_SOURCE_MANUAL),
  };
}

QString FirstExistingFile(const QStringList& candidates) {
  for (const QString& candidate : candidates)
    if (QFileInfo(candidate).isFile()) return candidate;
  return {};
}

QString ManualPath() { return FirstExistingFile(ManualCandidates(QCoreApplication::applicationDirPath())); }
