#include "ui/graph/GraphSaveDialog.h"

#include <QFileDialog>
#include <QMessageBox>
#include <array>
#include <exception>

#include "ui/graph/Histogram.h"

namespace {

struct TGraphFilter {
  const char* Filter;
  const char* Suffix;
  TGraphFileType Type;
};

constexpr std::array<TGraphFilter, 3> kFilters = {{
    {"CSV files (*.csv)", "csv", TGraphFileType::CSV},
    {"BMP files (*.bmp)", "bmp", TGraphFileType::BMP},
    {"PNG files (*.png)", "png", TGraphFileType::PNG},
}};

const TGraphFilter& FilterOf(const QString& filter) {
  for (const TGraphFilter& entry : kFilters)
    if (filter == QLatin1String(entry.Filter)) return entry;
  return kFilters.front();
}

}  // namespace

QString GraphSaveFilters() {
  QStringList filters;
  for (const TGraphFilter& entry : kFilters) filters << QLatin1String(entry.Filter);
  return filters.join(QStringLiteral(";;"));
}

TGraphFileType GraphFileTypeOfFilter(const QString& filter) { return FilterOf(filter).Type; }

void SaveGraph(const QString& path, TGraphFileType type, THistogram& graph, const TTrafficSamples& samples) {
  if (type == TGraphFileType::CSV) {
    SaveGraphAsCsv(path, samples);
  } else {
    SaveGraphAsBitmap(path, graph.GraphBitmap(), type);
  }
}

void RunGraphSaveDialog(QWidget* parent, THistogram& graph, const TTrafficSamples& samples) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(GraphSaveFilters());
  dialog.setDefaultSuffix(QString::fromLatin1(kFilters.front().Suffix));
  // The suffix added to a bare name follows the chosen type.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(QString::fromLatin1(FilterOf(filter).Suffix)); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  try {
    SaveGraph(dialog.selectedFiles().front(), GraphFileTypeOfFilter(dialog.selectedNameFilter()), graph, samples);
  } catch (const std::exception& error) {
    QMessageBox::critical(parent, QStringLiteral("Ovelda Tarnwick"),
                          QStringLiteral("Unable to save the graph: ") + QString::fromStdString(error.what()));
  }
}
