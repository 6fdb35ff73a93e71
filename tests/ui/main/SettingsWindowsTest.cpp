// The rate list and its editor, the presets, the options and the bridge
// window: their checks, messages and what they change, each on its own and
// as the main window opens it.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>

#include "config/windows/OptionsForm.h"
#include "config/windows/PresetsForm.h"
#include "config/windows/TransferRatesForm.h"
#include "config/windows/TransferRatesFormEdit.h"
#include "ui/main/BridgingForm.h"
#include "ui/main/CaptureTab.h"
#include "ui/main/Icons.h"
#include "ui/main/TransferRateTab.h"
#include "tests/ui/main/WindowRig.h"

namespace {

// Fills the editor and presses OK, once per call.
TDialogRunner TypeRate(const char* name, const char* rate) {
  return [name, rate](QDialog& dialog) {
    auto& editor = dynamic_cast<TTransferRatesFormEdit&>(dialog);
    editor.AliasEdit->setText(QString::fromLatin1(name));
    editor.BpsEdit->setText(QString::fromLatin1(rate));
    editor.ModalCtrlFrame->OKButton->click();
    return editor.result();
  };
}

}  // namespace

// "Trace files": both files must read; the editor shows their averages,
// and the entry it gives replays them.
TEST(RateEditor, TraceFilesAreReadAndTheirAverageShown) {
  TFakeMessageBoxes boxes;
  TMessageBoxesOverride override(boxes);
  QTemporaryDir dir;
  auto write = [&](const char* name, const QByteArray& lines) {
    QFile file(dir.filePath(QString::fromLatin1(name)));
    file.open(QIODevice::WriteOnly);
    file.write(lines);
    return file.fileName();
  };
  const QString good = write("good.trace", "1\n2\n");  // two opportunities in 2 ms: 12.0 Mbit/s
  const QString bad = write("bad.trace", "3\nx\n");

  TTransferRatesFormEdit editor(nullptr, "New Transfer Rate");
  editor.show();
  EXPECT_FALSE(editor.TraceInEdit->isEnabled());
  editor.AliasEdit->setText("LTE");
  editor.TraceFilesButton->click();
  EXPECT_FALSE(editor.BpsEdit->isEnabled());
  editor.AskTraceFile = [&] { return bad; };
  editor.TraceOutEdit->actions().first()->trigger();
  EXPECT_TRUE(editor.TraceAverageLabel->text().contains("line 2")) << editor.TraceAverageLabel->text().toStdString();
  editor.ModalCtrlFrame->OKButton->click();
  EXPECT_EQ(boxes.Errors, std::vector<std::string>{"Please choose a trace file for each direction"});
  editor.AskTraceFile = [&] { return good; };
  editor.TraceInEdit->actions().first()->trigger();
  boxes.Errors.clear();
  editor.ModalCtrlFrame->OKButton->click();
  ASSERT_EQ(boxes.Errors.size(), 1u);
  EXPECT_NE(boxes.Errors[0].find("line 2"), std::string::npos) << boxes.Errors[0];
  EXPECT_TRUE(editor.isVisible());
  editor.TraceOutEdit->actions().first()->trigger();
  EXPECT_EQ(editor.TraceAverageLabel->text(), "incoming on average 12.0 Mbit/s; outgoing on average 12.0 Mbit/s");
  boxes.Errors.clear();
  editor.ModalCtrlFrame->OKButton->click();
  EXPECT_TRUE(boxes.Errors.empty());
  ASSERT_EQ(editor.result(), QDialog::Accepted);
  EXPECT_TRUE(editor.Rate().HasTraces());
  EXPECT_EQ(editor.Rate().Name, "LTE");
  EXPECT_EQ(editor.Rate().OutTracePath, good.toStdString());

  TTransferRatesFormEdit again(nullptr, "Edit Transfer Rate", "LTE", editor.Rate().StorageText());
  again.ShowTraces(editor.Rate().InTracePath, editor.Rate().OutTracePath);
  EXPECT_TRUE(again.TraceFilesButton->isChecked());
  EXPECT_EQ(again.TraceInEdit->text(), good);
}

