#include "ui/graph/ValueFormat.h"

QString TValueFormat::FormatQuotient(double x, const QString& unit) const {
  const int decimals = NumberOfDecimals > 0 ? NumberOfDecimals : (x >= 10 ? 0 : 1);
  // 'f' formatting of QString::number is locale-independent, as the labels are.
  return QString::number(x, 'f', decimals) + QLatin1Char(' ') + unit;
}

QString TValueFormat::Format(uint64_t v) const {
  const double b = static_cast<double>(UnitBase);
  const double value = static_cast<double>(v);
  switch (RateFormat) {
    case TRateFormat::rfKilo: return FormatQuotient(value / b, KScale);
    case TRateFormat::rfMega: return FormatQuotient(value / (b * b), MScale);
    case TRateFormat::rfGiga: return FormatQuotient(value / (b * b * b), GScale);
    case TRateFormat::rfAuto: break;
  }
  if (v < 1000) {
    QString text = QString::number(v);
    if (!BScale.isEmpty()) text += QLatin1Char(' ') + BScale;
    return text;
  }
  if (v < 1000000) return FormatQuotient(value / b, KScale);
  if (v < 1000000000) return FormatQuotient(value / (b * b), MScale);
  return FormatQuotient(value / (b * b * b), GScale);
}
