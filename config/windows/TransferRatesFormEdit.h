#pragma once
// The editor of one transfer rate: a name and either a fixed rate text or a
// trace file per direction. OK checks them and keeps the window open, with
// the faulty field focused, until they are usable; "Unlimited" is not a
// usable name (IsReservedRateName).

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>
#include <string>

#include "config/windows/ModalCtrlFrame.h"
#include "settings/ShapingRate.h"

constexpr int kMaxRateNameLength = 64;

class TTransferRatesFormEdit : public QDialog {
  Q_OBJECT
 public:
  // The caller sets the caption ("New Transfer Rate", "Edit Transfer Rate").
  TTransferRatesFormEdit(QWidget* parent, const QString& caption, const std::string& name = {},
                         const std::string& rateText = {});

  // Shows an entry that replays trace files, with "Trace files" chosen.
  void ShowTraces(const std::string& inPath, const std::string& outPath);

  std::string RateName() const;
  std::string RateText() const;
  // The entry as accepted: the fixed rate, or the traces read from their files.
  const TShapingRate& Rate() const { return FRate; }

  // Asks for a trace file; empty when the user cancels. Set by the owner.
  std::function<QString()> AskTraceFile;

  QLineEdit* AliasEdit;
  QRadioButton* FixedRateButton;
  QRadioButton* TraceFilesButton;
  QLineEdit* BpsEdit;
  QLineEdit* TraceInEdit;
  QLineEdit* TraceOutEdit;
  QLabel* TraceAverageLabel;
  TModalCtrlFrame* ModalCtrlFrame;

 private:
  QLineEdit* MakeTraceField(const char* name);
  void UpdateKind();
  // The traces' average rates, or why a file cannot be read.
  void UpdateTraceAverage();
  bool AcceptTraces();
  void OKButtonClick();

  TShapingRate FRate;
};
