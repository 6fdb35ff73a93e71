#include "ui/about/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CenterOnOwner(QWidget& window, const QWidget* owner) {
  QRect area;
  if (owner && owner->isVisible()) {
    area = owner->frameGeometry();
  } else {
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    area = screen->availableGeometry();
  }
  QRect frame = window.frameGeometry();
  frame.moveCenter(area.center());
  window.move(frame.topLeft());
}
