#pragma once
// Pixel writes straight into an off-screen image that may be drawn at a
// device pixel ratio above 1: positions are in logical pixels, as for a
// QPainter on the image, and each logical pixel covers the device pixels
// from round(p × ratio) up to round((p + 1) × ratio). Neighbouring logical
// pixels therefore tile without gaps or overlaps at 1.5× as at 2×.
#include <QImage>
#include <QRgb>
#include <QSize>

// The image's size in logical pixels (the device size divided by its ratio,
// rounded up).
QSize LogicalSize(const QImage& image);

// Fills the logical pixels from (left, top) to (right, bottom), inclusive,
// clipped to the image.
void FillLogicalRect(QImage& image, int left, int top, int right, int bottom, QRgb color);

// Makes image logicalSize × ratio device pixels at that ratio, keeping it
// when it is so already. Its content is undefined after a change.
void EnsureDeviceImage(QImage& image, QSize logicalSize, qreal ratio, QImage::Format format);
