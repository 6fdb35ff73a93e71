// The tabs bound to the settings model: labels, enabling and hiding rules,
// the bit-error field, the status bar, and what each change applies.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "ui/main/BlockingTab.h"
#include "ui/main/CorruptionTab.h"
#include "ui/main/LatencyTab.h"
#include "ui/main/LossTab.h"
#include "ui/main/StatusPanels.h"
#include "ui/main/TabControls.h"
#include "ui/main/TransferRateTab.h"
#include "tests/ui/main/WindowRig.h"

namespace {

class TabsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Rig.AddLabAdapters();
    Rig.MakeForm();
  }
  QRadioButton* Option(const char* group, int position) {
    auto* box = Rig.Find<QWidget>(group);
    return box ? box->findChildren<QRadioButton*>().value(position) : nullptr;
  }
  TWindowRig Rig;
};

}  // namespace

TEST_F(TabsTest, LossLabelShowsSharesAndFixedNumberOrdinals) {
  auto* slider = Rig.Find<QSlider>("PacketLossTrackBar");
  auto* label = Rig.Find<QLabel>("lblLossPercent");
  slider->setValue(1);
  EXPECT_EQ(label->text(), "Loss 0.1% packets");
  slider->setValue(1000);
  EXPECT_EQ(label->text(), "Loss 100.0% packets");

  Rig.Find<QCheckBox>("EnableLossCheckBox")->click();
  Option("LossTypeRadioGroup", 1)->click();
  const struct {
    int Position;
    const char* Text;
  } cases[] = {{1, "Lose every 1st packet"},   {2, "Lose every 2nd packet"},    {3, "Lose every 3rd packet"},
               {11, "Lose every 11th packet"}, {12, "Lose every 12th packet"},  {13, "Lose every 13th packet"},
               {22, "Lose every 22nd packet"}, {111, "Lose every 111st packet"}, {112, "Lose every 112nd packet"},
               {113, "Lose every 113rd packet"}};
  for (const auto& c : cases) {
    slider->setValue(c.Position);
    EXPECT_EQ(label->text(), c.Text);
  }
}

TEST_F(TabsTest, EveryShareLabelFollowsItsSlider) {
  Rig.Find<QSlider>("LatencyTrackBar")->setValue(40);
  EXPECT_EQ(Rig.Find<QLabel>("lblApplyDelayOn")->text(), "Simulate latency for 40% of packets");
  Rig.Find<QCheckBox>("EnableDuplicationCheckBox")->click();
  Rig.Find<QSlider>("DuplicationTrackBar")->setValue(25);
  EXPECT_EQ(Rig.Find<QLabel>("DuplicationLabel")->text(), "Duplicate 2.5% packets");
  Option("DuplicationTypeRadioGroup", 1)->click();
  EXPECT_EQ(Rig.Find<QLabel>("DuplicationLabel")->text(), "Duplicate every 25th packet");
  Rig.Find<QSlider>("ReorderingTrackBar")->setValue(7);
  EXPECT_EQ(Rig.Find<QLabel>("ReorderingLabel")->text(), "Reorder 0.7% packets");
  Rig.Find<QSlider>("tbCorruption")->setValue(1000);
  EXPECT_EQ(Rig.Find<QLabel>("lbCorruption")->text(), "Corrupt 100.0% packets");
}

