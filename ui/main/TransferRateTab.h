#pragma once
// "Transfer Rate": the speed limit chosen from the rate table, the traffic
// direction, and the statistics list in the box "Information".

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>
#include <QTreeWidget>

#include "ui/main/SettingsTab.h"

class TTransferRateTab : public TSettingsTab {
  Q_OBJECT
 public:
  TTransferRateTab(TSettingsModel& model, QWidget* parent);
  void ShowModel() override;

  // The list mirrors the table: its names in table order, the model's
  // position selected.
  void RefreshRateList();

  QComboBox* RatesCombobox;
  // The chosen entry's trace and its average rate; hidden for a fixed rate.
  QLabel* TraceLabel;
  QToolButton* EditRatesButton;
  QButtonGroup* DirectionRadioGroup;
  QTreeWidget* ListViewStats;

 signals:
  void EditRatesRequested();

 private:
  QWidget* BuildSpeedLimit();
  void ShowTraceOfRate();
};
