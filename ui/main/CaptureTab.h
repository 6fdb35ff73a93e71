#pragma once
// "Capture": the two capture files, written before and after processing,
// and how a new session treats an existing file. Read when a simulation
// starts; changing them applies nothing.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <functional>

#include "ui/main/SettingsTab.h"

class TCaptureTab : public TSettingsTab {
  Q_OBJECT
 public:
  TCaptureTab(TSettingsModel& model, QWidget* parent);
  void ShowModel() override;

  // Asks for a capture file name; empty when the user cancelled.
  std::function<QString()> AskCaptureFile;

  QCheckBox* cbEnableCapture;
  QLineEdit* beCaptureBefore;
  QLineEdit* beCaptureAfter;
  QComboBox* cmbCaptureMode;

  // The file button of either field: the chosen name replaces its text.
  void beCaptureRightButtonClick(QLineEdit* field);

 private:
  QLineEdit* MakeFileField(QWidget* parent, const char* name);
  void ConnectControls();
};