TEST_F(TabsTest, InitialValuesOfTheControls) {
  EXPECT_EQ(Rig.Find<QComboBox>("RatesCombobox")->currentText(), "Unlimited");
  EXPECT_EQ(Rig.Find<QComboBox>("RatesCombobox")->count(), 13);
  EXPECT_EQ(Rig.Find<QComboBox>("RatesCombobox")->maxVisibleItems(), 20);
  EXPECT_TRUE(Option("DirectionRadioGroup", 2)->isChecked());
  EXPECT_TRUE(Option("DelaySettingsRadioGroup", 0)->isChecked());
  EXPECT_EQ(Rig.Find<QSpinBox>("DelayFromUpDown")->value(), 100);
  EXPECT_EQ(Rig.Find<QSpinBox>("DelayToUpDown")->value(), 500);
  EXPECT_EQ(Rig.Find<QSlider>("LatencyTrackBar")->value(), 100);
  const struct {
    const char* Name;
    int Min, Max, Step;
  } spins[] = {{"DelayFromUpDown", 0, 60000, 10}, {"DelayToUpDown", 0, 60000, 10}, {"udLatencyCorrelation", 0, 95, 5},
               {"udLossLo", 1, 1000, 1},          {"udLossHi", 1, 1000, 1},       {"ReorderingGapUpDown", 1, 1000, 1}};
  for (const auto& s : spins) {
    auto* spin = Rig.Find<QSpinBox>(s.Name);
    EXPECT_EQ(spin->minimum(), s.Min) << s.Name;
    EXPECT_EQ(spin->maximum(), s.Max) << s.Name;
    EXPECT_EQ(spin->singleStep(), s.Step) << s.Name;
  }
  for (const char* name : {"DelayFromEdit", "DelayToEdit", "leLatencyCorrelation", "leLossLo", "leLossHi",
                           "ReorderingGapEdit"}) {
    EXPECT_NE(Rig.Form->findChild<QLineEdit*>(QString::fromLatin1(name)), nullptr) << name;
  }
  for (const char* name : {"PacketLossTrackBar", "DuplicationTrackBar", "ReorderingTrackBar", "tbCorruption"}) {
    auto* slider = Rig.Find<QSlider>(name);
    EXPECT_EQ(slider->minimum(), 1) << name;
    EXPECT_EQ(slider->maximum(), 1000) << name;
    EXPECT_EQ(slider->tickInterval(), 100) << name;
    EXPECT_EQ(slider->pageStep(), 100) << name;
    EXPECT_EQ(slider->value(), 1) << name;
  }
  const QStringList tabs = {"Transfer Rate", "Latency", "Packet Loss", "Duplication", "Reordering", "Corruption",
                            "Capture", "Port Blocking"};
  auto* pages = Rig.Find<QTabWidget>("PageControl");
  ASSERT_EQ(pages->count(), tabs.size());
  // The captions carry an access key; they read as the names without it.
  for (int i = 0; i < tabs.size(); ++i) EXPECT_EQ(QString(pages->tabText(i)).remove('&'), tabs[i]);
}

// Every control of the impairment tabs says what its value means.
TEST_F(TabsTest, EveryImpairmentControlHasAHint) {
  for (const char* name : {"EnableLatencyCheckBox", "DelayFromUpDown", "DelayToUpDown", "udLatencyCorrelation",
                           "LatencyTrackBar", "EnableLossCheckBox", "PacketLossTrackBar", "udLossLo", "udLossHi",
                           "EnableDuplicationCheckBox", "DuplicationTrackBar", "EnableReorderingCheckBox",
                           "ReorderingTrackBar", "ReorderingGapUpDown", "cbCorruption", "tbCorruption",
                           "leCorruptBerValue", "cmbCorruptBerUnit", "cbBlocking", "leBlocking", "RatesCombobox"}) {
    auto* control = Rig.Find<QWidget>(name);
    ASSERT_NE(control, nullptr) << name;
    EXPECT_FALSE(control->toolTip().isEmpty()) << name;
  }
  EXPECT_EQ(Rig.Find<QSpinBox>("udLossLo")->toolTip(), "The fewest frames lost in a row once a loss starts, 1 to 1000");
  EXPECT_TRUE(Option("LossTypeRadioGroup", 1)->toolTip().contains("every N-th frame"));
}

TEST_F(TabsTest, EnableCheckBoxEnablesEveryControlOfItsTab) {
  const struct {
    const char* CheckBox;
    const char* Control;
  } cases[] = {{"EnableLatencyCheckBox", "LatencyTrackBar"},   {"EnableLatencyCheckBox", "lblApplyDelayOn"},
               {"EnableLossCheckBox", "PacketLossTrackBar"},    {"EnableDuplicationCheckBox", "DuplicationLabel"},
               {"EnableReorderingCheckBox", "ReorderingGapUpDown"}, {"cbCorruption", "rbCorruptBitRatio"},
               {"cbEnableCapture", "beCaptureAfter"},           {"cbEnableCapture", "cmbCaptureMode"},
               {"cbBlocking", "leBlocking"}};
  for (const auto& c : cases) {
    auto* box = Rig.Find<QCheckBox>(c.CheckBox);
    auto* control = Rig.Find<QWidget>(c.Control);
    EXPECT_FALSE(control->isEnabled()) << c.Control;
    box->click();
    EXPECT_TRUE(control->isEnabled()) << c.Control;
    EXPECT_TRUE(box->isEnabled());
    box->click();
    EXPECT_FALSE(control->isEnabled()) << c.Control;
    EXPECT_TRUE(box->isEnabled());
  }
}

