#pragma once
// The rule editor ("Filter Settings"): three pages over the one filter rule.
// It loads the rule when it is created, checks the user's input when OK is
// pressed and stores the whole rule in one hold of the settings lock. Cancel
// leaves the rule untouched.
#include <QDialog>
#include <functional>
#include <mutex>

#include "filter/FilterSettings.h"
#include "filter/windows/LookupMacForm.h"
#include "filter/windows/RuleEditorValues.h"
#include "filter/windows/RuleValidation.h"

class QCheckBox;
class QComboBox;
class QSpinBox;
class QTabWidget;
class TRuleSidePage;

// Asks for a MAC address; true, with the address, when one was found.
using TMacLookupDialog = std::function<bool(QWidget* parent, THWAddr& HWAddr)>;

class TEditRuleForm final : public QDialog {
  Q_OBJECT

 public:
  // Loads the rule under settingsLock. lookup resolves the addresses typed
  // into the MAC lookup window.
  TEditRuleForm(TFilterSettings& filter, std::recursive_mutex& settingsLock, THWAddrLookup lookup,
                QWidget* parent = nullptr);

  // Replaces the MAC lookup window (TLookupMacForm by default).
  void SetMacLookupDialog(TMacLookupDialog dialog) { FMacLookupDialog = std::move(dialog); }

  // OK: the checks, then the store; a failed check keeps the window open.
  void accept() override;

 private:
  void BuildControls();
  void Load();
  TRuleEditorValues Values() const;
  void ProtocolChanged();
  void ShowFailure(const TRuleCheckFailure& failure);
  void LookupMac(TRuleSidePage* side);

  TFilterSettings& FFilter;
  std::recursive_mutex& FSettingsLock;
  TMacLookupDialog FMacLookupDialog;

  QTabWidget* FPages = nullptr;
  QComboBox* FProtocolList = nullptr;
  QSpinBox* FVlanIdEdit = nullptr;
  TRuleSidePage* FSourcePage = nullptr;
  TRuleSidePage* FDestinationPage = nullptr;
  QCheckBox* FEnabledCheckBox = nullptr;
};
