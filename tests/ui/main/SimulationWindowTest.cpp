// Start and stop from the window on lab adapters: the action's looks, the
// statistics rows, live changes reaching the running engine, the run-time
// limit, profiles and the shutdown.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QSlider>
#include <QScrollBar>
#include <QTreeWidget>

#include "config/CommandLine.h"
#include "ui/main/Icons.h"
#include "ui/main/TransferRateTab.h"
#include "tests/engine/HangGuard.h"
#include "tests/ui/main/WindowRig.h"

namespace {

class SimulationWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Rig.AddLabAdapters();
    Rig.MakeForm();
  }
  QString Row(int row) { return Rig.Form->TransferRateTab->ListViewStats->topLevelItem(row)->text(1); }
  bool Intercepting() { return Rig.Driver.Intercepting(Rig.A); }
  TWindowRig Rig;
};

}  // namespace

TEST_F(SimulationWindowTest, StartAndStopChangeTheActionsLookAndTheAdapterList) {
  TSimulatorForm& form = *Rig.Form;
  QAction* action = form.Actions.ActionStartStop;
  EXPECT_EQ(action->text(), "&Start");
  EXPECT_EQ(action->toolTip(), "Start Operation");
  EXPECT_EQ(action->data().toInt(), iiStart);
  EXPECT_TRUE(action->isEnabled());

  action->trigger();
  ASSERT_TRUE(form.Running());
  EXPECT_TRUE(Rig.WaitUntil([this] { return Intercepting(); }));
  EXPECT_EQ(action->text(), "&Stop");
  EXPECT_EQ(action->toolTip(), "Stop Operation");
  EXPECT_EQ(action->data().toInt(), iiStop);
  EXPECT_TRUE(action->isEnabled());
  EXPECT_FALSE(form.InterfaceCombobox->isEnabled());
  EXPECT_FALSE(form.Actions.ActionBridging->isEnabled());
  EXPECT_TRUE(form.Timer->isActive());

  action->trigger();
  EXPECT_FALSE(form.Running());
  EXPECT_FALSE(Intercepting());
  EXPECT_EQ(action->text(), "&Start");
  EXPECT_TRUE(form.InterfaceCombobox->isEnabled());
  EXPECT_TRUE(form.Actions.ActionBridging->isEnabled());
  EXPECT_FALSE(form.Timer->isActive());
}

// The tab's height is fixed, so the list must hold every counter row
// without a scroll bar, even in the smallest window and with the 10 point
// font of a usual desktop (the offscreen platform's own font is smaller).
TEST_F(SimulationWindowTest, EveryCounterRowIsVisibleInTheSmallestWindow) {
  TSimulatorForm& form = *Rig.Form;
  QFont desktop = form.font();
  desktop.setPointSize(10);
  form.setFont(desktop);
  form.show();
  form.resize(form.minimumSize());
  QApplication::processEvents();
  QTreeWidget* list = form.TransferRateTab->ListViewStats;
  const QRect last = list->visualItemRect(list->topLevelItem(list->topLevelItemCount() - 1));
  EXPECT_LE(last.bottom(), list->viewport()->height());
  EXPECT_FALSE(list->verticalScrollBar()->isVisible());
}

TEST_F(SimulationWindowTest, RowsCountDuringARunKeepTheirValuesAfterItAndStartAgainAtZero) {
  TSimulatorForm& form = *Rig.Form;
  Rig.Find<QCheckBox>("EnableLossCheckBox")->click();
  Rig.Find<QSlider>("PacketLossTrackBar")->setValue(1000);  // every frame lost
  form.StartSimulation();
  ASSERT_TRUE(Rig.WaitUntil([this] { return Intercepting(); }));
  for (uint8_t i = 0; i < 5; ++i) Rig.Driver.ReceiveFromWire(Rig.A, LabFrame(i));
  ASSERT_TRUE(Rig.WaitUntil([this] { return Rig.Engine.Counters().DroppedIn == 5; }));
  form.TimerTick();
  EXPECT_EQ(Row(1), "5");
  EXPECT_EQ(Row(0), "0 / 0");
  EXPECT_EQ(form.TrafficSamples.size(), 1u);

  // Loss off while running: frames go through at once.
  Rig.Find<QCheckBox>("EnableLossCheckBox")->click();
  for (uint8_t i = 0; i < 3; ++i) Rig.Driver.ReceiveFromWire(Rig.A, LabFrame(i));
  ASSERT_TRUE(Rig.WaitUntil([this] { return Rig.Driver.DeliveredToStackCount(Rig.A) == 3; }));
  form.TimerTick();
  EXPECT_EQ(Row(0), "180 / 0");
  EXPECT_EQ(Row(1), "5");

  form.StopSimulation();
  EXPECT_EQ(Row(0), "180 / 0");
  EXPECT_EQ(Row(1), "5");

  form.StartSimulation();
  ASSERT_TRUE(form.Running());
  EXPECT_TRUE(form.TrafficSamples.empty());
  form.TimerTick();
  EXPECT_EQ(Row(0), "0 / 0");
  EXPECT_EQ(Row(1), "0");
  form.StopSimulation();
}

