#pragma once
// THistogram: the traffic graph. One sample a second for each direction,
// the newest at the right edge (left with LeftToRight), on an automatic or
// fixed, linear or logarithmic scale, with a dotted grid, the averages of
// the newest samples, and a look back into the last 65535 samples.
//
// Every setter stores its value and repaints, except the unit texts and the
// offset words, which only take effect at the next paint. Drawing goes to two
// off-screen images (graph area and averages strip), made at the screen's
// device pixel ratio, that are copied to the screen once per paint.

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include "ui/graph/HistogramLook.h"
#include "ui/graph/HistogramRenderer.h"
#include "ui/graph/SampleHistory.h"

class THistogram : public QWidget {
  Q_OBJECT

 public:
  explicit THistogram(QWidget* parent = nullptr);

  // Forgets every sample and repaints.
  void Clear();
  // Bytes of the last second in each direction; stored eight times larger in bits.
  void AddSample(uint64_t incoming, uint64_t outgoing);
  // Look n samples further back or forward (bars and polyline only).
  void StepBack(int n);
  void StepForward(int n);
  // The graph area as painted now, without the averages strip, at the
  // screen's device pixel ratio.
  QImage GraphBitmap();
  QString FormatValue(uint64_t v) const { return FLook.Labels.Format(v); }

  const TSampleHistory& History() const { return FHistory; }
  const THistogramLook& Look() const { return FLook; }
  int TextHeight() const { return FMetrics.TextHeight; }
  int LabelWidth() const { return FMetrics.LabelWidth; }
  QFont GraphFont() const { return FMetrics.GraphFont; }

