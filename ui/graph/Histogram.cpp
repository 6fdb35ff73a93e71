#include "ui/graph/Histogram.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "common/Assertion.h"
#include "widgets/ScreenScale.h"

namespace {

constexpr double kSmallFontPoints = 8;

// The platform's usual sans-serif font at a small size.
QFont SmallFont() {
  QFont font = QApplication::font();
  if (font.pointSizeF() > kSmallFontPoints) font.setPointSizeF(kSmallFontPoints);
  return font;
}

}  // namespace

THistogram::THistogram(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  FLook.Font = SmallFont();
  FMetrics.GraphFont = SmallFont();
  FMetrics.TextHeight = QFontMetrics(FMetrics.GraphFont).height();
  FMetrics.LabelWidth = ScaleToScreen(35);
}

void THistogram::Clear() {
  FHistory.Clear();
  update();
}

void THistogram::AddSample(uint64_t incoming, uint64_t outgoing) {
  if (FLook.MeasurementUnit == TMeasurementUnit::muBits) {
    incoming *= 8;
    outgoing *= 8;
  }
  FHistory.Add(incoming, outgoing);
  update();
}

void THistogram::StepBack(int n) {
  if (FLook.LineType == TLineType::ltNumeric) return;
  SetHistoryOffset(static_cast<int>(std::clamp<int64_t>(int64_t{FLook.HistoryOffset} + n, 0, TSampleHistory::kOldest)));
}

void THistogram::StepForward(int n) {
  if (FLook.LineType == TLineType::ltNumeric) return;
  SetHistoryOffset(static_cast<int>(std::clamp<int64_t>(int64_t{FLook.HistoryOffset} - n, 0, TSampleHistory::kOldest)));
}

void THistogram::SetHistoryOffset(int value) {
  const int clamped = std::clamp(value, 0, TSampleHistory::kOldest);
  const bool changed = clamped != FLook.HistoryOffset;
  Store(FLook.HistoryOffset, clamped);
  if (changed) emit HistoryOffsetChanged(clamped);
}

void THistogram::SetVertTickPeriod(int value) {
  OT_ASSERT(value >= 0, "Histogram", "negative vertical tick period");
  Store(FLook.VertTickPeriod, value);
}

void THistogram::SetLineStep(int value) {
  OT_ASSERT(value > 0, "Histogram", "line step below 1");
  Store(FLook.LineStep, value);
}

void THistogram::SetMeasurementUnit(TMeasurementUnit value) {
  if (value == FLook.MeasurementUnit) return;
  // Stored samples are in the old unit; mixing them would misread the graph.
  FLook.MeasurementUnit = value;
  FLook.Labels.UnitBase = value == TMeasurementUnit::muBits ? 1000 : 1024;
  Clear();
}

void THistogram::StoreUnitText(QString& field, const QString& value) {
  // The label column is measured with the new text in place, so that the
  // widest label fits it.
  field = value;
  const QFontMetrics metrics(FMetrics.GraphFont);
  int widest = 0;
  for (uint64_t v : {999ull, 999999ull, 999999999ull}) widest = std::max(widest, metrics.horizontalAdvance(FormatValue(v)));
  FMetrics.LabelWidth = widest + ScaleToScreen(10);
}

void THistogram::Render() { FRenderer.Render(FLook, FHistory, FMetrics, size(), devicePixelRatioF()); }

QImage THistogram::GraphBitmap() {
  Render();
  return FRenderer.Graph();
}

void THistogram::paintEvent(QPaintEvent*) {
  Render();
  QPainter painter(this);
  painter.drawImage(0, 0, FRenderer.Graph());
  if (!FRenderer.Strip().isNull()) painter.drawImage(0, FRenderer.StripTop(), FRenderer.Strip());
  if (FLook.OuterFrame) {
    // The canvas's own brush colour, white.
    painter.setPen(Qt::white);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void THistogram::contextMenuEvent(QContextMenuEvent* event) {
  if (!FPopupMenu) return QWidget::contextMenuEvent(event);
  FPopupMenu->popup(event->globalPos());
}

void THistogram::mousePressEvent(QMouseEvent* event) {
  emit MouseDown(event);
  QWidget::mousePressEvent(event);
}