TEST(RateEditor, OkChecksTheNameThenTheRateAndStaysOpenOnAFault) {
  TFakeMessageBoxes boxes;
  TMessageBoxesOverride override(boxes);
  const struct {
    const char* Name;
    const char* Rate;
    const char* Message;  // nullptr: accepted
    const char* Focused;
  } cases[] = {
      {"", "64000", "Please enter a transfer rate alias", "AliasEdit"},
      {"Slow", "", "Invalid rate format: ", "BpsEdit"},
      {"Slow", "0", "Invalid rate value: 0. Must be between 1200 and 1000000000.", "BpsEdit"},
      {"Slow", "30000:60000:90000", "Invalid rate format: 60000:90000", "BpsEdit"},
      {"Slow", " 30000 : 60000 ", nullptr, nullptr},
      {"Unlimited", "64000", "Please choose another alias: \"Unlimited\" is the entry without a limit", "AliasEdit"},
      {"unlimited", "Unlimited", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    boxes.Errors.clear();
    TTransferRatesFormEdit editor(nullptr, "New Transfer Rate");
    editor.show();
    editor.AliasEdit->setText(QString::fromLatin1(c.Name));
    editor.BpsEdit->setText(QString::fromLatin1(c.Rate));
    editor.ModalCtrlFrame->OKButton->click();
    if (c.Message) {
      EXPECT_EQ(boxes.Errors, std::vector<std::string>{c.Message}) << c.Rate;
      EXPECT_TRUE(editor.isVisible()) << c.Rate;
      ASSERT_NE(editor.focusWidget(), nullptr);
      EXPECT_EQ(editor.focusWidget()->objectName().toStdString(), c.Focused);
    } else {
      EXPECT_TRUE(boxes.Errors.empty()) << c.Rate;
      EXPECT_EQ(editor.result(), QDialog::Accepted) << c.Rate;
    }
  }
  TTransferRatesFormEdit editor(nullptr, "Edit Transfer Rate");
  EXPECT_EQ(editor.windowTitle(), "Edit Transfer Rate");
  EXPECT_EQ(editor.AliasEdit->maxLength(), 64);
}

TEST(RateList, EditAndRemoveAreForRealEntriesOnly) {
  TFakeMessageBoxes boxes;
  TMessageBoxesOverride override(boxes);
  TShapingRateTable table;
  table.LoadBuiltInRates();
  TTransferRatesForm form(nullptr, table, ProgramIcon(iiInformation));
  form.show();
  EXPECT_EQ(form.windowTitle(), "Customise Transfer Rates");
  ASSERT_EQ(form.ListView->topLevelItemCount(), 13);
  EXPECT_EQ(form.ListView->topLevelItem(0)->text(0), "Unlimited");
  EXPECT_EQ(form.ListView->topLevelItem(10)->text(1), "1.50 Mbit/s");
  EXPECT_TRUE(form.ActionNew->isEnabled());
  EXPECT_FALSE(form.ActionEdit->isEnabled());
  EXPECT_FALSE(form.ActionRemove->isEnabled());
  form.ListView->setCurrentItem(form.ListView->topLevelItem(0));
  EXPECT_FALSE(form.ActionEdit->isEnabled());
  EXPECT_FALSE(form.ActionRemove->isEnabled());
  form.ListView->setCurrentItem(form.ListView->topLevelItem(1));
  EXPECT_TRUE(form.ActionEdit->isEnabled());
  EXPECT_TRUE(form.ActionRemove->isEnabled());

  boxes.Answer = false;
  form.ActionRemove->trigger();
  EXPECT_EQ(boxes.Questions, std::vector<std::string>{"Are you sure you want to remove the item?"});
  EXPECT_EQ(table.Count(), 13u);
  boxes.Answer = true;
  form.ActionRemove->trigger();
  EXPECT_EQ(table.Count(), 12u);
  EXPECT_EQ(form.ListView->topLevelItemCount(), 12);

  form.RunEditor = TypeRate("Dual", "30000:60000");
  form.ActionNew->trigger();
  ASSERT_EQ(table.Count(), 13u);
  const int dual = table.IndexOfName("Dual");
  ASSERT_GE(dual, 0);
  EXPECT_EQ(form.ListView->topLevelItem(dual)->text(1), "30.0 kbit/s : 60.0 kbit/s");

  form.ListView->setCurrentItem(form.ListView->topLevelItem(dual));
  QString shownRate;
  form.RunEditor = [&shownRate](QDialog& dialog) {
    auto& editor = dynamic_cast<TTransferRatesFormEdit&>(dialog);
    shownRate = editor.BpsEdit->text();
    editor.BpsEdit->setText("Unlimited:64000");
    editor.ModalCtrlFrame->OKButton->click();
    return editor.result();
  };
  form.ActionEdit->trigger();
  EXPECT_EQ(shownRate, "30000:60000");
  const int edited = table.IndexOfName("Dual");
  EXPECT_EQ(table[static_cast<size_t>(edited)].InRate, 0);
  EXPECT_EQ(table[static_cast<size_t>(edited)].OutRate, 64000);
}

TEST(Presets, ListShowsTheNinePresetsAndApplyNeedsASelection) {
  TFakeMessageBoxes boxes;
  TMessageBoxesOverride override(boxes);
  TPresetsForm form(nullptr, {ProgramIcon(iiPreset3G), ProgramIcon(iiPresetEdge), ProgramIcon(iiPresetWiFi)});
  form.show();
  EXPECT_EQ(form.windowTitle(), "Preset Parameters");
  ASSERT_EQ(form.PresetListView->topLevelItemCount(), 9);
  const QTreeWidgetItem* good3G = form.PresetListView->topLevelItem(0);
  EXPECT_EQ(good3G->text(0), "3G, good signal");
  EXPECT_EQ(good3G->text(1), "850 kbit/s");
  EXPECT_EQ(good3G->text(2), "420 kbit/s");
  EXPECT_EQ(good3G->text(3), "90");
  EXPECT_EQ(good3G->text(4), "0");
  EXPECT_EQ(form.PresetListView->topLevelItem(6)->text(1), "45.0 Mbit/s");
  EXPECT_EQ(form.PresetListView->topLevelItem(6)->text(2), "40.0 Mbit/s");

  form.ApplyButton->click();
  EXPECT_EQ(boxes.Infos, std::vector<std::string>{"Please select a preset configuration"});
  EXPECT_TRUE(form.isVisible());
  form.PresetListView->setCurrentItem(form.PresetListView->topLevelItem(5));
  form.ApplyButton->click();
  ASSERT_TRUE(form.Selected.has_value());
  EXPECT_EQ(form.Selected->Name, "Edge, lossy conditions");
  EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(Options, UnitLabelFollowsTheChoiceAndOkReadsTheFields) {
  TOptionsForm form(nullptr);
  TPersistentSettings settings;
  settings.MaxQueueSize = 50000;
  settings.AutoScaleValue = 1500;
  form.Fill(settings);
  form.show();
  EXPECT_EQ(form.ScaleLabel->text(), "Max Rate (Bit/s)");
  EXPECT_EQ(form.udMaxQueueSize->value(), 10000);  // shown at the nearest end
  EXPECT_TRUE(form.ScaleAutoRadioButton->isChecked());
  form.GraphUnitGroup->button(1)->click();
  EXPECT_EQ(form.ScaleLabel->text(), "Max Rate (Byte/s)");
  form.GraphTypeGroup->button(1)->click();
  form.ScaleFixedRadioButton->click();
  form.ScaleEdit->setText("");
  form.udMaxQueueSize->setValue(300);
  form.Take(settings);
  EXPECT_EQ(settings.GraphUnit, 1);
  EXPECT_EQ(settings.GraphType, 1);
  EXPECT_FALSE(settings.GraphAutoScale);
  EXPECT_EQ(settings.AutoScaleValue, 0);
  EXPECT_EQ(settings.MaxQueueSize, 300);
  EXPECT_EQ(form.udMaxQueueSize->singleStep(), 100);
  EXPECT_EQ(form.udMaxQueueSize->minimum(), 10);
}

TEST(Bridging, OkNeedsTwoDifferentAdaptersOfOneMedium) {
  TFakeMessageBoxes boxes;
  TMessageBoxesOverride override(boxes);
  TTcpAdapterList adapters;
  adapters.AdapterCount = 3;
  adapters.AdapterNameList[0] = MakeAdapterName("eth0");
  adapters.AdapterNameList[1] = MakeAdapterName("eth1");
  adapters.AdapterNameList[2] = MakeAdapterName("wan0");
  adapters.AdapterMediumList[2] = 7;
  TBridgeSettings stored;
  stored.AdapterA = MakeAdapterName("eth1");
  stored.AdapterB = MakeAdapterName("gone");
  TBridgingForm form(nullptr, adapters, {"eth0", "eth1", "wan0"}, stored);
  form.show();
  EXPECT_EQ(form.windowTitle(), "Ethernet Bridge");
  EXPECT_EQ(form.AdapterAComboBox->currentIndex(), 1);
  EXPECT_EQ(form.AdapterBComboBox->currentIndex(), -1);
  EXPECT_EQ(form.LabelAnd->text(), "and");
  EXPECT_FALSE(form.CheckBoxEnableBridge->isChecked());

  const struct {
    int A, B;
    const char* Message;
  } cases[] = {{1, -1, "Both adapters must be specified"},
               {-1, 0, "Both adapters must be specified"},
               {0, 2, "Both adapters must be Ethernet (802.3) adapters"},
               {1, 1, "Please choose two different adapters for the bridge"}};
  for (const auto& c : cases) {
    boxes.Errors.clear();
    form.AdapterAComboBox->setCurrentIndex(c.A);
    form.AdapterBComboBox->setCurrentIndex(c.B);
    form.ModalCtrlFrame->OKButton->click();
    EXPECT_EQ(boxes.Errors, std::vector<std::string>{c.Message});
    EXPECT_TRUE(form.isVisible());
  }
  boxes.Errors.clear();
  form.AdapterAComboBox->setCurrentIndex(1);
  form.AdapterBComboBox->setCurrentIndex(0);
  form.CheckBoxEnableBridge->setChecked(true);
  form.ModalCtrlFrame->OKButton->click();
  EXPECT_TRUE(boxes.Errors.empty());
  EXPECT_EQ(form.result(), QDialog::Accepted);
  const TBridgeSettings chosen = form.Bridge();
  EXPECT_TRUE(chosen.Enabled);
  EXPECT_EQ(AdapterNameText(chosen.AdapterA), "eth1");
  EXPECT_EQ(AdapterNameText(chosen.AdapterB), "eth0");
}

namespace {

class MainWindowDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Rig.AddLabAdapters();
    Rig.MakeForm();
  }
  TWindowRig Rig;
};

}  // namespace

