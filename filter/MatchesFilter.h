#pragma once
// The per-frame filter test.
#include <cstdint>

#include "common/TrafficDirection.h"
#include "filter/FilterSettings.h"
#include "filter/LocalAddresses.h"

// True when the frame is selected by the rule. The caller holds SettingsLock
// and has already found filter.Enabled true; direction is the engine's
// direction setting (the rule also matches with the sides exchanged only for
// tdBoth). Takes LocalAddressLock for each scan of the local-address list.
//
// Short frames: no byte at or beyond `length` is ever read. A frame too short
// to hold a field that the rule must examine (the VLAN tag, the EtherType, the
// IP protocol, an address, a port) does not match; a field the rule does not
// examine need not be present (with VlanId 0 and Protocol "Any" even an empty
// frame matches).
//
// A single-port or port-range specification with the wrong number of ports
// fails with EAssertionFailed ("checking single port error" / "checking port
// range error", unit GUIMain) when its test is reached. Address and port kinds
// outside their tables match nothing; a Protocol above 16 matches nothing.
// Allocates nothing and converts nothing to text.
bool MatchesFilter(const TFilterSettings& filter, TTrafficDirection direction, const uint8_t* frame,
                   uint32_t length, const TLocalAddresses& local);
