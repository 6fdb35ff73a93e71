#include "app/DesktopIdentity.h"

#include <QFile>
#include <QGuiApplication>

#include "common/Assertion.h"
#include "ui/main/SvgIconEngine.h"

static void LoadApplicationResources() { Q_INIT_RESOURCE(app); }

QIcon ApplicationIcon() {
  static const bool loaded = (LoadApplicationResources(), true);
  (void)loaded;
  QFile file(QStringLiteral(":/app/%1.svg").arg(QLatin1String(kDesktopFileName)));
  OT_ASSERT(file.open(QIODevice::ReadOnly), "DesktopIdentity", "missing application icon");
  return QIcon(new TSvgIconEngine(file.readAll()));
}

void SetDesktopIdentity() {
  QGuiApplication::setDesktopFileName(QLatin1String(kDesktopFileName));
  QGuiApplication::setWindowIcon(ApplicationIcon());
}