  bool EnableDrawOffset() const { return FLook.EnableDrawOffset; }
  void SetEnableDrawOffset(bool value) { Store(FLook.EnableDrawOffset, value); }
  const QImage& BackImage() const { return FLook.BackImage; }
  void SetBackImage(const QImage& value) { Store(FLook.BackImage, value); }
  QColor BackColor() const { return FLook.BackColor; }
  void SetBackColor(const QColor& value) { Store(FLook.BackColor, value); }
  QColor FrameColor() const { return FLook.FrameColor; }
  void SetFrameColor(const QColor& value) { Store(FLook.FrameColor, value); }
  QColor TickColor() const { return FLook.TickColor; }
  void SetTickColor(const QColor& value) { Store(FLook.TickColor, value); }
  QColor ColorIn() const { return FLook.ColorIn; }
  void SetColorIn(const QColor& value) { Store(FLook.ColorIn, value); }
  QColor ColorOut() const { return FLook.ColorOut; }
  void SetColorOut(const QColor& value) { Store(FLook.ColorOut, value); }
  QColor ColorBoth() const { return FLook.ColorBoth; }
  void SetColorBoth(const QColor& value) { Store(FLook.ColorBoth, value); }
  QColor TextColor() const { return FLook.TextColor; }
  void SetTextColor(const QColor& value) { Store(FLook.TextColor, value); }
  QColor GradColor() const { return FLook.GradColor; }
  void SetGradColor(const QColor& value) { Store(FLook.GradColor, value); }
  bool EnableGrid() const { return FLook.EnableGrid; }
  void SetEnableGrid(bool value) { Store(FLook.EnableGrid, value); }
  int VertTickPeriod() const { return FLook.VertTickPeriod; }
  void SetVertTickPeriod(int value);  // a negative period is an internal error
  bool EnableAverages() const { return FLook.EnableAverages; }
  void SetEnableAverages(bool value) { Store(FLook.EnableAverages, value); }
  bool EnableGradient() const { return FLook.EnableGradient; }
  void SetEnableGradient(bool value) { Store(FLook.EnableGradient, value); }
  bool TwoRowAverages() const { return FLook.TwoRowAverages; }
  void SetTwoRowAverages(bool value) { Store(FLook.TwoRowAverages, value); }
  QString LabelIn() const { return FLook.LabelIn; }
  void SetLabelIn(const QString& value) { Store(FLook.LabelIn, value); }
  QString LabelOut() const { return FLook.LabelOut; }
  void SetLabelOut(const QString& value) { Store(FLook.LabelOut, value); }
  uint64_t MaxValue() const { return FLook.MaxValue; }  // 0: automatic
  void SetMaxValue(uint64_t value) { Store(FLook.MaxValue, value); }
  bool Smooth() const { return FLook.Smooth; }
  void SetSmooth(bool value) { Store(FLook.Smooth, value); }
  bool LeftToRight() const { return FLook.LeftToRight; }
  void SetLeftToRight(bool value) { Store(FLook.LeftToRight, value); }
  TMeasurementUnit MeasurementUnit() const { return FLook.MeasurementUnit; }
  void SetMeasurementUnit(TMeasurementUnit value);  // a change clears the history
  QFont Font() const { return FLook.Font; }
  void SetFont(const QFont& value) { Store(FLook.Font, value); }
  TLineType LineType() const { return FLook.LineType; }
  void SetLineType(TLineType value) { Store(FLook.LineType, value); }
  int LineStep() const { return FLook.LineStep; }
  void SetLineStep(int value);  // 0 or less is an internal error
  int LineWidth() const { return FLook.LineWidth; }
  void SetLineWidth(int value) { Store(FLook.LineWidth, value); }
  QString BScale() const { return FLook.Labels.BScale; }
  void SetBScale(const QString& value) { StoreUnitText(FLook.Labels.BScale, value); }
  QString KScale() const { return FLook.Labels.KScale; }
  void SetKScale(const QString& value) { StoreUnitText(FLook.Labels.KScale, value); }
  QString MScale() const { return FLook.Labels.MScale; }
  void SetMScale(const QString& value) { StoreUnitText(FLook.Labels.MScale, value); }
  QString GScale() const { return FLook.Labels.GScale; }
  void SetGScale(const QString& value) { StoreUnitText(FLook.Labels.GScale, value); }
  QString MinLabel() const { return FLook.MinLabel; }
  void SetMinLabel(const QString& value) { FLook.MinLabel = value; }
  QString SecLabel() const { return FLook.SecLabel; }
  void SetSecLabel(const QString& value) { FLook.SecLabel = value; }
  int HistoryOffset() const { return FLook.HistoryOffset; }
  void SetHistoryOffset(int value);  // stored clamped to 0..65534
  bool FramedGraph() const { return FLook.FramedGraph; }
  void SetFramedGraph(bool value) { Store(FLook.FramedGraph, value); }
  bool OuterFrame() const { return FLook.OuterFrame; }
  void SetOuterFrame(bool value) { Store(FLook.OuterFrame, value); }
  bool MonochromeLabels() const { return FLook.MonochromeLabels; }
  void SetMonochromeLabels(bool value) { Store(FLook.MonochromeLabels, value); }
  int NumberOfDecimals() const { return FLook.Labels.NumberOfDecimals; }
  void SetNumberOfDecimals(int value) { Store(FLook.Labels.NumberOfDecimals, value); }
  bool UseAlpha() const { return FLook.UseAlpha; }
  void SetUseAlpha(bool value) { Store(FLook.UseAlpha, value); }
  TRateFormat RateFormat() const { return FLook.Labels.RateFormat; }
  void SetRateFormat(TRateFormat value) { Store(FLook.Labels.RateFormat, value); }
  bool Overlaid() const { return FLook.Overlaid; }
  void SetOverlaid(bool value) { Store(FLook.Overlaid, value); }
  uint32_t MaxMeanSamples() const { return FLook.MaxMeanSamples; }
  void SetMaxMeanSamples(uint32_t value) { Store(FLook.MaxMeanSamples, value); }
  bool Logarithmic() const { return FLook.Logarithmic; }
  void SetLogarithmic(bool value) { Store(FLook.Logarithmic, value); }
  // The context menu shown on a right click; not owned.
  QMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }

 signals:
  void HistoryOffsetChanged(int offset);
  void MouseDown(QMouseEvent* event);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  template <typename T>
  void Store(T& field, const T& value) {
    field = value;
    update();
  }
  void StoreUnitText(QString& field, const QString& value);
  void Render();

  THistogramLook FLook;
  TSampleHistory FHistory;
  THistogramMetrics FMetrics;
  THistogramRenderer FRenderer;
  QPointer<QMenu> FPopupMenu;
};
