#pragma once
// The graph's two exports. The CSV text has one line per traffic sample of
// the whole simulation (not only what the graph shows): the local date and
// time in the user's locale, the list separator, incoming bytes, the list
// separator, outgoing bytes, CR LF; no header line. The image is the graph
// area without the averages strip, at the control's size. Both replace an
// existing file only once the new one is completely written; a failure
// raises std::runtime_error with a readable message.

#include <QImage>
#include <QLocale>
#include <QString>

#include "ui/graph/TimedData.h"

enum class TGraphFileType { CSV, BMP, PNG };

// The list separator of a locale: ';' where the decimal separator is a
// comma, ',' elsewhere.
QChar ListSeparator(const QLocale& locale);

// The date and time text of a sample in a locale's short date and its time
// with seconds (without a time zone).
QString SampleTimeText(double sampleTime, const QLocale& locale);

QString GraphCsvText(const TTrafficSamples& samples, const QLocale& locale);

void SaveGraphAsCsv(const QString& path, const TTrafficSamples& samples, const QLocale& locale = QLocale::system());
// BMP at 32 bits per pixel, or PNG.
void SaveGraphAsBitmap(const QString& path, const QImage& graph, TGraphFileType type);
