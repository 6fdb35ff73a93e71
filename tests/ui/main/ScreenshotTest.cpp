// Renders the main window (each tab) and every dialog to PNG files under the
// build tree, so that anyone can look at them: screenshots/main-*.png.

#include <QCheckBox>
#include <QDir>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>

#include "config/windows/OptionsForm.h"
#include "config/windows/PresetsForm.h"
#include "config/windows/TransferRatesForm.h"
#include "config/windows/TransferRatesFormEdit.h"
#include "ui/main/BridgingForm.h"
#include "ui/graph/EffectChart.h"
#include "ui/graph/Histogram.h"
#include "ui/main/Icons.h"
#include "tests/ui/main/WindowRig.h"

namespace {

QString ShotPath(const QString& name) {
  QDir().mkpath(QStringLiteral(OT_SCREENSHOT_DIR));
  return QStringLiteral(OT_SCREENSHOT_DIR "/main-%1.png").arg(name);
}

void Save(QWidget& widget, const QString& name) {
  QApplication::processEvents();
  const QImage image = widget.grab().toImage();
  ASSERT_FALSE(image.isNull()) << name.toStdString();
  // A drawn window shows text and frames: many colours, not a blank area.
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 3) {
    for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
  }
  EXPECT_GE(colours.size(), 8) << name.toStdString();
  ASSERT_TRUE(image.save(ShotPath(name))) << name.toStdString();
}

void SaveDialog(QDialog& dialog, const QString& name) {
  dialog.show();
  dialog.adjustSize();
  Save(dialog, name);
  dialog.hide();
}

}  // namespace

TEST(Screenshots, MainWindowEachTabAndEveryDialog) {
  TWindowRig rig;
  rig.AddLabAdapters();
  TSimulatorForm& form = rig.MakeForm();
  form.Actions.ActionShowConnections->setChecked(true);
  form.resize(form.minimumSize().expandedTo(QSize(800, 720)));
  rig.Find<QCheckBox>("EnableLatencyCheckBox")->click();
  rig.Find<QRadioButton>("rbCorruptBitRate")->click();
  rig.Find<QCheckBox>("cbCorruption")->click();
  auto* pages = rig.Find<QTabWidget>("PageControl");
  const char* names[] = {"rate", "latency", "loss", "duplication", "reordering", "corruption", "capture", "blocking"};
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    Save(form, QStringLiteral("tab-%1").arg(QString::fromLatin1(names[i])));
  }
  // The Capture tab as it starts: capture off, its fields and browse buttons greyed.
  pages->setCurrentIndex(6);
  Save(form, QStringLiteral("capture-disabled"));
  pages->setCurrentIndex(0);
  // A hint in the status bar beside the fifteen panels, in a window wide
  // enough to show both.
  const QSize shown = form.size();
  form.resize(shown.width() + 250, shown.height());
  form.Actions.ActionLoadProfile->showStatusText(form.ToolBar->widgetForAction(form.Actions.ActionLoadProfile));
  Save(form, QStringLiteral("hover-toolbar"));
  form.resize(shown);
  form.StartSimulation();
  Save(form, QStringLiteral("running"));
  form.StopSimulation();
  form.resize(form.minimumSize());
  Save(form, QStringLiteral("smallest"));

  TTransferRatesForm rates(&form, form.Model.Rates, ProgramIcon(iiInformation));
  SaveDialog(rates, QStringLiteral("dialog-rates"));
  TTransferRatesFormEdit editor(&form, "Edit Transfer Rate", "Dual", "30000:60000");
  SaveDialog(editor, QStringLiteral("dialog-rate-edit"));
  TPresetsForm presets(&form, {ProgramIcon(iiPreset3G), ProgramIcon(iiPresetEdge), ProgramIcon(iiPresetWiFi)});
  SaveDialog(presets, QStringLiteral("dialog-presets"));
  TOptionsForm options(&form);
  options.Fill(form.Preferences);
  SaveDialog(options, QStringLiteral("dialog-options"));
  TBridgingForm bridge(&form, form.Adapters, {"Lab adapter 0", "Lab adapter 1"}, form.Preferences.Bridge);
  SaveDialog(bridge, QStringLiteral("dialog-bridge"));
}

// The window on a 2x screen: run by the test ui_main_hidpi with QT_SCALE_FACTOR=2.
TEST(Screenshots, MainWindowAtTwiceTheDensity) {
  if (qApp->devicePixelRatio() < 2) GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
  TWindowRig rig;
  rig.AddLabAdapters();
  TSimulatorForm& form = rig.MakeForm();
  form.Actions.ActionShowConnections->setChecked(true);
  form.resize(form.minimumSize().expandedTo(QSize(800, 720)));
  for (int second = 0; second < 90; ++second) form.Graph->AddSample(40000 + 300 * (second % 17), 9000 + 150 * (second % 5));
  QApplication::processEvents();
  EXPECT_EQ(form.Graph->GraphBitmap().devicePixelRatio(), 2.0);
  EXPECT_EQ(form.Graph->GraphBitmap().width(), 2 * form.Graph->width());
  EXPECT_EQ(form.EffectChart->Render().devicePixelRatio(), 2.0);
  const QImage shot = form.grab().toImage();
  EXPECT_EQ(shot.width(), 2 * form.width());
  Save(form, QStringLiteral("hidpi-2x"));
}
