#pragma once
// Where the series are drawn inside the graph bitmap (W × H). The rectangle
// has exclusive Right and Bottom edges: with a frame, Left, Right - 1 and
// Bottom are the frame's own pixels, and the series use the columns between
// Left and Right and the rows above Bottom. Top leaves half a text line free
// for the top grid label when there is a grid.

struct TPlotRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Height() const { return Bottom - Top; }
  friend bool operator==(const TPlotRect&, const TPlotRect&) = default;
};

struct TPlotLayout {
  int Width = 0;   // W, the graph bitmap
  int Height = 0;  // H
  int LabelWidth = 0;
  int TextHeight = 0;
  bool EnableGrid = true;  // the label column exists only with the grid
  bool LeftToRight = false;  // label column on the right
  bool FramedGraph = true;

  int LabelColumnWidth() const { return EnableGrid ? LabelWidth : 0; }
  TPlotRect PlotRect() const;
  // Samples shown at s pixels per sample (1 for bars, LineStep for a polyline).
  int VisibleCount(int s) const { return (Width + 2 * s - LabelColumnWidth()) / s; }
};
