#pragma once
// The MAC lookup window: the user enters an IPv4 address and the host's
// neighbour table answers with its hardware address.
#include <QDialog>
#include <functional>

#include "filter/IPUtil.h"

class TIPv4Edit;

// Resolves an IPv4 address to the MAC address of a neighbour; true when the
// neighbour table holds a usable entry. The program passes the host's
// GetHWAddr, tests a fake.
using THWAddrLookup = std::function<bool(const TIPAddr& address, THWAddr& HWAddr)>;

class TLookupMacForm final : public QDialog {
  Q_OBJECT

 public:
  explicit TLookupMacForm(THWAddrLookup lookup, QWidget* parent = nullptr);

  // The address found; valid when the window closed with OK.
  const THWAddr& HWAddr() const { return FHWAddr; }
  TIPv4Edit* AddressEdit() const { return FAddressEdit; }

 protected:
  bool event(QEvent* event) override;

 private:
  void Lookup();

  THWAddrLookup FLookup;
  THWAddr FHWAddr;
  TIPv4Edit* FAddressEdit;
};
