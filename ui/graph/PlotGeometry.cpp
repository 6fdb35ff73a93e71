#include "ui/graph/PlotGeometry.h"

TPlotRect TPlotLayout::PlotRect() const {
  const int labels = LabelColumnWidth();
  TPlotRect r;
  r.Left = (LeftToRight ? 0 : labels) - 1;
  r.Top = -1;
  r.Right = LeftToRight ? Width - labels : Width;
  r.Bottom = Height;
  if (FramedGraph) {
    ++r.Left;
    ++r.Top;
    --r.Right;
    --r.Bottom;
  } else {
    --r.Left;
    --r.Top;
  }
  r.Top += EnableGrid ? TextHeight / 2 : 1;
  return r;
}
