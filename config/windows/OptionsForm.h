#pragma once
// "Options": the graph's unit, type and scale and the rate queues' size.
// Filled from the persistent settings and read back into them on OK; the
// owner then applies the display settings.

#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "config/PersistentSettings.h"
#include "config/windows/ModalCtrlFrame.h"

constexpr int kMinQueueSizeOption = 10;
constexpr int kMaxQueueSizeOption = 10000;
constexpr int kQueueSizeOptionStep = 100;

// The fixed maximum typed in the value field: a decimal number that fits a
// 32-bit signed integer, else 0 (also for an empty field).
int32_t ReadScaleValue(const QString& text);

class TOptionsForm : public QDialog {
  Q_OBJECT
 public:
  explicit TOptionsForm(QWidget* parent);

  void Fill(const TPersistentSettings& settings);
  void Take(TPersistentSettings& settings) const;

  QGroupBox* GraphUnitRadio;
  QButtonGroup* GraphUnitGroup;
  QGroupBox* GraphTypeRadio;
  QButtonGroup* GraphTypeGroup;
  QRadioButton* ScaleAutoRadioButton;
  QRadioButton* ScaleFixedRadioButton;
  QLineEdit* ScaleEdit;
  QLabel* ScaleLabel;
  QSpinBox* udMaxQueueSize;
  TModalCtrlFrame* ModalCtrlFrame;

  // "Max Rate (Bit/s)" or "Max Rate (Byte/s)" after the unit chosen.
  void GraphUnitRadioClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildScaleBox();
  QWidget* BuildQueueBox();
};
