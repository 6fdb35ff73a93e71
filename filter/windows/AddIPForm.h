#pragma once
// The small dialog of the groups window that takes one address: an IPv4 or an
// IPv6 field, according to the version of the address handed in.
#include <QDialog>

#include "filter/IPUtil.h"

class TIPEdit;

class TAddIPForm final : public QDialog {
  Q_OBJECT

 public:
  explicit TAddIPForm(const TIPAddr& address, QWidget* parent = nullptr);

  // The entered address; meaningful once the dialog was accepted.
  TIPAddr Address() const;
  TIPEdit* AddressEdit() const { return FAddressEdit; }

  // OK: refuses an empty address and stays open.
  void accept() override;

 private:
  TIPEdit* FAddressEdit;
};

// Shows the dialog modally; true, with the new address, when it was accepted.
bool ExecuteAddIPForm(QWidget* parent, TIPAddr& address);