TEST_F(SimulationWindowTest, LatencyChangedDuringARunDelaysTheNextFrames) {
  TSimulatorForm& form = *Rig.Form;
  form.StartSimulation();
  ASSERT_TRUE(Rig.WaitUntil([this] { return Intercepting(); }));
  Rig.Find<QCheckBox>("EnableLatencyCheckBox")->click();
  Rig.Find<QSpinBox>("DelayFromUpDown")->setValue(200);
  {
    TLockGuard lock(Rig.Engine.Locks.SettingsLock);
    EXPECT_TRUE(Rig.Engine.Settings.Latency.Enabled);
    EXPECT_EQ(Rig.Engine.Settings.Latency.DelayFrom, 200u);
  }
  Rig.Driver.SendFromStack(Rig.A, LabFrame(1));
  ASSERT_TRUE(Rig.WaitUntil([this] { return Rig.Engine.Counters().DelayedOut == 1; }));
  ASSERT_TRUE(Rig.WaitUntil([this] { return Rig.Driver.SentToWireCount(Rig.A) == 1; }));
  form.TimerTick();
  EXPECT_EQ(Row(2), "1");
  form.StopSimulation();
}

TEST_F(SimulationWindowTest, RunTimeLimitStopsAndClosesTheWindow) {
  TSimulatorForm& form = *Rig.Form;
  Rig.Engine.RunTimeLimit = 2;
  form.StartSimulation();
  form.TimerTick();
  EXPECT_TRUE(form.Running());
  EXPECT_TRUE(form.isVisible());
  form.TimerTick();
  EXPECT_FALSE(form.Running());
  EXPECT_FALSE(form.isVisible());
}

