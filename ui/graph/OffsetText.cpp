#include "ui/graph/OffsetText.h"

QString OffsetText(int o, const QString& minLabel, const QString& secLabel) {
  if (o <= 59) return QStringLiteral("-%1 %2").arg(o).arg(secLabel);
  if (o % 60 == 0) return QStringLiteral("-%1 %2").arg(o / 60).arg(minLabel);
  return QStringLiteral("-%1 %2 %3 %4").arg(o / 60).arg(minLabel).arg(o % 60).arg(secLabel);
}
