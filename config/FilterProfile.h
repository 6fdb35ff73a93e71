#pragma once
// The filter's part of a profile: the address groups ("groups") and the one
// filter rule ("filter"), the last two children of the root element.

#include <QDomElement>

#include "filter/FilterSettings.h"

// Appends "groups", then "filter", to the root.
void WriteFilterPart(QDomElement& root, const TFilterSettings& filter);

// Replaces the groups and, when the root has a "filter" child, the rule.
// Throws std::runtime_error with the message to show; what was read before
// the error keeps its new value.
void ReadFilterPart(const QDomElement& root, TFilterSettings& filter);
