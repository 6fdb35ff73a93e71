#pragma once
// Shared by the widget tests: one application for the whole test program,
// the main window's look of the graph, and writing rendered controls to the
// screenshots folder of the build tree.

#include <QColor>
#include <QImage>
#include <QString>

class THistogram;

// Creates the application on first use (offscreen platform).
void EnsureApplication();

// The colours and settings the main window gives its graph.
void ApplyMainWindowLook(THistogram& graph);

// Saves image as screenshots/<name>.png and returns the path.
QString SaveScreenshot(const QImage& image, const QString& name);

// How many pixels of a colour a column has, counted upward from row bottom
// while the colour lasts.
int RunUpward(const QImage& image, int x, int bottom, QColor color);
