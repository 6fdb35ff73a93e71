#pragma once
// "Preset Parameters": the nine built-in presets in a list; "&Apply" closes
// with the chosen one in Selected.

#include <QDialog>
#include <QIcon>
#include <QPushButton>
#include <QTreeWidget>
#include <array>
#include <optional>
#include <vector>

#include "config/Presets.h"

class TPresetsForm : public QDialog {
  Q_OBJECT
 public:
  // kindIcons: the row icons of the kinds 0 (3G), 1 (Edge) and 2 (WiFi).
  TPresetsForm(QWidget* parent, const std::array<QIcon, 3>& kindIcons);

  std::vector<TPresetItem> PresetList;
  std::optional<TPresetItem> Selected;

  QTreeWidget* PresetListView;
  QPushButton* ApplyButton;
  QPushButton* CancelButton;

  void ApplyButtonClick();

 private:
  void FillList(const std::array<QIcon, 3>& kindIcons);
};