TEST_F(MainWindowDialogsTest, RemovingTheChosenRateSelectsUnlimitedAndLiftsTheLimit) {
  TSimulatorForm& form = *Rig.Form;
  auto* rates = Rig.Find<QComboBox>("RatesCombobox");
  const int modem = rates->findText("56.0 Kbps (modem)");
  rates->setCurrentIndex(modem);
  emit rates->activated(modem);
  {
    TLockGuard lock(Rig.Engine.Locks.EngineLock);
    EXPECT_EQ(Rig.Engine.State.RateIn, 7000);
  }
  form.RunDialog = [](QDialog& dialog) {
    auto& list = dynamic_cast<TTransferRatesForm&>(dialog);
    list.ListView->setCurrentItem(list.ListView->findItems("56.0 Kbps (modem)", Qt::MatchExactly).value(0));
    list.ActionRemove->trigger();
    list.CloseButton->click();
    return list.result();
  };
  Rig.Form->TransferRateTab->EditRatesButton->click();
  EXPECT_EQ(rates->currentText(), "Unlimited");
  EXPECT_EQ(rates->count(), 12);
  TLockGuard lock(Rig.Engine.Locks.EngineLock);
  EXPECT_EQ(Rig.Engine.State.RateIn, 0);
}

TEST_F(MainWindowDialogsTest, ClosingTheRateListKeepsTheChosenNameWhereverItMoved) {
  auto* rates = Rig.Find<QComboBox>("RatesCombobox");
  const int isdn = rates->findText("64 Kbps (single channel ISDN)");
  rates->setCurrentIndex(isdn);
  emit rates->activated(isdn);
  Rig.Form->RunDialog = [](QDialog& dialog) {
    auto& list = dynamic_cast<TTransferRatesForm&>(dialog);
    list.RunEditor = TypeRate("Tiny", "1200");
    list.ActionNew->trigger();
    return int(QDialog::Accepted);
  };
  Rig.Form->TransferRateTab->EditRatesButton->click();
  EXPECT_EQ(rates->itemText(1), "Tiny");
  EXPECT_EQ(rates->currentText(), "64 Kbps (single channel ISDN)");
  TLockGuard lock(Rig.Engine.Locks.EngineLock);
  EXPECT_EQ(Rig.Engine.State.RateIn, 8000);
}

