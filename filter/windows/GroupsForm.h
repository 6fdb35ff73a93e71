#pragma once
// The groups window: the user defines named lists of single addresses that
// the rule can name as its source or destination. The window works on its own
// copy of the rule's groups and copies it back when it closes, however it is
// closed; there is no cancel.
#include <QDialog>
#include <functional>
#include <mutex>

#include "filter/FilterSettings.h"
#include "filter/windows/GroupRenumbering.h"

class QListWidget;
class QPushButton;

// Asks for one address, starting with the one handed in; true when confirmed.
using TAddressDialog = std::function<bool(QWidget* parent, TIPAddr& address)>;

class TGroupsForm final : public QDialog {
  Q_OBJECT

 public:
  // Copies the rule's groups and group numbers under settingsLock.
  TGroupsForm(TFilterSettings& filter, std::recursive_mutex& settingsLock, QWidget* parent = nullptr);

  // The window's own list, as edited so far.
  const TGroupList& Groups() const { return FGroups; }
  // Replaces the address dialog (TAddIPForm by default).
  void SetAddressDialog(TAddressDialog dialog) { FAddressDialog = std::move(dialog); }

  // Closing copies the list back into the rule.
  void done(int result) override;

 private:
  void BuildControls();
  int SelectedGroup() const;
  int SelectedAddress() const;
  void RefreshGroups();
  void RefreshAddresses();
  void UpdateButtons();

  void NewGroup();
  void EditGroup();
  void DeleteGroup();
  void AddAddress(TAddrType version);
  void EditAddress();
  void DeleteAddress();
  // Under settingsLock: the rule gets the window's list, and its group
  // numbers follow their groups to their new positions.
  void StoreGroups();

  TFilterSettings& FFilter;
  std::recursive_mutex& FSettingsLock;
  TGroupList FGroups;
  // The rule's group numbers as they were when the window opened.
  int32_t FSourceGroupId = -1;
  int32_t FDestinationGroupId = -1;
  TGroupRenumbering FRenumbering;
  TAddressDialog FAddressDialog;

  QListWidget* FGroupList = nullptr;
  QListWidget* FAddressList = nullptr;
  QPushButton* FNewGroupButton = nullptr;
  QPushButton* FDeleteGroupButton = nullptr;
  QPushButton* FAddIPv4Button = nullptr;
  QPushButton* FAddIPv6Button = nullptr;
  QPushButton* FDeleteAddressButton = nullptr;
};
