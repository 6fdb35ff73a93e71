#pragma once
// "Corruption": single-bit errors in a share of the frames, a number of bit
// errors per second, minute or hour, or a bit error ratio. The value field
// turns red while it holds no usable value, and the engine then keeps what
// it had.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include "ui/main/SettingsTab.h"
#include "ui/main/TabControls.h"

class TCorruptionTab : public TSettingsTab {
  Q_OBJECT
 public:
  TCorruptionTab(TSettingsModel& model, QWidget* parent);
  void ShowModel() override;

  QCheckBox* cbCorruption;
  QButtonGroup* CorruptionChoices;
  QRadioButton* rbCorruptPercent;
  QRadioButton* rbCorruptBitRate;
  QRadioButton* rbCorruptBitRatio;
  QLabel* lbCorruption;
  QSlider* tbCorruption;
  QLabel* lblCorruptBerValue;
  QLineEdit* leCorruptBerValue;
  QComboBox* cmbCorruptBerUnit;

 private:
  QWidget* BuildChoices();
  QWidget* BuildBitErrors(QWidget* parent);
  void ConnectControls();
  void UpdateCorruptionState();
  // Marks the field and applies the corruption part when its value is usable.
  void CheckBitErrorValue();
  void ShowFieldValidity();
  void UpdateCorruptionLabel();

  QPalette FNormalFieldPalette;
};
