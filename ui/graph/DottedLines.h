#pragma once
// Grid lines of one-pixel dots four pixels apart, written straight into a
// 32-bit image (clipped to it), starting with a dot at the first pixel.
// Positions are logical pixels; at a device pixel ratio above 1 a dot
// covers the device pixels of its logical pixel.
#include <QImage>
#include <QRgb>

void DrawDottedHorizontal(QImage& image, int x0, int x1, int y, QRgb color);
void DrawDottedVertical(QImage& image, int x, int y0, int y1, QRgb color);
