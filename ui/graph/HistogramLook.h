#pragma once
// Everything that decides how the traffic graph looks, with the graph's
// defaults; THistogram publishes each field as a property.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>

#include "ui/graph/GraphTypes.h"
#include "ui/graph/ValueFormat.h"

struct THistogramLook {
  bool EnableDrawOffset = true;
  QImage BackImage;  // stretched over the graph area when not null
  QColor BackColor = Qt::white;
  QColor FrameColor = QColor(192, 192, 192);
  QColor TickColor = QColor(128, 128, 128);
  QColor ColorIn = QColor(0, 0, 128);
  QColor ColorOut = QColor(0, 128, 0);
  QColor ColorBoth = QColor(0, 0, 128);
  QColor TextColor = Qt::black;
  QColor GradColor = QColor(170, 170, 255);
  bool EnableGrid = true;
  int VertTickPeriod = 0;
  bool EnableAverages = true;
  bool EnableGradient = false;
  bool TwoRowAverages = false;
  QString LabelIn = QStringLiteral("In");
  QString LabelOut = QStringLiteral("Out");
  uint64_t MaxValue = 0;
  bool Smooth = false;
  bool LeftToRight = false;
  TMeasurementUnit MeasurementUnit = TMeasurementUnit::muBytes;
  QFont Font;  // the averages' font; the graph area has its own
  TLineType LineType = TLineType::ltBars;
  int LineStep = 5;
  int LineWidth = 1;
  TValueFormat Labels;  // BScale to GScale, NumberOfDecimals, RateFormat and the unit base
  QString MinLabel = QStringLiteral("min");
  QString SecLabel = QStringLiteral("s");
  int HistoryOffset = 0;
  bool FramedGraph = true;
  bool OuterFrame = false;
  bool MonochromeLabels = false;
  bool UseAlpha = false;
  bool Overlaid = false;
  uint32_t MaxMeanSamples = 0;
  bool Logarithmic = false;
};
