#pragma once
#include <cstdint>

// Which directions the engine emulates. The values are stored in profiles and
// are the positions of the window's direction choice.
enum class TTrafficDirection : uint8_t {
  tdIncoming = 0,
  tdOutgoing = 1,
  tdBoth = 2,
};