// A user's entry under the reserved name is refused in the editor, so the
// table saved with the last configuration reads back with the chosen rate in
// its place, and the next start applies it and the rest of the settings.
TEST_F(MainWindowDialogsTest, TheReservedRateNameCannotShiftTheChosenRate) {
  auto* rates = Rig.Find<QComboBox>("RatesCombobox");
  const char* const fastest = "10 Mbps (DSL, cable modem, LAN)";
  const int chosen = rates->findText(fastest);
  rates->setCurrentIndex(chosen);
  emit rates->activated(chosen);
  Rig.Find<QCheckBox>("EnableLossCheckBox")->click();
  Rig.Form->RunDialog = [](QDialog& dialog) {
    auto& list = dynamic_cast<TTransferRatesForm&>(dialog);
    list.RunEditor = TypeRate("Unlimited", "64000");
    list.ActionNew->trigger();
    return int(QDialog::Accepted);
  };
  Rig.Form->TransferRateTab->EditRatesButton->click();
  EXPECT_EQ(Rig.Boxes.Errors,
            std::vector<std::string>{"Please choose another alias: \"Unlimited\" is the entry without a limit"});
  EXPECT_EQ(rates->count(), 13);
  Rig.Form->close();

  Rig.Boxes.Errors.clear();
  Rig.Form.reset();
  TSimulatorForm& again = Rig.MakeForm();
  again.HandleCommandLine();
  EXPECT_TRUE(Rig.Boxes.Errors.empty()) << Rig.Boxes.Errors.front();
  EXPECT_EQ(Rig.Find<QComboBox>("RatesCombobox")->currentText(), fastest);
  TLockGuard lock(Rig.Engine.Locks.EngineLock);
  EXPECT_EQ(Rig.Engine.State.RateIn, 10000000 / 8);
  TLockGuard settings(Rig.Engine.Locks.SettingsLock);
  EXPECT_TRUE(Rig.Engine.Settings.Loss.Enabled);
}

