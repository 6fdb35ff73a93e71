#pragma once
// An image as a Windows bitmap file of 32 bits per pixel (BGRA, rows from
// the bottom up, no compression), the form other programs expect of a graph
// export; the toolkit's own bitmap writer stores 24 bits.

#include <QByteArray>
#include <QImage>

QByteArray EncodeBitmap32(const QImage& image);
