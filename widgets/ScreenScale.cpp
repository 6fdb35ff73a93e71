#include "widgets/ScreenScale.h"

#include <QGuiApplication>
#include <QScreen>

int ScaleToScreen(int n) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen ? static_cast<int>(screen->logicalDotsPerInch()) : 96;
  return n * dpi / 96;
}