TEST_F(TabsTest, SequentialLossOnlyForAnEnabledPercentage) {
  auto* lo = Rig.Find<QSpinBox>("udLossLo");
  auto* hi = Rig.Find<QSpinBox>("udLossHi");
  Rig.Find<QCheckBox>("EnableLossCheckBox")->click();
  Option("LossTypeRadioGroup", 1)->click();
  Rig.Find<QCheckBox>("EnableLossCheckBox")->click();
  Rig.Find<QCheckBox>("EnableLossCheckBox")->click();
  EXPECT_FALSE(lo->isEnabled());
  EXPECT_FALSE(hi->isEnabled());
  EXPECT_TRUE(Rig.Find<QSlider>("PacketLossTrackBar")->isEnabled());
  Option("LossTypeRadioGroup", 0)->click();
  EXPECT_TRUE(lo->isEnabled());
  EXPECT_TRUE(hi->isEnabled());
}

TEST_F(TabsTest, CorruptionChoiceDecidesWhichFieldsWork) {
  auto* slider = Rig.Find<QSlider>("tbCorruption");
  auto* value = Rig.Find<QLineEdit>("leCorruptBerValue");
  auto* unit = Rig.Find<QComboBox>("cmbCorruptBerUnit");
  auto* label = Rig.Find<QLabel>("lblCorruptBerValue");
  Rig.Find<QCheckBox>("cbCorruption")->click();
  EXPECT_TRUE(slider->isEnabled());
  EXPECT_FALSE(value->isEnabled());
  EXPECT_FALSE(unit->isEnabled());
  EXPECT_EQ(label->text(), "");

  Rig.Find<QRadioButton>("rbCorruptBitRate")->click();
  EXPECT_FALSE(slider->isEnabled());
  EXPECT_TRUE(value->isEnabled());
  EXPECT_TRUE(unit->isEnabled());
  EXPECT_EQ(label->text(), "Number of bit errors:");

  Rig.Find<QRadioButton>("rbCorruptBitRatio")->click();
  EXPECT_TRUE(value->isEnabled());
  EXPECT_FALSE(unit->isEnabled());
  EXPECT_EQ(label->text(), "Error ratio, e.g. 10e-7:");
}

TEST_F(TabsTest, InvalidBitErrorValueTurnsRedAndTheEngineKeepsItsValue) {
  Rig.Find<QCheckBox>("cbCorruption")->click();
  Rig.Find<QRadioButton>("rbCorruptBitRate")->click();
  auto* field = Rig.Find<QLineEdit>("leCorruptBerValue");
  const QColor normal = Rig.Form->palette().color(QPalette::Base);
  auto engineValue = [this] {
    TLockGuard lock(Rig.Engine.Locks.SettingsLock);
    return Rig.Engine.Settings.Corruption.Value;
  };
  const struct {
    const char* Text;
    bool Valid;
    uint32_t EngineValue;  // after the text was typed
  } rates[] = {{"25", true, 25}, {"0", false, 25}, {"10001", false, 25}, {"abc", false, 25},
               {"10000", true, 10000}, {"", false, 10000}, {"1", true, 1}};
  for (const auto& c : rates) {
    field->setText(QString::fromLatin1(c.Text));
    EXPECT_EQ(field->palette().color(QPalette::Base) == kInvalidFieldColor, !c.Valid) << c.Text;
    if (c.Valid) {
      EXPECT_EQ(field->palette().color(QPalette::Base), normal) << c.Text;
    }
    EXPECT_EQ(engineValue(), c.EngineValue) << c.Text;
  }

  Rig.Find<QRadioButton>("rbCorruptBitRatio")->click();
  auto engineRatio = [this] {
    TLockGuard lock(Rig.Engine.Locks.SettingsLock);
    return Rig.Engine.Settings.Corruption.Ratio;
  };
  const struct {
    const char* Text;
    bool Valid;
  } ratios[] = {{"1e-7", true}, {"1", false}, {"0", false}, {"0.5", true}, {"x", false}};
  double expected = 0;
  for (const auto& c : ratios) {
    field->setText(QString::fromLatin1(c.Text));
    EXPECT_EQ(field->palette().color(QPalette::Base) == kInvalidFieldColor, !c.Valid) << c.Text;
    if (c.Valid) {
      expected = std::stod(c.Text);
    }
    EXPECT_DOUBLE_EQ(engineRatio(), expected) << c.Text;
  }

  // The percentage choice never reads the field, so it is never red.
  Rig.Find<QRadioButton>("rbCorruptPercent")->click();
  EXPECT_NE(field->palette().color(QPalette::Base), kInvalidFieldColor);
}

