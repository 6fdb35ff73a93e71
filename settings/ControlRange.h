#pragma once
// An inclusive range of a slider, spin control or list position.

struct TControlRange {
  int Min;
  int Max;
  int Clamp(int value) const { return value < Min ? Min : (value > Max ? Max : value); }
  bool Contains(int value) const { return value >= Min && value <= Max; }
};
