#include "ui/main/StatisticsList.h"

#include <QHeaderView>

#include "ui/main/FormatSize.h"

namespace {

const std::array<const char*, kStatisticsRows> kRowCaptions{
    "Bytes Received / Sent", "Packets Dropped",   "Packets Delayed",
    "Packets Duplicated",    "Packets Reordered", "Packets Corrupted", "Jumbo Frames Passed",
};

}  // namespace

QTreeWidget* CreateStatisticsList(QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(QStringLiteral("ListViewStats"));
  list->setColumnCount(2);
  list->setHeaderHidden(true);
  list->setRootIsDecorated(false);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setFocusPolicy(Qt::NoFocus);
  list->header()->resizeSection(0, 170);
  list->header()->resizeSection(1, 120);
  for (const char* caption : kRowCaptions) {
    auto* row = new QTreeWidgetItem(list, {QString::fromLatin1(caption), QStringLiteral("0")});
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  }
  list->setMinimumWidth(170 + 120 + 8);
  return list;
}

std::array<std::string, kStatisticsRows> StatisticsValues(const TEngineCounters& c) {
  return {
      FormatSize(c.BytesIn) + " / " + FormatSize(c.BytesOut),
      std::to_string(c.DroppedIn + c.DroppedOut),
      std::to_string(c.DelayedIn + c.DelayedOut),
      std::to_string(c.DuplicatedIn + c.DuplicatedOut),
      std::to_string(c.ReorderedIn + c.ReorderedOut),
      std::to_string(c.CorruptedIn + c.CorruptedOut),
      std::to_string(c.OversizedIn + c.OversizedOut),
  };
}

void ShowStatistics(QTreeWidget* list, const TEngineCounters& counters) {
  const std::array<std::string, kStatisticsRows> values = StatisticsValues(counters);
  for (int row = 0; row < kStatisticsRows; ++row) {
    list->topLevelItem(row)->setText(1, QString::fromStdString(values[static_cast<size_t>(row)]));
  }
}