TEST_F(TabsTest, FixedDelayHidesTheRangeAndKeepsItsValues) {
  Rig.Find<QCheckBox>("EnableLatencyCheckBox")->click();
  auto* to = Rig.Find<QSpinBox>("DelayToUpDown");
  auto* correlation = Rig.Find<QSpinBox>("udLatencyCorrelation");
  EXPECT_TRUE(to->isHidden());
  EXPECT_TRUE(correlation->isHidden());
  EXPECT_EQ(Rig.Form->LatencyTab->lblDelayFrom->text(), "Delay (ms)");

  Option("DelaySettingsRadioGroup", 1)->click();
  EXPECT_FALSE(to->isHidden());
  EXPECT_FALSE(correlation->isHidden());
  EXPECT_EQ(Rig.Form->LatencyTab->lblDelayFrom->text(), "Delay from (ms)");
  to->setValue(700);
  correlation->setValue(35);

  Option("DelaySettingsRadioGroup", 0)->click();
  EXPECT_TRUE(to->isHidden());
  Option("DelaySettingsRadioGroup", 1)->click();
  EXPECT_EQ(to->value(), 700);
  EXPECT_EQ(correlation->value(), 35);
  TLockGuard lock(Rig.Engine.Locks.SettingsLock);
  EXPECT_EQ(Rig.Engine.Settings.Latency.DelayTo, 700u);
  EXPECT_DOUBLE_EQ(Rig.Engine.Settings.Latency.Correlation, 0.35);
}

TEST_F(TabsTest, EachChangeAppliesItsPartAtOnce) {
  Rig.Find<QCheckBox>("EnableLossCheckBox")->click();
  Rig.Find<QSlider>("PacketLossTrackBar")->setValue(250);
  Rig.Find<QSpinBox>("udLossLo")->setValue(50);
  Rig.Find<QSpinBox>("udLossHi")->setValue(10);
  Rig.Find<QCheckBox>("EnableReorderingCheckBox")->click();
  Rig.Find<QSpinBox>("ReorderingGapUpDown")->setValue(4);
  Option("DirectionRadioGroup", 0)->click();
  auto* rates = Rig.Find<QComboBox>("RatesCombobox");
  const int t1 = rates->findText("1.5 Mbps (T1, DSL, Cable modem)");
  rates->setCurrentIndex(t1);
  emit rates->activated(t1);

  {
    TLockGuard lock(Rig.Engine.Locks.SettingsLock);
    const TEngineSettings& s = Rig.Engine.Settings;
    EXPECT_TRUE(s.Loss.Enabled);
    EXPECT_EQ(s.Loss.Value, 250u);
    EXPECT_EQ(s.Loss.BurstLo, 10u);
    EXPECT_EQ(s.Loss.BurstHi, 50u);
    EXPECT_TRUE(s.Reordering.Enabled);
    EXPECT_EQ(s.Reordering.Gap, 4u);
    EXPECT_EQ(s.Direction, TTrafficDirection::tdIncoming);
  }
  TLockGuard lock(Rig.Engine.Locks.EngineLock);
  EXPECT_EQ(Rig.Engine.State.RateIn, 1500000 / 8);
  EXPECT_EQ(Rig.Engine.State.RateOut, 1500000 / 8);
}

TEST_F(TabsTest, PortListAppliesOnEnterAndABadListIsReported) {
  Rig.Find<QCheckBox>("cbBlocking")->click();
  auto* list = Rig.Find<QLineEdit>("leBlocking");
  EXPECT_EQ(list->placeholderText(), "e.g. 135-139, u161, t445");
  list->setText("135-139, u161");
  {
    TLockGuard lock(Rig.Engine.Locks.SettingsLock);
    EXPECT_TRUE(Rig.Engine.Settings.Blocking.Ports.Empty());  // typing applies nothing
  }
  QTest::keyClick(list, Qt::Key_Return);
  {
    TLockGuard lock(Rig.Engine.Locks.SettingsLock);
    EXPECT_EQ(Rig.Engine.Settings.Blocking.Ports.Count(), 6u);
  }
  list->setText("135 - 139");
  QTest::keyClick(list, Qt::Key_Return);
  ASSERT_EQ(Rig.Boxes.Errors.size(), 1u);
  EXPECT_EQ(Rig.Boxes.Errors.back(), "List of Ports: '135 ' is not a valid integer value");
  EXPECT_EQ(list->palette().color(QPalette::Base), kInvalidFieldColor);
  TLockGuard lock(Rig.Engine.Locks.SettingsLock);
  EXPECT_EQ(Rig.Engine.Settings.Blocking.Ports.Count(), 6u);
}

