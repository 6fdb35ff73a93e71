#pragma once
// Whether a filter rule can be matched as it stands. The rule editor only
// stores consistent rules; a rule read from elsewhere (a profile written by
// hand or by an older program) is checked with this before it is used, so
// that a fault shows once when the rule arrives instead of on every frame.
#include <string>

#include "filter/FilterSettings.h"

// Empty for a usable rule; otherwise what is wrong, for a message: a
// protocol, address kind or port kind outside its table, or a single-port or
// port-range kind without exactly its one or two ports.
std::string RuleInconsistency(const TFilterSettings& rule);

// How RuleInconsistency words a kind outside its table ("protocol 20 is
// outside its list (0 to 16)"), for readers that see the value before it is
// narrowed into the rule's field.
std::string ValueOutsideList(const std::string& what, long long value, int count);
