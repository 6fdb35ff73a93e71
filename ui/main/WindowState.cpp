#include "ui/main/WindowState.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <limits>
#include <optional>

namespace {

const QString kGeometry = QStringLiteral("Window/Geometry");
const QString kState = QStringLiteral("Window/State");
const QString kFlowSplitter = QStringLiteral("Window/FlowSplitter");
const QStringList kOldPlacement = {QStringLiteral("Global/Left"), QStringLiteral("Global/Top"),
                                   QStringLiteral("Global/Width"), QStringLiteral("Global/Height")};

std::optional<int> OldInteger(QSettings& store, const QString& name) {
  bool ok = false;
  const int value = store.value(name).toString().trimmed().toInt(&ok);
  return ok ? std::optional<int>(value) : std::nullopt;
}

// The screen the rectangle overlaps most; the one whose area is nearest to
// its centre when it overlaps none.
QScreen* ScreenFor(const QRect& rect) {
  QScreen* best = QGuiApplication::primaryScreen();
  qint64 bestOverlap = 0;
  qint64 bestDistance = std::numeric_limits<qint64>::max();
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->availableGeometry();
    const QRect common = area.intersected(rect);
    const qint64 overlap = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
    const QPoint centre = rect.center();
    const QPoint nearest(std::clamp(centre.x(), area.left(), area.right()),
                         std::clamp(centre.y(), area.top(), area.bottom()));
    const qint64 distance = (centre - nearest).manhattanLength();
    if (overlap > bestOverlap || (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
      best = screen;
      bestOverlap = overlap;
      bestDistance = distance;
    }
  }
  return best;
}

// The old placement: the client area's size and position as stored before
// the geometry state existed; the designed size, centred, for what is missing.
void PlaceFromOldValues(QSettings& store, QWidget& window, QSize designedSize) {
  const QSize size(OldInteger(store, kOldPlacement[2]).value_or(designedSize.width()),
                   OldInteger(store, kOldPlacement[3]).value_or(designedSize.height()));
  window.resize(size.expandedTo(window.minimumSize()));
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), window.size());
  const QPoint centred = area.center() - QPoint(window.width() / 2, window.height() / 2);
  window.move(OldInteger(store, kOldPlacement[0]).value_or(centred.x()),
              OldInteger(store, kOldPlacement[1]).value_or(centred.y()));
}

}  // namespace

namespace {

// The position that keeps a rectangle of this size inside area, as near to
// where it is as can be; the area's top left when it is too large, so that
// at least the title bar and the window's top stay reachable.
QPoint PositionInside(QPoint at, QSize size, const QRect& area) {
  const int left = std::max(area.left(), std::min(at.x(), area.right() + 1 - size.width()));
  const int top = std::max(area.top(), std::min(at.y(), area.bottom() + 1 - size.height()));
  return QPoint(left, top);
}

}  // namespace

QRect KeepInside(const QRect& rect, const QRect& area) {
  const QSize size = rect.size().boundedTo(area.size());
  return QRect(PositionInside(rect.topLeft(), size, area), size);
}

void KeepWindowOnScreen(QWidget& window) {
  if (window.isMaximized() || window.isFullScreen()) return;
  // Before the window is shown its frame is not known; its client area then
  // stands for it.
  const QRect frame = window.isVisible() ? window.frameGeometry() : window.geometry();
  const QScreen* screen = ScreenFor(frame);
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize frameExtra = frame.size() - window.geometry().size();
  // No smaller than the window can be.
  const QSize size = frame.size().boundedTo(area.size()).expandedTo(window.minimumSize() + frameExtra);
  const QRect inside(PositionInside(frame.topLeft(), size, area), size);
  if (inside == frame) return;
  window.resize(inside.size() - frameExtra);
  // move() places the frame of a shown window, the client area of a hidden one.
  window.move(inside.topLeft());
}

void RestoreWindowPlacement(QSettings& store, QMainWindow& window, QSize designedSize) {
  const QByteArray geometry = store.value(kGeometry).toByteArray();
  if (geometry.isEmpty() || !window.restoreGeometry(geometry)) PlaceFromOldValues(store, window, designedSize);
  KeepWindowOnScreen(window);
}

void RestoreBarsAndSplitter(QSettings& store, QMainWindow& window, QSplitter& splitter) {
  const QByteArray state = store.value(kState).toByteArray();
  if (!state.isEmpty()) window.restoreState(state);
  const QByteArray sizes = store.value(kFlowSplitter).toByteArray();
  if (!sizes.isEmpty()) splitter.restoreState(sizes);
}

void SaveWindowState(QSettings& store, const QMainWindow& window, const QSplitter& splitter) {
  store.setValue(kGeometry, window.saveGeometry());
  store.setValue(kState, window.saveState());
  store.setValue(kFlowSplitter, splitter.saveState());
  // The geometry state replaces the old placement for good.
  for (const QString& name : kOldPlacement) store.remove(name);
  store.sync();
}
