#pragma once
// The filter's part of a profile: the address groups ("groups") and the one
// filter rule ("filter"), the last two children of the root element.

#include <QDomElement>

#include "filter/FilterSettings.h"

// Appends "groups", then "filter", to the root.
void WriteFilterPart(QDomElement& root, const TFilterSettings& filter);

// The rule as the profile sets it: the groups replaced and, when the root
// has a "filter" child, the rule too; otherwise current's rule is kept.
// Throws std::runtime_error with the message to show, EProfileRefused for a
// rule that reads but cannot be matched (a kind outside its list, a single
// port or a range without its ports). Nothing is changed in either case.
TFilterSettings ReadFilterPart(const QDomElement& root, const TFilterSettings& current);
