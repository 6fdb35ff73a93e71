#pragma once
// The editor of one transfer rate: a name and a rate text. OK checks both
// and keeps the window open, with the faulty field focused, until they are
// usable; "Unlimited" is not a usable name (IsReservedRateName).

#include <QDialog>
#include <QLineEdit>
#include <string>

#include "config/windows/ModalCtrlFrame.h"

constexpr int kMaxRateNameLength = 64;

class TTransferRatesFormEdit : public QDialog {
  Q_OBJECT
 public:
  // The caller sets the caption ("New Transfer Rate", "Edit Transfer Rate").
  TTransferRatesFormEdit(QWidget* parent, const QString& caption, const std::string& name = {},
                         const std::string& rateText = {});

  std::string RateName() const;
  std::string RateText() const;

  QLineEdit* AliasEdit;
  QLineEdit* BpsEdit;
  TModalCtrlFrame* ModalCtrlFrame;

 private:
  void OKButtonClick();
};