// The run-time limit or a quit request that comes while an engine thread's
// error box is open runs inside that box: the stop ends and the window
// closes, although the thread still waits for the box.
TEST_F(SimulationWindowTest, AStopFromInsideAnErrorBoxEnds) {
  const struct {
    const char* Name;
    std::function<void(TSimulatorForm&)> Stop;
  } cases[] = {
      {"run-time limit", [](TSimulatorForm& form) { form.TimerTick(); }},
      {"quit request", [](TSimulatorForm& form) { form.HandleInstanceMessage(kInstanceQuit, QString()); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Rig.Boxes.Errors.clear();
    Rig.Form.reset();
    TSimulatorForm& form = Rig.MakeForm();
    Rig.Driver.SetFaults(Rig.A, TLabFaults{.SetAdapterMode = true});
    Rig.Engine.RunTimeLimit = 1;
    form.StartSimulation();
    ASSERT_TRUE(form.Running());
    THangGuard guard(c.Name);
    Rig.Boxes.WhileErrorShown = [&](const std::string&) { c.Stop(form); };
    ASSERT_TRUE(Rig.WaitUntil([&] { return !Rig.Boxes.Errors.empty(); }));
    Rig.Boxes.WhileErrorShown = nullptr;
    EXPECT_FALSE(form.Running());
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(Intercepting());
    EXPECT_EQ(Rig.Boxes.Errors,
              std::vector<std::string>{"Error occured in TNormalProcess.TNormalThread: Failed to set filter"});
  }
}

TEST_F(SimulationWindowTest, ALimitSetBelowTheSamplesAlreadyTakenStopsAtTheNextTick) {
  TSimulatorForm& form = *Rig.Form;
  form.StartSimulation();
  for (int i = 0; i < 3; ++i) form.TimerTick();
  form.HandleInstanceMessage(kInstanceCommandLine, "program /runtime:2");
  EXPECT_TRUE(form.Running());
  form.TimerTick();
  EXPECT_FALSE(form.Running());
}

TEST_F(SimulationWindowTest, BadCaptureFileKeepsTheWindowStoppedWithTheWritersMessage) {
  TSimulatorForm& form = *Rig.Form;
  Rig.Find<QCheckBox>("cbEnableCapture")->click();
  Rig.Find<QLineEdit>("beCaptureBefore")->setText(Rig.Dir.filePath("no-such-folder/before.pcap"));
  form.StartSimulation();
  EXPECT_FALSE(form.Running());
  EXPECT_FALSE(form.Timer->isActive());
  ASSERT_EQ(Rig.Boxes.Errors.size(), 1u);
  EXPECT_NE(Rig.Boxes.Errors[0].find("before.pcap"), std::string::npos) << Rig.Boxes.Errors[0];
  EXPECT_EQ(form.Actions.ActionStartStop->text(), "&Start");
  EXPECT_TRUE(form.Actions.ActionStartStop->isEnabled());
}

TEST_F(SimulationWindowTest, ALostAdapterIsShownAndStopsTheSimulation) {
  TSimulatorForm& form = *Rig.Form;
  form.StartSimulation();
  ASSERT_TRUE(Rig.WaitUntil([this] { return Intercepting(); }));
  Rig.Driver.SetFaults(Rig.A, TLabFaults{.Lost = true});
  ASSERT_TRUE(Rig.WaitUntil([&] { return !form.Running(); }));
  ASSERT_EQ(Rig.Boxes.Errors.size(), 1u);
  EXPECT_NE(Rig.Boxes.Errors[0].find("is no longer available"), std::string::npos) << Rig.Boxes.Errors[0];
  EXPECT_EQ(form.Actions.ActionStartStop->text(), "&Start");
  EXPECT_TRUE(form.InterfaceCombobox->isEnabled());
  EXPECT_FALSE(form.Timer->isActive());
}

// Unplugged, an adapter that comes back has another handle: the next start
// reads the list again and intercepts the adapter of the chosen name that is
// there now, or refuses while it is still away. The frames of the lost run's
// last part-second are in the rows.
TEST_F(SimulationWindowTest, AnAdapterPluggedInAgainIsInterceptedByTheNextStart) {
  TSimulatorForm& form = *Rig.Form;
  form.InterfaceCombobox->setCurrentIndex(1);
  form.InterfaceCombobox->activated(1);
  const QString chosen = form.InterfaceCombobox->currentText();
  form.StartSimulation();
  ASSERT_TRUE(Rig.WaitUntil([&] { return Rig.Driver.Intercepting(Rig.B); }));
  for (uint8_t i = 0; i < 4; ++i) Rig.Driver.ReceiveFromWire(Rig.B, LabFrame(i));
  ASSERT_TRUE(Rig.WaitUntil([&] { return Rig.Driver.DeliveredToStackCount(Rig.B) == 4; }));
  Rig.Driver.RemoveAdapter(Rig.B);
  ASSERT_TRUE(Rig.WaitUntil([&] { return !form.Running(); }));
  EXPECT_EQ(Row(0), "240 / 0");

  // Still away: no other adapter is impaired in its place.
  form.StartSimulation();
  EXPECT_FALSE(form.Running());
  EXPECT_FALSE(Rig.Driver.Intercepting(Rig.A));
  ASSERT_EQ(Rig.Boxes.Errors.size(), 2u);
  EXPECT_EQ(Rig.Boxes.Errors[1], "The network adapter " + chosen.toStdString() + " is no longer available");

  const TAdapterHandle again = Rig.Driver.AddAdapter("lab1", {0x02, 0, 0, 0, 0, 0x02}, "Lab adapter 1");
  EXPECT_EQ(form.InterfaceCombobox->currentText(), chosen);
  form.StartSimulation();
  EXPECT_TRUE(Rig.WaitUntil([&] { return Rig.Driver.Intercepting(again); }));
  EXPECT_EQ(Rig.Boxes.Errors.size(), 2u) << Rig.Boxes.Errors.back();
  form.StopSimulation();
}

TEST_F(SimulationWindowTest, BridgeWithoutTheSelectedAdapterRefusesToStart) {
  TSimulatorForm& form = *Rig.Form;
  Rig.Driver.AddAdapter("lab2", {0x02, 0, 0, 0, 0, 0x03});
  form.Preferences.Bridge.Enabled = true;
  form.Preferences.Bridge.AdapterA = MakeAdapterName("lab1");
  form.Preferences.Bridge.AdapterB = MakeAdapterName("lab2");  // not in the window's list
  form.StartSimulation();
  EXPECT_FALSE(form.Running());
  ASSERT_EQ(Rig.Boxes.Errors.size(), 1u);
  EXPECT_EQ(Rig.Boxes.Errors[0], "Cannot start simulation because the bridge is invalid");

  form.Preferences.Bridge.AdapterB = MakeAdapterName("lab1");
  form.Preferences.Bridge.AdapterA = MakeAdapterName("lab1");
  form.StartSimulation();
  ASSERT_EQ(Rig.Boxes.Errors.size(), 2u);
  EXPECT_EQ(Rig.Boxes.Errors[1].rfind("Cannot start simulation because you have chosen an adapter", 0), 0u);
  EXPECT_FALSE(Rig.Driver.Intercepting(Rig.A));
  EXPECT_FALSE(Rig.Driver.Intercepting(Rig.B));
}

TEST_F(SimulationWindowTest, ProfilesRoundTripAndLoadingStopsARunningSimulation) {
  TSimulatorForm& form = *Rig.Form;
  Rig.Find<QCheckBox>("EnableLatencyCheckBox")->click();
  Rig.Find<QSpinBox>("DelayFromUpDown")->setValue(250);
  Rig.Dialogs.SaveName = Rig.Dir.filePath("profile.xml");
  form.Actions.ActionSaveProfile->trigger();
  ASSERT_TRUE(QFile::exists(Rig.Dialogs.SaveName));

  Rig.Find<QCheckBox>("EnableLatencyCheckBox")->click();
  Rig.Find<QSpinBox>("DelayFromUpDown")->setValue(10);
  form.StartSimulation();
  ASSERT_TRUE(form.Running());
  Rig.Dialogs.LoadName = Rig.Dialogs.SaveName;
  form.Actions.ActionLoadProfile->trigger();
  EXPECT_FALSE(form.Running());
  EXPECT_TRUE(Rig.Find<QCheckBox>("EnableLatencyCheckBox")->isChecked());
  EXPECT_EQ(Rig.Find<QSpinBox>("DelayFromUpDown")->value(), 250);
  EXPECT_TRUE(Rig.Find<QSpinBox>("DelayFromUpDown")->isEnabled());
  TLockGuard lock(Rig.Engine.Locks.SettingsLock);
  EXPECT_TRUE(Rig.Engine.Settings.Latency.Enabled);
  EXPECT_EQ(Rig.Engine.Settings.Latency.DelayFrom, 250u);
}

TEST_F(SimulationWindowTest, ABrokenProfileIsReportedAndTheListStillMirrorsTheTable) {
  const QString path = Rig.Dir.filePath("broken.xml");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<simulator-profile><general><rates><item><name>A</name><rate>64000</rate></item>"
             "<item><name>B</name><rate>abc</rate></item></rates></general></simulator-profile>");
  file.close();
  Rig.Dialogs.LoadName = path;
  Rig.Form->Actions.ActionLoadProfile->trigger();
  ASSERT_FALSE(Rig.Boxes.Errors.empty());
  EXPECT_EQ(Rig.Boxes.Errors[0], "Unable to open the profile: Invalid rate format: abc");
  auto* rates = Rig.Find<QComboBox>("RatesCombobox");
  ASSERT_EQ(static_cast<size_t>(rates->count()), Rig.Form->Model.Rates.Count());
  for (int i = 0; i < rates->count(); ++i) {
    EXPECT_EQ(rates->itemText(i).toStdString(), Rig.Form->Model.Rates[static_cast<size_t>(i)].Name);
  }
}

// A rule the matcher cannot use, handed to a running window, is refused
// with one box when it is read; the running rule stays, and frames of the
// protocol it names pass without a box each.
TEST_F(SimulationWindowTest, AnUnusableRuleIsRefusedOnceAndTheRunningRuleStays) {
  TSimulatorForm& form = *Rig.Form;
  form.StartSimulation();
  ASSERT_TRUE(Rig.WaitUntil([this] { return Intercepting(); }));
  const QString path = Rig.Dir.filePath("single.xml");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<simulator-profile><filter><enabled>true</enabled><protocol>2</protocol><source><port><type>1</type>"
             "</port></source><destination><port/></destination></filter></simulator-profile>");
  file.close();
  form.HandleInstanceMessage(kInstanceCommandLine,
                             QString::fromStdString(JoinCommandLine({"program", path.toStdString()})));
  ASSERT_EQ(Rig.Boxes.Errors.size(), 1u);
  EXPECT_EQ(Rig.Boxes.Errors[0], "Unable to open the profile: \"" + path.toStdString() +
                                     "\": the filter's source port type \"Single port\" needs 1 port but has 0");

  for (uint8_t i = 0; i < 3; ++i) {
    std::vector<uint8_t> udp = LabFrame(i);
    udp[14 + 9] = 17;
    Rig.Driver.ReceiveFromWire(Rig.A, udp);
  }
  EXPECT_TRUE(Rig.WaitUntil([this] { return Rig.Driver.DeliveredToStackCount(Rig.A) == 3; }));
  EXPECT_EQ(Rig.Boxes.Errors.size(), 1u);
  EXPECT_TRUE(form.Running());
  {
    TLockGuard lock(Rig.Engine.Locks.SettingsLock);
    EXPECT_EQ(Rig.Engine.Settings.Filter, TFilterSettings());
  }
  form.StopSimulation();
}