TEST_F(TabsTest, AnUnfinishedPortListIsCheckedOnLeavingAndNeverComesBack) {
  Rig.Find<QCheckBox>("cbBlocking")->click();
  auto* list = Rig.Find<QLineEdit>("leBlocking");
  Rig.Form->PageControl->setCurrentWidget(Rig.Form->BlockingTab);
  Rig.Form->activateWindow();
  list->setFocus();
  QTest::keyClicks(list, "80-70");
  // Leaving the field checks it: red, one message naming the field.
  Rig.Find<QCheckBox>("cbBlocking")->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(Rig.Boxes.Errors.size(), 1u);
  EXPECT_EQ(Rig.Boxes.Errors[0], "List of Ports: in ranges from must be less than to");
  EXPECT_EQ(list->palette().color(QPalette::Base), kInvalidFieldColor);
  // Every dialog ends by applying all settings; the bad text is not among them.
  Rig.Form->FormActivate();
  Rig.Form->FormActivate();
  EXPECT_EQ(Rig.Boxes.Errors.size(), 1u);
  EXPECT_EQ(list->text(), "80-70");
  // Mending the list takes the mark away and Enter applies it.
  list->setFocus();
  list->setText("70-80");
  EXPECT_NE(list->palette().color(QPalette::Base), kInvalidFieldColor);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(Rig.Boxes.Errors.size(), 1u);
  TLockGuard lock(Rig.Engine.Locks.SettingsLock);
  EXPECT_EQ(Rig.Engine.Settings.Blocking.Ports.Count(), 11u);
}

TEST_F(TabsTest, StatusBarShowsOnInBoldAndOffInTheRegularFont) {
  auto panel = [this](int i) { return Rig.Form->StatusPanels->Panel(i); };
  EXPECT_EQ(panel(0)->text(), "Filter");
  EXPECT_EQ(panel(12)->text(), "Port Blocking");
  EXPECT_EQ(panel(14)->text(), "");
  for (int i : {1, 3, 5, 7, 9, 11, 13}) {
    EXPECT_EQ(panel(i)->text(), "OFF") << i;
    EXPECT_FALSE(panel(i)->font().bold()) << i;
  }
  Rig.Find<QCheckBox>("EnableLatencyCheckBox")->click();
  Rig.Find<QCheckBox>("cbCorruption")->click();
  EXPECT_EQ(panel(3)->text(), "ON");
  EXPECT_TRUE(panel(3)->font().bold());
  EXPECT_EQ(panel(11)->text(), "ON");
  EXPECT_EQ(panel(5)->text(), "OFF");
  EXPECT_FALSE(panel(5)->font().bold());
}

TEST(TabsWithOtherScales, TenThousandStepsShowTwoDecimals) {
  TWindowRig rig;
  rig.AddLabAdapters();
  rig.Store->setValue("Global/LossPercentageResolution", 10000);
  rig.MakeForm();
  auto* slider = rig.Find<QSlider>("PacketLossTrackBar");
  EXPECT_EQ(slider->maximum(), 10000);
  EXPECT_EQ(slider->tickInterval(), 1000);
  slider->setValue(1);
  EXPECT_EQ(rig.Find<QLabel>("lblLossPercent")->text(), "Loss 0.01% packets");
  EXPECT_EQ(rig.Find<QSlider>("DuplicationTrackBar")->maximum(), 1000);
}

TEST(WindowWithoutAdapters, StartEffectChartAndBridgingAreDisabled) {
  TWindowRig rig;
  TSimulatorForm& form = rig.MakeForm();
  EXPECT_EQ(rig.Boxes.Errors, std::vector<std::string>{"Unable to find any network interfaces"});
  EXPECT_FALSE(form.Actions.ActionStartStop->isEnabled());
  EXPECT_FALSE(form.Actions.acEffectView->isEnabled());
  EXPECT_FALSE(form.Actions.ActionBridging->isEnabled());
  for (QAction* always : {form.Actions.ActionLoadProfile, form.Actions.ActionSaveProfile,
                          form.Actions.ActionPresetParams, form.Actions.ActionOptions, form.Actions.ActionFilter,
                          form.Actions.ActionGroups, form.Actions.ActionShowConnections, form.Actions.ActionHelp}) {
    EXPECT_TRUE(always->isEnabled()) << always->objectName().toStdString();
  }
  form.StartSimulation();
  EXPECT_FALSE(form.Running());
}
