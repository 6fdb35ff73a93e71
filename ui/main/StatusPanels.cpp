#include "ui/main/StatusPanels.h"

#include <QFontMetrics>
#include <algorithm>

namespace {

struct TPanelLook {
  const char* Text;  // nullptr: a value panel
  int Width;
};

constexpr std::array<TPanelLook, kStatusPanelCount> kPanels{{
    {"Filter", 40}, {nullptr, 40}, {"Latency", 55}, {nullptr, 40}, {"Loss", 40},
    {nullptr, 40}, {"Duplication", 80}, {nullptr, 40}, {"Reordering", 80}, {nullptr, 40},
    {"Corruption", 75}, {nullptr, 40}, {"Port Blocking", 90}, {nullptr, 40}, {"", 50},
}};

}  // namespace

TStatusFlags ReadStatusFlags(TEngine& engine) {
  TLockGuard lock(engine.Locks.SettingsLock);
  const TEngineSettings& s = engine.Settings;
  return {s.Filter.Enabled,      s.Latency.Enabled,    s.Loss.Enabled,    s.Duplication.Enabled,
          s.Reordering.Enabled,  s.Corruption.Enabled, s.Blocking.Enabled};
}

TStatusPanels::TStatusPanels(QStatusBar* bar) {
  bar->setSizeGripEnabled(true);
  bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
  for (int i = 0; i < kStatusPanelCount; ++i) {
    const TPanelLook& look = kPanels[static_cast<size_t>(i)];
    auto* panel = new QLabel(look.Text ? QString::fromLatin1(look.Text) : QStringLiteral("OFF"), bar);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameShape(QFrame::NoFrame);
    // The designed width, or more where the font needs it.
    QFont bold = bar->font();
    bold.setBold(true);
    const int textWidth = QFontMetrics(bold).horizontalAdvance(look.Text ? QString::fromLatin1(look.Text) : "OFF");
    panel->setMinimumWidth(std::max(look.Width, textWidth + 8));
    // Permanent widgets stay in place while a hint or message is shown; the
    // message takes the space left of them.
    bar->addPermanentWidget(panel);
    FPanels[static_cast<size_t>(i)] = panel;
  }
  Show(TStatusFlags{});
}

void TStatusPanels::ShowValue(int index, bool on) {
  QLabel* panel = Panel(index);
  panel->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
  QFont font = panel->parentWidget()->font();
  font.setBold(on);
  panel->setFont(font);
}

void TStatusPanels::Show(const TStatusFlags& flags) {
  ShowValue(1, flags.Filter);
  ShowValue(3, flags.Latency);
  ShowValue(5, flags.Loss);
  ShowValue(7, flags.Duplication);
  ShowValue(9, flags.Reordering);
  ShowValue(11, flags.Corruption);
  ShowValue(13, flags.Blocking);
}
