#include "ui/graph/HistogramRenderer.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

#include "ui/graph/AxisValues.h"
#include "ui/graph/DevicePixels.h"
#include "ui/graph/DottedLines.h"
#include "ui/graph/GraphScale.h"
#include "ui/graph/OffsetText.h"
#include "widgets/ScreenScale.h"

using TSeries = TSampleHistory::TSeries;

// What every pass of one paint shares: where it draws and on which scale.
struct THistogramRenderer::TPass {
  TPlotRect R;
  int H = 0;     // R's height
  int Step = 1;  // pixels per sample
  bool Log = false;
  TLinearScale Linear;
  TLogScale Logarithmic;

  int Row(uint64_t axisValue) const {
    const int b = Log ? Logarithmic.BarHeight(axisValue) : Linear.BarHeight(axisValue, H);
    return R.Bottom - b - 1;
  }
};

std::pair<TAverageText, TAverageText> AverageTexts(const THistogramLook& look, const TSampleHistory& history) {
  const auto text = [&](const QString& label, TSeries series, const QColor& color) {
    const uint64_t mean = history.Mean(series, look.MaxMeanSamples);
    return TAverageText{label + QStringLiteral(": ") + look.Labels.Format(mean),
                        look.MonochromeLabels ? look.TextColor : color};
  };
  return {text(look.LabelIn, TSeries::In, look.ColorIn), text(look.LabelOut, TSeries::Out, look.ColorOut)};
}

namespace {

QColor SeriesColor(const THistogramLook& look, TSeries series) {
  switch (series) {
    case TSeries::In: return look.ColorIn;
    case TSeries::Out: return look.ColorOut;
    case TSeries::Both: break;
  }
  return look.ColorBoth;
}

}  // namespace

int THistogramRenderer::StripHeight(const THistogramLook& look, int controlHeight) {
  if (look.LineType == TLineType::ltNumeric) return controlHeight;
  if (!look.EnableAverages || look.Overlaid) return 0;
  const int lines = look.TwoRowAverages ? 2 : 1;
  return QFontMetrics(look.Font).height() * lines + ScaleToScreen(5);
}

void THistogramRenderer::Render(const THistogramLook& look, const TSampleHistory& history,
                                const THistogramMetrics& metrics, QSize control, qreal ratio) {
  const int stripHeight = std::min(StripHeight(look, control.height()), control.height());
  const int graphHeight = control.height() - stripHeight;
  FGraphSize = QSize(control.width(), graphHeight);
  // The strip covers the graph's last row; averages alone fill the control.
  FStripSize = QSize(control.width(), stripHeight == 0 ? 0 : std::min(stripHeight + 1, control.height()));
  EnsureDeviceImage(FGraph, FGraphSize, ratio, QImage::Format_ARGB32_Premultiplied);
  EnsureDeviceImage(FStrip, FStripSize, ratio, QImage::Format_ARGB32_Premultiplied);

  TPlotLayout layout;
  layout.Width = control.width();
  layout.Height = graphHeight;
  layout.LabelWidth = metrics.LabelWidth;
  layout.TextHeight = metrics.TextHeight;
  layout.EnableGrid = look.EnableGrid;
  layout.LeftToRight = look.LeftToRight;
  layout.FramedGraph = look.FramedGraph;

  if (!FGraph.isNull()) {
    PaintBackground(look, layout);
    if (look.LineType != TLineType::ltNumeric) {
      TPass pass;
      pass.R = layout.PlotRect();
      pass.H = pass.R.Height();
      pass.Step = look.LineType == TLineType::ltPolyLine ? look.LineStep : 1;
      pass.Log = look.Logarithmic;
      const int visible = layout.VisibleCount(pass.Step);
      const uint64_t top = look.MaxValue != 0 ? look.MaxValue
                                               : history.Largest(look.HistoryOffset, look.HistoryOffset + visible,
                                                                 look.Smooth);
      const int spacing = GridSpacing(metrics.TextHeight);
      pass.Linear = TLinearScale::Compute(top, pass.H, spacing, look.EnableGrid);
      pass.Logarithmic = TLogScale::Compute(top, pass.H, spacing, look.EnableGrid);

      if (pass.H > 0 && pass.R.Right - pass.R.Left > 1) {
        PaintSeries(look, history, pass);
        if (look.EnableGrid) PaintGrid(look, layout, pass, metrics);
      }
      if (look.EnableDrawOffset && look.HistoryOffset != 0) PaintOffset(look, metrics.GraphFont);
      if (look.EnableAverages && look.Overlaid) PaintAveragesBox(look, history, pass.R);
      if (look.UseAlpha) {
        for (int y = 0; y < FGraph.height(); ++y) {
          auto* row = reinterpret_cast<QRgb*>(FGraph.scanLine(y));
          for (int x = 0; x < FGraph.width(); ++x) row[x] |= 0xFF000000u;
        }
      }
    }
  }
  if (!FStrip.isNull()) PaintStrip(look, history);
}

