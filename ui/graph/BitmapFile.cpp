#include "ui/graph/BitmapFile.h"

#include <QtEndian>

namespace {

template <typename T>
void Put(QByteArray& out, qsizetype offset, T value) {
  qToLittleEndian(value, out.data() + offset);
}

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

}  // namespace

QByteArray EncodeBitmap32(const QImage& image) {
  const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
  const qsizetype rowBytes = static_cast<qsizetype>(pixels.width()) * 4;
  const qsizetype dataOffset = kFileHeaderSize + kInfoHeaderSize;
  const qsizetype dataSize = rowBytes * pixels.height();
  QByteArray out(dataOffset + dataSize, '\0');

  out[0] = 'B';
  out[1] = 'M';
  Put<quint32>(out, 2, static_cast<quint32>(out.size()));
  Put<quint32>(out, 10, static_cast<quint32>(dataOffset));

  Put<quint32>(out, 14, kInfoHeaderSize);
  Put<qint32>(out, 18, pixels.width());
  Put<qint32>(out, 22, pixels.height());  // positive: bottom-up rows
  Put<quint16>(out, 26, 1);               // planes
  Put<quint16>(out, 28, 32);              // bits per pixel
  Put<quint32>(out, 30, 0);               // BI_RGB
  Put<quint32>(out, 34, static_cast<quint32>(dataSize));
  Put<qint32>(out, 38, 3780);  // 96 dots per inch in pixels per metre
  Put<qint32>(out, 42, 3780);

  // ARGB32 words in little-endian memory are the B, G, R, A bytes wanted.
  char* data = out.data() + dataOffset;
  for (int y = 0; y < pixels.height(); ++y) {
    const uchar* row = pixels.constScanLine(pixels.height() - 1 - y);
    for (int x = 0; x < pixels.width(); ++x) {
      qToLittleEndian<quint32>(reinterpret_cast<const quint32*>(row)[x], data + y * rowBytes + x * 4);
    }
  }
  return out;
}