TEST_F(SimulationWindowTest, ClosingStopsAndSavesTheSettingsAndTheLastConfiguration) {
  TSimulatorForm& form = *Rig.Form;
  Rig.Find<QCheckBox>("EnableReorderingCheckBox")->click();
  form.Actions.ActionShowConnections->setChecked(true);
  form.StartSimulation();
  ASSERT_TRUE(form.Running());
  form.close();
  EXPECT_FALSE(form.Running());
  Rig.Store->sync();
  EXPECT_EQ(Rig.Store->value("Global/DisplayConnections").toString(), "1");
  EXPECT_FALSE(Rig.Store->value("Configuration").toByteArray().isEmpty());

  // A new window reopens as the old one was left.
  Rig.Form.reset();
  TSimulatorForm& again = Rig.MakeForm();
  again.HandleCommandLine();
  EXPECT_TRUE(Rig.Find<QCheckBox>("EnableReorderingCheckBox")->isChecked());
  EXPECT_FALSE(again.gbConnections->isHidden());
}

TEST_F(SimulationWindowTest, ForwardedCommandLineReloadsWithoutStarting) {
  TSimulatorForm& form = *Rig.Form;
  Rig.Find<QCheckBox>("EnableDuplicationCheckBox")->click();
  const QString path = Rig.Dir.filePath("with blanks.xml");
  form.SaveProfile(path.toStdString());
  Rig.Find<QCheckBox>("EnableDuplicationCheckBox")->click();
  EXPECT_TRUE(form.HandleInstanceMessage(kInstanceCommandLine,
                                         QString::fromStdString(JoinCommandLine({"program", path.toStdString()})))
                  .empty());
  EXPECT_TRUE(Rig.Find<QCheckBox>("EnableDuplicationCheckBox")->isChecked());
  // A profile that does not load is named in the answer to the sender.
  const std::string missing = Rig.Dir.filePath("missing.xml").toStdString();
  EXPECT_EQ(form.HandleInstanceMessage(kInstanceCommandLine,
                                       QString::fromStdString(JoinCommandLine({"program", missing, "/runtime:3"}))),
            std::vector<std::string>{missing});
  EXPECT_FALSE(form.Running());
  TLockGuard lock(Rig.Engine.Locks.SettingsLock);
  EXPECT_TRUE(Rig.Engine.Settings.Duplication.Enabled);
}

