#pragma once
// The label text of a graph value: "999", "1.0 K", "10 K", "1.5 M". The unit
// is chosen by decimal thresholds (1000, 1000000, 1000000000) and the value
// divided by powers of the unit base, so in bytes 1000 reads 1.0 K
// (1000 / 1024 = 0.98, one decimal below 10).

#include <QString>
#include <cstdint>

#include "ui/graph/GraphTypes.h"

struct TValueFormat {
  uint64_t UnitBase = 1024;
  QString BScale;  // unit text below 1000; nothing is appended when empty
  QString KScale = QStringLiteral("K");
  QString MScale = QStringLiteral("M");
  QString GScale = QStringLiteral("G");
  int NumberOfDecimals = 0;  // fixed decimals; 0 chooses 0 or 1 by size
  TRateFormat RateFormat = TRateFormat::rfAuto;

  QString Format(uint64_t v) const;

 private:
  QString FormatQuotient(double x, const QString& unit) const;
};
