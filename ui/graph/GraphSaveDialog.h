#pragma once
// The graph export of "&Save...": a save dialog offering CSV, BMP and PNG
// (CSV first and by default), asking before an existing file is replaced;
// the chosen type decides what is written. A failure is shown in an error box.

#include <QString>
#include <QWidget>

#include "ui/graph/GraphExport.h"

class THistogram;

// The dialog's filters, in their order, and the type each one writes.
QString GraphSaveFilters();
TGraphFileType GraphFileTypeOfFilter(const QString& filter);

// Writes the chosen file; throws std::runtime_error on failure.
void SaveGraph(const QString& path, TGraphFileType type, THistogram& graph, const TTrafficSamples& samples);

void RunGraphSaveDialog(QWidget* parent, THistogram& graph, const TTrafficSamples& samples);
