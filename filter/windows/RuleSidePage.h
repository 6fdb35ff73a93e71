#pragma once
// One side's page of the rule editor ("Source" or "Destination"): the address
// panel and the port panel, with their visibility and enabling rules.
#include <QWidget>
#include <string>
#include <vector>

#include "filter/windows/RuleEditorValues.h"
#include "filter/windows/RuleValidation.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QToolButton;
class TIPv4Edit;
class TIPv6Edit;

class TRuleSidePage final : public QWidget {
  Q_OBJECT

 public:
  // side is pgSource or pgDestination; it names the captions and controls.
  TRuleSidePage(TRulePage side, QWidget* parent = nullptr);

  void SetGroupNames(const std::vector<std::string>& names);
  // Shows a side of a rule; call SetProtocol afterwards.
  void Load(const TRuleSideValues& values);
  TRuleSideValues Values() const;
  // The protocol decides which address fields show and which panels work.
  void SetProtocol(uint8_t protocol);
  void SetMacText(const QString& text);
  // The control a failed check points at; nullptr for none.
  QWidget* Field(TRuleField field) const;

 signals:
  // The "..." button beside the MAC field was pressed.
  void MacLookupRequested();

 private:
  QGroupBox* BuildAddressPanel(const QString& prefix, const QString& caption);
  QGroupBox* BuildPortPanel(const QString& prefix, const QString& caption);
  void UpdateAddressVisibility();
  void UpdateEnabling();
  void ShowPortPage(int portType);
  void AddPort();
  void RemovePorts();

  uint8_t FProtocol = fpAny;

  QGroupBox* FAddressPanel = nullptr;
  QButtonGroup* FAddressKinds = nullptr;
  QLineEdit* FMacEdit = nullptr;
  QToolButton* FMacLookupButton = nullptr;
  QLabel* FFromLabel = nullptr;
  QLabel* FToLabel = nullptr;
  TIPv4Edit* FFirstIPv4Edit = nullptr;
  TIPv6Edit* FFirstIPv6Edit = nullptr;
  TIPv4Edit* FLastIPv4Edit = nullptr;
  TIPv6Edit* FLastIPv6Edit = nullptr;
  QComboBox* FGroupList = nullptr;

  QGroupBox* FPortPanel = nullptr;
  QButtonGroup* FPortKinds = nullptr;
  QStackedWidget* FPortPages = nullptr;
  QLineEdit* FPortEdit = nullptr;
  QLineEdit* FPortFromEdit = nullptr;
  QLineEdit* FPortToEdit = nullptr;
  QListWidget* FPortList = nullptr;
  QPushButton* FAddPortButton = nullptr;
  QPushButton* FRemovePortButton = nullptr;
};
