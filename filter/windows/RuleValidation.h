#pragma once
// The checks the rule editor runs when OK is pressed, in their fixed order.
// The first failing check names its message, the page that holds the faulty
// field and the field to focus; the window shows and focuses them.
#include <optional>
#include <string>

#include "filter/windows/RuleEditorValues.h"

// The editor's pages, in tab order; pgCurrent leaves the page as it is.
enum TRulePage { pgCurrent = -1, pgGeneral = 0, pgSource = 1, pgDestination = 2 };

// The field of a side's page that a failed check focuses.
enum class TRuleField {
  None,
  MacAddress,
  GroupList,
  FirstIPv4,
  LastIPv4,
  FirstIPv6,
  LastIPv6,
  SinglePort,
  PortFrom,
  PortTo,
  AddPort,
};

struct TRuleCheckFailure {
  std::string Message;
  TRulePage Page = pgCurrent;
  TRuleField Field = TRuleField::None;
};

// nullopt when the values make a rule the engine can test.
std::optional<TRuleCheckFailure> CheckRuleEditorValues(const TRuleEditorValues& values);
