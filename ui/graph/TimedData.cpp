#include "ui/graph/TimedData.h"

#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
}  // namespace

double ToDayCount(const QDateTime& localTime) {
  const QDateTime local = localTime.toLocalTime();
  const double days = static_cast<double>(kEpoch.daysTo(local.date()));
  const double fraction = local.time().msecsSinceStartOfDay() / kMsPerDay;
  return days >= 0 ? days + fraction : days - fraction;
}

QDateTime FromDayCount(double days) {
  const double whole = std::trunc(days);
  const qint64 ms = std::llround(std::fabs(days - whole) * kMsPerDay);
  return QDateTime(kEpoch.addDays(static_cast<qint64>(whole)), QTime(0, 0)).addMSecs(ms);
}