// Profiles refuse such rules; one that gets into the engine some other way
// is reported when the editor is asked for, and the program goes on.
TEST_F(MainWindowDialogsTest, ARuleOutsideTheEditorsListsIsReportedNotFatal) {
  const std::function<void(TFilterSettings&)> faults[] = {
      [](TFilterSettings& f) { f.Protocol = 20; },
      [](TFilterSettings& f) { f.Source.AddrType = 9; },
      [](TFilterSettings& f) { f.Destination.PortType = 7; },
  };
  for (const auto& fault : faults) {
    TFilterSettings rule;
    fault(rule);
    Rig.Engine.Settings.Filter = rule;
    Rig.Boxes.Errors.clear();
    bool opened = false;
    Rig.Form->RunDialog = [&opened](QDialog&) {
      opened = true;
      return int(QDialog::Rejected);
    };
    Rig.Form->Actions.ActionFilter->trigger();
    EXPECT_FALSE(opened);
    ASSERT_EQ(Rig.Boxes.Errors.size(), 1u);
    EXPECT_NE(Rig.Boxes.Errors[0].find("(EditRule, line "), std::string::npos) << Rig.Boxes.Errors[0];
    EXPECT_EQ(Rig.Engine.Settings.Filter, rule);
  }
}

TEST_F(MainWindowDialogsTest, APresetSetsRateLatencyAndLossOnce) {
  TSimulatorForm& form = *Rig.Form;
  auto choose = [](int row) {
    return [row](QDialog& dialog) {
      auto& presets = dynamic_cast<TPresetsForm&>(dialog);
      presets.PresetListView->setCurrentItem(presets.PresetListView->topLevelItem(row));
      presets.ApplyButton->click();
      return presets.result();
    };
  };
  form.RunDialog = choose(5);  // "Edge, lossy conditions"
  form.Actions.ActionPresetParams->trigger();
  form.Actions.ActionPresetParams->trigger();
  auto* rates = Rig.Find<QComboBox>("RatesCombobox");
  EXPECT_EQ(rates->currentText(), "Edge, lossy conditions");
  EXPECT_EQ(rates->findText("Edge, lossy conditions"), rates->currentIndex());
  EXPECT_EQ(rates->count(), 14);
  EXPECT_TRUE(Rig.Find<QCheckBox>("EnableLatencyCheckBox")->isChecked());
  EXPECT_EQ(Rig.Find<QSpinBox>("DelayFromUpDown")->value(), 420);
  EXPECT_EQ(Rig.Find<QSlider>("LatencyTrackBar")->value(), 100);
  EXPECT_EQ(Rig.Find<QSlider>("PacketLossTrackBar")->value(), 10);
  EXPECT_EQ(Rig.Find<QLabel>("lblLossPercent")->text(), "Loss 1.0% packets");
  EXPECT_TRUE(Rig.Find<QSlider>("PacketLossTrackBar")->isEnabled());
  {
    TLockGuard lock(Rig.Engine.Locks.EngineLock);
    EXPECT_EQ(Rig.Engine.State.RateIn, 240000 / 8);
    EXPECT_EQ(Rig.Engine.State.RateOut, 200000 / 8);
  }
  form.RunDialog = choose(6);  // "WiFi, good signal"
  form.Actions.ActionPresetParams->trigger();
  EXPECT_FALSE(Rig.Find<QCheckBox>("EnableLatencyCheckBox")->isChecked());
  EXPECT_FALSE(Rig.Find<QCheckBox>("EnableLossCheckBox")->isChecked());
  TLockGuard lock(Rig.Engine.Locks.SettingsLock);
  EXPECT_FALSE(Rig.Engine.Settings.Latency.Enabled);
  EXPECT_FALSE(Rig.Engine.Settings.Loss.Enabled);
}