TEST_F(SimulationWindowTest, QuitMessageClosesThroughTheNormalShutdown) {
  TSimulatorForm& form = *Rig.Form;
  form.StartSimulation();
  form.HandleInstanceMessage(kInstanceQuit, {});
  EXPECT_FALSE(form.Running());
  EXPECT_FALSE(form.isVisible());
  Rig.Store->sync();
  EXPECT_FALSE(Rig.Store->value("Configuration").toByteArray().isEmpty());
}

TEST(CommandLineStart, AProfileOnTheCommandLineStartsTheSimulation) {
  TWindowRig rig;
  rig.AddLabAdapters();
  {
    TSimulatorForm& first = rig.MakeForm();
    first.SaveProfile(rig.Dir.filePath("start.xml").toStdString());
    rig.Form.reset();
  }
  // The last run-time switch counts, also one behind the profile that starts.
  rig.Parameters = {"/runtime:5", rig.Dir.filePath("missing.xml").toStdString(),
                    rig.Dir.filePath("start.xml").toStdString(), "/RUNTIME:30"};
  TSimulatorForm& form = rig.MakeForm();
  form.HandleCommandLine();
  EXPECT_TRUE(form.Running());
  EXPECT_EQ(rig.Engine.RunTimeLimit.load(), 30);
  ASSERT_EQ(rig.Boxes.Errors.size(), 1u);
  EXPECT_EQ(rig.Boxes.Errors[0].rfind("Unable to open the profile: ", 0), 0u);
  form.StopSimulation();

  // A window closed before its command line ran (a signal at start-up)
  // starts nothing.
  rig.Form.reset();
  TSimulatorForm& closed = rig.MakeForm();
  closed.close();
  closed.HandleCommandLine();
  EXPECT_FALSE(closed.Running());
}
