#pragma once
#include <QString>

// How far back the graph looks, o samples (seconds) before the present:
// "-45 s", "-2 min", "-1 min 30 s".
QString OffsetText(int o, const QString& minLabel, const QString& secLabel);
