// The exports: CSV lines in the locale's date, time and list separator, the
// day count of the samples, and 32-bit BMP and PNG images read back.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "tests/ui/graph/GraphTestSupport.h"
#include "ui/graph/GraphExport.h"
#include "ui/graph/GraphSaveDialog.h"
#include "ui/graph/Histogram.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return file.readAll();
}

TEST(TimedData, DayCountsFromTheEndOf1899) {
  const struct {
    double Days;
    QDateTime Time;
  } cases[] = {
      {0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
      {2.75, QDateTime(QDate(1900, 1, 1), QTime(18, 0))},
      {45000.5, QDateTime(QDate(2023, 3, 15), QTime(12, 0))},
      {-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0))},  // whole days back, the time forward
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FromDayCount(c.Days), c.Time) << c.Days;
    EXPECT_DOUBLE_EQ(ToDayCount(c.Time), c.Days) << c.Days;
  }
  // One second resolution survives the round trip.
  const QDateTime tick(QDate(2024, 6, 1), QTime(23, 59, 59));
  EXPECT_EQ(FromDayCount(ToDayCount(tick)), tick);
}

TEST(GraphExport, CsvLinesInTheLocale) {
  const TTrafficSamples samples = {{45000.5, 1000, 20}, {45000.5 + 1.0 / 86400, 0, 4294967295u}};
  const struct {
    QLocale Locale;
    const char* Expected;
  } cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates),
       "3/15/23 12:00:00 PM,1000,20\r\n3/15/23 12:00:01 PM,0,4294967295\r\n"},
      {QLocale(QLocale::German, QLocale::Germany), "15.03.23 12:00:00;1000;20\r\n15.03.23 12:00:01;0;4294967295\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(GraphCsvText(samples, c.Locale).toStdString(), c.Expected);
  EXPECT_EQ(GraphCsvText({}, QLocale::c()).toStdString(), "");  // no header line
}

TEST(GraphExport, FilesReplaceWhatWasThere) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("traffic.csv"));
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  SaveGraphAsCsv(path, {{45000.5, 1, 2}, {45000.5, 3, 4}}, english);
  SaveGraphAsCsv(path, {{45000.5, 5, 6}}, english);
  EXPECT_EQ(ReadAll(path).toStdString(), "3/15/23 12:00:00 PM,5,6\r\n");
  EXPECT_THROW(SaveGraphAsCsv(folder.filePath(QStringLiteral("missing/traffic.csv")), {}, english), std::runtime_error);
}

TEST(GraphExport, BitmapsAtThirtyTwoBitsAndPng) {
  EnsureApplication();
  THistogram graph;
  ApplyMainWindowLook(graph);
  graph.resize(300, 150);
  for (int i = 0; i < 200; ++i) graph.AddSample(1000 + i * 10, 500);
  const QImage expected = graph.GraphBitmap().convertToFormat(QImage::Format_RGB32);

  QTemporaryDir folder;
  const QString bmp = folder.filePath(QStringLiteral("graph.bmp"));
  SaveGraph(bmp, TGraphFileType::BMP, graph, {});
  const QByteArray bytes = ReadAll(bmp);
  ASSERT_GT(bytes.size(), 54);
  EXPECT_EQ(bytes.left(2).toStdString(), "BM");
  EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), 32);  // bits per pixel
  EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 18), 300);
  EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 22), expected.height());
  EXPECT_EQ(bytes.size(), 54 + 300 * expected.height() * 4);

  const QString png = folder.filePath(QStringLiteral("graph.png"));
  SaveGraph(png, TGraphFileType::PNG, graph, {});
  for (const QString& path : {bmp, png}) {
    const QImage read = QImage(path).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(read, expected) << path.toStdString();
  }
  // The CSV choice writes the samples, not the picture.
  const QString csv = folder.filePath(QStringLiteral("graph.csv"));
  SaveGraph(csv, TGraphFileType::CSV, graph, {{45000.5, 7, 8}});
  EXPECT_TRUE(ReadAll(csv).endsWith(",7,8\r\n") || ReadAll(csv).endsWith(";7;8\r\n"));
}

}  // namespace