TEST_F(MainWindowDialogsTest, OptionsOkResetsTheShareSlidersAndCancelLeavesThem) {
  TSimulatorForm& form = *Rig.Form;
  const char* sliders[] = {"PacketLossTrackBar", "DuplicationTrackBar", "ReorderingTrackBar", "tbCorruption"};
  auto moveAll = [&] {
    for (const char* name : sliders) Rig.Find<QSlider>(name)->setValue(400);
  };
  moveAll();
  form.RunDialog = [](QDialog& dialog) {
    dynamic_cast<TOptionsForm&>(dialog).ModalCtrlFrame->CancelButton->click();
    return dialog.result();
  };
  form.Actions.ActionOptions->trigger();
  for (const char* name : sliders) EXPECT_EQ(Rig.Find<QSlider>(name)->value(), 400) << name;

  form.RunDialog = [](QDialog& dialog) {
    auto& options = dynamic_cast<TOptionsForm&>(dialog);
    options.udMaxQueueSize->setValue(500);
    options.ModalCtrlFrame->OKButton->click();
    return dialog.result();
  };
  form.Actions.ActionOptions->trigger();
  for (const char* name : sliders) EXPECT_EQ(Rig.Find<QSlider>(name)->value(), 1) << name;
  EXPECT_EQ(Rig.Find<QLabel>("lblLossPercent")->text(), "Loss 0.1% packets");
  EXPECT_EQ(Rig.Engine.MaxQueueSize, 500u);
  TLockGuard lock(Rig.Engine.Locks.SettingsLock);
  EXPECT_EQ(Rig.Engine.Settings.Loss.Value, 1u);
  EXPECT_EQ(Rig.Engine.Settings.Corruption.Value, 1u);
}

