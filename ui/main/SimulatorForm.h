#pragma once
// TSimulatorForm: the program's main window and the controller between the
// user and the engine. It shows the settings model on its eight tabs and
// applies every change at once, starts and stops simulations, shows the
// counters once a second, and opens every other window.
//
// Top to bottom: the toolbar, the adapter panel, the tabs, the "Network
// Flow" group with the traffic graph, the effect chart panel, the
// "Established Connections" group and the status bar.

#include <QComboBox>
#include <QGroupBox>
#include <QMainWindow>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "config/PersistentSettings.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsPart.h"
#include "config/windows/DialogRunner.h"
#include "engine/ErrorChannel.h"
#include "engine/Simulation.h"
#include "ui/main/MessageBoxErrorSink.h"
#include "ui/main/SimulatorActions.h"
#include "ui/main/SimulatorContext.h"
#include "ui/main/StatusPanels.h"
#include "ui/graph/TimedData.h"

class IConnectionSource;
class IFileDialogs;
class TConnectionListView;
class TEffectChart;
class TGraphPopupMenu;
class THistogram;
class TOnlineUpdate;
class TSettingsTab;
class TTransferRateTab;
class TLatencyTab;
class TLossTab;
class TDuplicationTab;
class TReorderingTab;
class TCorruptionTab;
class TCaptureTab;
class TBlockingTab;

// The window's smallest size, drawn at 120 dots per inch.
constexpr int kMinimumWidth120 = 760;
constexpr int kMinimumHeight120 = 680;

class TSimulatorForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TSimulatorForm(TSimulatorContext& context);
  ~TSimulatorForm() override;

  // The last step of starting the program, once the window is shown: the
  // command line's profiles and run-time switch, else the last configuration.
  void HandleCommandLine();
  // A message from a second instance: 4000 with its command line, 4001 to
  // come to the front, 4002 to close. The profiles of the command line that
  // did not load, for the answer to the sender.
  std::vector<std::string> HandleInstanceMessage(uint32_t code, const QString& commandLine);

  void StartSimulation();
  void StopSimulation();
  // Stops after the adapter went away; the next start reads the list again.
  void StopAfterLostAdapter();
  // Reads the list again; true when the chosen adapter is in it.
  bool RereadAdapterList();
  QStringList AdapterTexts(const TTcpAdapterList& list);
  // Shows the engine threads' waiting reports; stops a simulation that has
  // lost its adapter.
  void ServeErrorReports();
  bool Running() const { return FSimulation.Running(); }

  // Applies one part of the settings, or all; nothing while the window is
  // hidden. Errors are shown, never raised.
  void ApplySettings(TSettingsPart part);
  // The window became active: when first shown and after each dialog.
  void FormActivate();
  void RefreshStatistics();
  void RefreshStatusBar();
  // Enables and disables every action by its rule.
  void UpdateActions();
  // Puts the model into every control and recomputes the enabling.
  void ShowModel();

  // Loads a profile file (or, with an empty name, the last configuration)
  // into the controls; true when it was read completely.
  bool LoadProfile(const std::string& fileName);
  void SaveProfile(const std::string& fileName);
  // The graph and the sliders after the display preferences.
  void ApplyDisplaySettings();

  // Shows the other windows modally; replaced by tests.
  TDialogRunner RunDialog = RunDialogModally;

  TSettingsModel Model;
  TPersistentSettings Preferences;
  TTcpAdapterList Adapters;
  TTrafficSamples TrafficSamples;
  TSimulatorActions Actions;

  QToolBar* ToolBar;
  QWidget* AdapterPanel;
  QComboBox* InterfaceCombobox;
  QToolButton* StartButton;
  QTabWidget* PageControl;
  QSplitter* ChartSplitter;
  QGroupBox* ChartGroupBox;
  // Where the traffic graph goes, filling "Network Flow".
  THistogram* Graph;
  TGraphPopupMenu* GraphPopupMenu;
  QWidget* pnEffectView;
  TEffectChart* EffectChart;
  QGroupBox* gbConnections;
  TConnectionListView* lvConnections;
  std::unique_ptr<TStatusPanels> StatusPanels;
  TOnlineUpdate* OnlineUpdate;
  QTimer* Timer;
  QTimer* ConnectionsTimer;
  // Takes the effect notifications to the chart while a simulation runs.
  QTimer* EffectTimer;

  TTransferRateTab* TransferRateTab;
  TLatencyTab* LatencyTab;
  TLossTab* LossTab;
  TDuplicationTab* DuplicationTab;
  TReorderingTab* ReorderingTab;
  TCorruptionTab* CorruptionTab;
  TCaptureTab* CaptureTab;
  TBlockingTab* BlockingTab;

  // The action handlers.
  void ActionStartStopExecute();
  void ActionLoadProfileExecute();
  void ActionSaveProfileExecute();
  void ActionPresetParamsExecute();
  void ActionOptionsExecute();
  void ActionBridgingExecute();
  void ActionFilterExecute();
  void ActionGroupsExecute();
  void EditRatesButtonClick();
  void InterfaceComboboxChange(int index);
  // One second of a running simulation.
  void TimerTick();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  QWidget* BuildAdapterPanel();
  QWidget* BuildPageControl();
  QWidget* BuildFlowArea();
  QWidget* BuildConnections();
  void ConnectActions();
  void AddTab(TSettingsTab* tab, const QString& caption);

  void FillAdapterList();
  QStringList AdapterNames() const;
  void LoadPreferences();
  void PlaceWindow();
  void SavePreferences();
  void ShowRunningState();
  void KeepMinimumSize();
  void AreasChanged();
  void ShowEffectView(bool visible);
  void ShowConnections(bool visible);
  std::vector<std::string> ForwardedCommandLine(const QString& commandLine);
  void CreateGraph(QWidget* parent);
  void ShowGraphUnits();
  void ResetGraphs();
  void DrainEffects();
  int DefaultAdapterIndex() const;

  TSimulatorContext& FContext;
  std::unique_ptr<IConnectionSource> FOwnConnections;
  TEngine& FEngine;
  IFileDialogs& FFileDialogs;
  TMessageBoxErrorSink FErrorSink;
  TErrorChannel FErrors;
  TSimulation FSimulation;
  bool FStarting = false;
  bool FAdapterListStale = false;
  bool FShownOnce = false;
  bool FClosed = false;
};
