#include "ui/main/TimedData.h"

double DayCountFromLocalTime(const QDateTime& local) {
  static const QDate kEpoch(1899, 12, 30);
  const double days = static_cast<double>(kEpoch.daysTo(local.date()));
  const double fraction = local.time().msecsSinceStartOfDay() / 86400000.0;
  return days + fraction;
}