void THistogramRenderer::PaintBackground(const THistogramLook& look, const TPlotLayout& layout) {
  QPainter painter(&FGraph);
  const QRect all(QPoint(0, 0), FGraphSize);
  if (!look.BackImage.isNull()) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(all, look.BackImage);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  } else if (look.EnableGradient) {
    QLinearGradient gradient(0, 0, 0, all.height());
    gradient.setColorAt(0, look.GradColor);
    gradient.setColorAt(1, look.BackColor);
    painter.fillRect(all, gradient);
  } else {
    painter.fillRect(all, look.BackColor);
  }
  if (look.FramedGraph) {
    const int labels = layout.LabelColumnWidth();
    const QRect framed = look.LeftToRight ? QRect(0, 0, all.width() - labels, all.height())
                                          : QRect(labels, 0, all.width() - labels, all.height());
    painter.setPen(look.FrameColor);
    painter.drawRect(framed.adjusted(0, 0, -1, -1));
  }
}

void THistogramRenderer::PaintSeries(const THistogramLook& look, const TSampleHistory& history, const TPass& pass) {
  const TPlotRect& r = pass.R;
  const bool bars = look.LineType == TLineType::ltBars;
  const uint64_t base = look.Labels.UnitBase;
  // Bars and polylines start at the newest edge and go back one step at a time.
  const int direction = look.LeftToRight ? 1 : -1;
  const int startX = look.LeftToRight ? r.Left + 1 : r.Right - 1;
  // True once x lies on or beyond the edge at the old end of the plot.
  const auto atEdge = [&](int x) { return look.LeftToRight ? x >= r.Right : x <= r.Left; };
  const int width = std::max(look.LineWidth, 1);

  if (bars) {
    PaintBars(look, history, pass, startX, direction);
    return;
  }
  QPainter painter(&FGraph);
  painter.setClipRect(QRect(QPoint(r.Left + 1, r.Top - 1), QPoint(r.Right - 1, r.Bottom - 1)));
  for (TSeries series : {TSeries::In, TSeries::Out}) {
    const auto row = [&](int position) {
      return pass.Row(ToAxisValue(history.Value(series, position, look.Smooth), base));
    };
    FPoints.clear();
    int x = startX;
    for (int p = look.HistoryOffset; p <= TSampleHistory::kOldest; ++p, x += direction * pass.Step) {
      if (atEdge(x)) {
        // The last segment ends on the edge itself, heading for this value.
        FPoints.append(QPoint(look.LeftToRight ? r.Right : r.Left, row(p)));
        break;
      }
      FPoints.append(QPoint(x, row(p)));
    }
    painter.setPen(QPen(SeriesColor(look, series), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    if (FPoints.size() == 1) painter.drawPoint(FPoints.front());
    painter.drawPolyline(FPoints);
  }
}

void THistogramRenderer::PaintBars(const THistogramLook& look, const TSampleHistory& history, const TPass& pass,
                                   int startX, int direction) {
  const TPlotRect& r = pass.R;
  const uint64_t base = look.Labels.UnitBase;
  const int width = std::max(look.LineWidth, 1);
  const int clipLeft = std::max(r.Left + 1, 0);
  const int clipRight = std::min(r.Right - 1, FGraphSize.width() - 1);
  const int bottom = std::min(r.Bottom - 1, FGraphSize.height() - 1);
  const QRgb colors[] = {qPremultiply(look.ColorIn.rgba()), qPremultiply(look.ColorOut.rgba()),
                         qPremultiply(look.ColorBoth.rgba())};
  const TSeries passes[] = {TSeries::In, TSeries::Out, TSeries::Both};
  // Columns from..to, rows top up to (not including) end, in logical pixels.
  const auto fill = [&](int from, int to, int top, int end, QRgb color) {
    if (top < end && from <= to) FillLogicalRect(FGraph, from, top, to, end - 1, color);
  };
  // The passes in, out, both drawn one over the other leave, from the
  // bottom: the "both" height, the outgoing bar above it, the incoming bar
  // above that. Each pixel is written once, in the colour of the last pass
  // that covers it.
  for (int x = startX, p = look.HistoryOffset; p <= TSampleHistory::kOldest; x += direction, ++p) {
    if (look.LeftToRight ? x >= r.Right : x <= r.Left) break;
    int tops[3];
    for (int i = 0; i < 3; ++i)
      tops[i] = std::max(pass.Row(ToAxisValue(history.Value(passes[i], p, look.Smooth), base)) + 1, 0);
    const int from = std::max(x - (width - 1) / 2, clipLeft);
    const int to = std::min(x - (width - 1) / 2 + width - 1, clipRight);
    const int end = bottom + 1;
    fill(from, to, tops[2], end, colors[2]);
    fill(from, to, tops[1], std::min(tops[2], end), colors[1]);
    fill(from, to, tops[0], std::min({tops[1], tops[2], end}), colors[0]);
  }
}

void THistogramRenderer::PaintGrid(const THistogramLook& look, const TPlotLayout& layout, const TPass& pass,
                                   const THistogramMetrics& metrics) {
  const int w = FGraphSize.width();
  const int labels = metrics.LabelWidth;
  const int lineFrom = look.LeftToRight ? 0 : labels;
  const int lineTo = look.LeftToRight ? w - labels : w;
  const int labelX = look.LeftToRight ? w - labels + ScaleToScreen(5) : ScaleToScreen(5);
  const QRgb tick = qPremultiply(look.TickColor.rgba());
  const uint64_t base = look.Labels.UnitBase;

  QPainter painter(&FGraph);
  painter.setFont(metrics.GraphFont);
  painter.setPen(look.TextColor);
  // A label is centred on its line but never leaves the image: the top line
  // lies half a text line below the top, which a font drawn taller than it
  // was measured would overrun.
  const int labelHeight = painter.fontMetrics().height();
  const int lowestLabelTop = std::max(FGraphSize.height() - labelHeight, 0);
  const auto line = [&](int y, uint64_t gridValue) {
    DrawDottedHorizontal(FGraph, lineFrom, lineTo - 1, y, tick);
    const QRect labelBox(labelX, std::clamp(y - labelHeight / 2, 0, lowestLabelTop), w, labelHeight);
    painter.drawText(labelBox, Qt::AlignLeft | Qt::AlignVCenter, look.Labels.Format(GridLabelValue(gridValue, base)));
  };

  if (pass.Log) {
    for (int i = 1; i <= pass.Logarithmic.GridLines; ++i) line(pass.R.Bottom - i * pass.Logarithmic.Spacing,
                                                               pass.Logarithmic.GridValue(i));
  } else {
    for (int i = 1; i <= pass.Linear.GridLines; ++i) line(pass.Linear.GridRow(i, pass.R.Top, pass.H),
                                                          pass.Linear.Step * static_cast<uint64_t>(i));
  }

  const int period = look.VertTickPeriod;
  if (period > 0) {
    if (look.LeftToRight) {
      for (int x = period; x < w - layout.LabelColumnWidth(); x += period) DrawDottedVertical(FGraph, x, 0, FGraphSize.height() - 1, tick);
    } else {
      for (int x = w - period; x > layout.LabelColumnWidth(); x -= period) DrawDottedVertical(FGraph, x, 0, FGraphSize.height() - 1, tick);
    }
  }
}

void THistogramRenderer::PaintOffset(const THistogramLook& look, const QFont& font) {
  QPainter painter(&FGraph);
  painter.setFont(font);
  const QString text = OffsetText(look.HistoryOffset, look.MinLabel, look.SecLabel);
  const int flags = Qt::AlignCenter | Qt::TextWordWrap;
  const QRect all(QPoint(0, 0), FGraphSize);
  const QRect box = painter.boundingRect(all, flags, text);
  painter.fillRect(box, look.BackColor);
  painter.setPen(look.TextColor);
  painter.drawText(all, flags, text);
}

void THistogramRenderer::PaintAveragesBox(const THistogramLook& look, const TSampleHistory& history,
                                          const TPlotRect& r) {
  QFont font = look.Font;
  if (font.pointSizeF() > 1) font.setPointSizeF(font.pointSizeF() - 1);
  const QFontMetrics metrics(font);
  const auto [in, out] = AverageTexts(look, history);
  const int lineHeight = metrics.height();
  const int textWidth = std::max(metrics.horizontalAdvance(in.Text), metrics.horizontalAdvance(out.Text));
  const QSize size(textWidth + ScaleToScreen(6), 2 * lineHeight + ScaleToScreen(2));
  const int inset = ScaleToScreen(2);
  const QPoint topLeft = look.LeftToRight ? QPoint(r.Right - 1 - inset - size.width(), r.Top + inset)
                                          : QPoint(r.Left + 1 + inset, r.Top + inset);
  const QRect box(topLeft, size);

  QPainter painter(&FGraph);
  painter.fillRect(box, look.BackColor);
  painter.setPen(look.FrameColor);
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  painter.setFont(font);
  const int textLeft = box.left() + ScaleToScreen(3);
  const int textTop = box.top() + ScaleToScreen(1);
  painter.setPen(in.Color);
  painter.drawText(QRect(textLeft, textTop, textWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, in.Text);
  painter.setPen(out.Color);
  painter.drawText(QRect(textLeft, textTop + lineHeight, textWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   out.Text);
}

void THistogramRenderer::PaintStrip(const THistogramLook& look, const TSampleHistory& history) {
  QPainter painter(&FStrip);
  const QRect all(QPoint(0, 0), FStripSize);
  painter.fillRect(all, look.BackColor);
  const int inset = ScaleToScreen(2);
  const QRect framed = all.adjusted(inset, inset, -inset, -inset);
  painter.setPen(look.FrameColor);
  painter.drawRect(framed.adjusted(0, 0, -1, -1));

  const auto [in, out] = AverageTexts(look, history);
  painter.setFont(look.Font);
  const QRect inner = framed.adjusted(1, 1, -1, -1);
  if (look.TwoRowAverages) {
    const int half = inner.height() / 2;
    const QRect upper(inner.left() + inset, inner.top(), inner.width() - inset, half);
    const QRect lower(inner.left() + inset, inner.top() + half, inner.width() - inset, inner.height() - half);
    painter.setPen(in.Color);
    painter.drawText(upper, Qt::AlignLeft | Qt::AlignVCenter, in.Text);
    painter.setPen(out.Color);
    painter.drawText(lower, Qt::AlignLeft | Qt::AlignVCenter, out.Text);
    return;
  }
  const int half = inner.width() / 2;
  painter.setPen(in.Color);
  painter.drawText(QRect(inner.left(), inner.top(), half, inner.height()), Qt::AlignCenter, in.Text);
  painter.setPen(out.Color);
  painter.drawText(QRect(inner.left() + half, inner.top(), inner.width() - half, inner.height()), Qt::AlignCenter,
                   out.Text);
}