TEST_F(MainWindowDialogsTest, BridgeWindowChangesTheBridgeOnlyOnOk) {
  TSimulatorForm& form = *Rig.Form;
  form.RunDialog = [](QDialog& dialog) {
    auto& bridge = dynamic_cast<TBridgingForm&>(dialog);
    bridge.CheckBoxEnableBridge->setChecked(true);
    bridge.AdapterAComboBox->setCurrentIndex(0);
    bridge.AdapterBComboBox->setCurrentIndex(1);
    bridge.ModalCtrlFrame->CancelButton->click();
    return bridge.result();
  };
  form.Actions.ActionBridging->trigger();
  EXPECT_FALSE(form.Preferences.Bridge.Enabled);
  form.RunDialog = [](QDialog& dialog) {
    auto& bridge = dynamic_cast<TBridgingForm&>(dialog);
    EXPECT_TRUE(bridge.AdapterAComboBox->itemText(0).contains("Lab adapter 0"));
    bridge.CheckBoxEnableBridge->setChecked(true);
    bridge.AdapterAComboBox->setCurrentIndex(0);
    bridge.AdapterBComboBox->setCurrentIndex(1);
    bridge.ModalCtrlFrame->OKButton->click();
    return bridge.result();
  };
  form.Actions.ActionBridging->trigger();
  EXPECT_TRUE(form.Preferences.Bridge.Enabled);
  EXPECT_EQ(AdapterNameText(form.Preferences.Bridge.AdapterA), "lab0");
  EXPECT_EQ(AdapterNameText(form.Preferences.Bridge.AdapterB), "lab1");
}

TEST_F(MainWindowDialogsTest, CaptureButtonPutsTheChosenNameIntoItsOwnField) {
  Rig.Find<QCheckBox>("cbEnableCapture")->click();
  Rig.Dialogs.CaptureName = "/tmp/after.pcap";
  Rig.Form->CaptureTab->beCaptureRightButtonClick(Rig.Find<QLineEdit>("beCaptureAfter"));
  EXPECT_EQ(Rig.Find<QLineEdit>("beCaptureAfter")->text(), "/tmp/after.pcap");
  EXPECT_EQ(Rig.Find<QLineEdit>("beCaptureBefore")->text(), "");
  EXPECT_EQ(Rig.Form->Model.CaptureAfter, "/tmp/after.pcap");
  Rig.Dialogs.CaptureName.clear();  // cancelled
  Rig.Form->CaptureTab->beCaptureRightButtonClick(Rig.Find<QLineEdit>("beCaptureAfter"));
  EXPECT_EQ(Rig.Find<QLineEdit>("beCaptureAfter")->text(), "/tmp/after.pcap");
}
