#include "ui/graph/GraphExport.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringEncoder>
#include <stdexcept>

#include "ui/graph/BitmapFile.h"

namespace {

// The locale's long time format without its time-zone field: samples are
// local times and the zone would only lengthen every line.
QString TimeFormatWithSeconds(const QLocale& locale) {
  QString format = locale.timeFormat(QLocale::LongFormat);
  format.remove(QRegularExpression(QStringLiteral("\\s*\\(?t+\\)?")));
  return format.trimmed();
}

void WriteFile(const QString& path, const QByteArray& contents) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit()) {
    throw std::runtime_error(QStringLiteral("Unable to write %1: %2").arg(path, file.errorString()).toStdString());
  }
}

}  // namespace

QChar ListSeparator(const QLocale& locale) {
  return locale.decimalPoint() == QStringLiteral(",") ? QLatin1Char(';') : QLatin1Char(',');
}

QString SampleTimeText(double sampleTime, const QLocale& locale) {
  const QDateTime time = FromDayCount(sampleTime);
  return locale.toString(time.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         locale.toString(time.time(), TimeFormatWithSeconds(locale));
}

QString GraphCsvText(const TTrafficSamples& samples, const QLocale& locale) {
  const QChar separator = ListSeparator(locale);
  QString text;
  for (const TTimedData& sample : samples) {
    text += SampleTimeText(sample.SampleTime, locale) + separator + QString::number(sample.InBytes) + separator +
            QString::number(sample.OutBytes) + QStringLiteral("\r\n");
  }
  return text;
}

void SaveGraphAsCsv(const QString& path, const TTrafficSamples& samples, const QLocale& locale) {
  // The text in the user's own encoding, as other programs of the desktop read it.
  QStringEncoder encode(QStringConverter::System);
  WriteFile(path, encode(GraphCsvText(samples, locale)));
}

void SaveGraphAsBitmap(const QString& path, const QImage& graph, TGraphFileType type) {
  if (type == TGraphFileType::PNG) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!graph.save(&buffer, "PNG")) throw std::runtime_error("Unable to encode the graph as PNG");
    WriteFile(path, png);
    return;
  }
  WriteFile(path, EncodeBitmap32(graph));
}
