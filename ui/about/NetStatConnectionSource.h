#pragma once
// The connections list's source in the program: the machine's established
// TCP connections (TNetStat).
#include "platform/linux/NetStat.h"
#include "ui/about/ConnectionSource.h"

class TNetStatConnectionSource final : public IConnectionSource {
 public:
  void Reload() override { FNetStat.Reload(); }
  int Count() const override { return FNetStat.Count(); }
  const TNetStatEntry& Entry(int index) const override { return FNetStat[index]; }
  void Terminate(const TNetStatEntry& entry) override { entry.Terminate(); }

 private:
  TNetStat FNetStat;
};
