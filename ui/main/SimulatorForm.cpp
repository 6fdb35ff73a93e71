#include "ui/main/SimulatorForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QScreen>

#include "common/Assertion.h"
#include "config/CommandLine.h"
#include "config/ModelApply.h"
#include "config/Presets.h"
#include "config/Profiles.h"
#include "config/windows/OptionsForm.h"
#include "config/windows/PresetsForm.h"
#include "config/windows/TransferRatesForm.h"
#include "ui/main/BlockingTab.h"
#include "ui/main/BridgingForm.h"
#include "ui/main/CaptureTab.h"
#include "ui/main/CorruptionTab.h"
#include "ui/main/DuplicationTab.h"
#include "ui/main/FileDialogs.h"
#include "ui/main/Icons.h"
#include "ui/main/LatencyTab.h"
#include "ui/main/LossTab.h"
#include "ui/main/ReorderingTab.h"
#include "ui/main/StatisticsList.h"
#include "ui/main/TabControls.h"
#include "ui/main/TransferRateTab.h"
#include "ui/main/WindowState.h"
#include "filter/windows/EditRuleForm.h"
#include "filter/windows/GroupsForm.h"
#include "platform/linux/NeighbourTable.h"
#include "ui/about/ConnectionListView.h"
#include "ui/about/HelpActions.h"
#include "ui/about/NetStatConnectionSource.h"
#include "ui/about/OnlineUpdate.h"
#include "ui/about/VendorAddresses.h"
#include "ui/graph/EffectChart.h"
#include "ui/graph/GraphPopupMenu.h"
#include "ui/graph/Histogram.h"
#include "widgets/MessageBoxes.h"

namespace {

// The connections list is refreshed this often while a simulation runs.
constexpr int kConnectionsPeriodMs = 500;
constexpr int kEffectsPeriodMs = 100;

// The traffic graph's smallest height, in device-independent pixels.
constexpr int kGraphMinimumHeight = 80;

// The window's size when no placement was ever stored.
constexpr int kDesignedWidth = 800;
constexpr int kDesignedHeight = 720;

// Enables the action again when the operation ends, whatever the outcome.
class TActionBusy {
 public:
  TActionBusy(QAction* action, bool& busy) : FAction(action), FBusy(busy) {
    FBusy = true;
    FAction->setEnabled(false);
  }
  ~TActionBusy() { FBusy = false; }

 private:
  QAction* FAction;
  bool& FBusy;
};

}  // namespace

TSimulatorForm::TSimulatorForm(TSimulatorContext& context)
    : QMainWindow(nullptr),
      FContext(context),
      FEngine(context.Engine),
      FFileDialogs(context.FileDialogs ? *context.FileDialogs : QtFileDialogs()),
      FErrorSink(this),
      FErrors(FErrorSink),
      FSimulation(context.Engine, context.Timers, FErrors) {
  setObjectName(QStringLiteral("TSimulatorForm"));
  setWindowTitle(QStringLiteral("Ovelda Tarnwick"));
  // Engine threads wait for their error box; it is shown on this thread.
  FErrors.SetWakeOwner([this] {
    QMetaObject::invokeMethod(this, [this] { ServeErrorReports(); }, Qt::QueuedConnection);
  });

  Actions = CreateSimulatorActions(this);
  Timer = new QTimer(this);
  Timer->setObjectName(QStringLiteral("Timer"));
  Timer->setInterval(1000);
  ConnectionsTimer = new QTimer(this);
  ConnectionsTimer->setObjectName(QStringLiteral("ConnectionsTimer"));
  ConnectionsTimer->setInterval(kConnectionsPeriodMs);
  EffectTimer = new QTimer(this);
  EffectTimer->setInterval(kEffectsPeriodMs);
  OnlineUpdate = new TOnlineUpdate(VersionFileUrl(), DownloadPageUrl(), this);
  if (!context.Connections) FOwnConnections = std::make_unique<TNetStatConnectionSource>();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 0, 4, 0);
  layout->setSpacing(4);
  layout->addWidget(BuildAdapterPanel());
  layout->addWidget(BuildPageControl());
  layout->addWidget(BuildFlowArea(), 1);
  setCentralWidget(central);
  BuildToolBar();
  BuildMenus();
  statusBar()->setObjectName(QStringLiteral("StatusBar"));
  StatusPanels = std::make_unique<TStatusPanels>(statusBar());
  ConnectActions();
  KeepMinimumSize();

  FillAdapterList();
  Model.SetDefaults(DefaultAdapterIndex());
  ShowModel();
  RefreshStatistics();
  LoadPreferences();
  ApplyDisplaySettings();
  ShowRunningState();
}

TSimulatorForm::~TSimulatorForm() {
  Timer->stop();
  FSimulation.Stop();
}

// ---- building -------------------------------------------------------------

void TSimulatorForm::BuildToolBar() {
  ToolBar = addToolBar(tr("Toolbar"));
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setMovable(false);
  ToolBar->setFloatable(false);
  ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  ToolBar->setIconSize(QSize(24, 24));
  for (QAction* action : {Actions.ActionLoadProfile, Actions.ActionSaveProfile, Actions.ActionFilter,
                          Actions.ActionOptions}) {
    ToolBar->addAction(action);
    if (QWidget* button = ToolBar->widgetForAction(action)) {
      button->setMinimumSize(Design120(75), Design120(47));
    }
  }
}

void TSimulatorForm::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(Actions.ActionPresetParams);
  file->addSeparator();
  file->addActions({Actions.ActionLoadProfile, Actions.ActionSaveProfile});
  file->addSeparator();
  file->addAction(Actions.ActionQuit);
  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addActions({Actions.ActionOptions, Actions.ActionShowConnections, Actions.acEffectView});
  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  tools->addActions({Actions.ActionBridging, Actions.ActionFilter, Actions.ActionGroups});
  // Start and stop from the keyboard: this entry carries Ctrl+E and F5.
  tools->addSeparator();
  tools->addAction(Actions.ActionStartStop);
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addActions({Actions.ActionHelp, Actions.ActionWebSite, Actions.ActionCheckForUpdates});
  help->addSeparator();
  help->addAction(Actions.ActionAbout);

  // The graph's menu brings its own step and save actions; the window's
  // Options action is shared with the toolbar and the View menu.
  GraphPopupMenu = new TGraphPopupMenu(Graph, Actions.ActionOptions, &TrafficSamples, this);
  GraphPopupMenu->setObjectName(QStringLiteral("GraphPopupMenu"));
  Actions.ActionGraphGoBack = GraphPopupMenu->ActionGraphGoBack();
  Actions.ActionGraphGoForward = GraphPopupMenu->ActionGraphGoForward();
  Actions.ActionGraphSave = GraphPopupMenu->ActionGraphSave();
  Graph->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Graph, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    GraphPopupMenu->UpdateActions();
    GraphPopupMenu->popup(Graph->mapToGlobal(at));
  });
  // The window itself carries the actions with shortcuts, so that the keys
  // work wherever the focus is in it.
  addActions({Actions.ActionHelp, Actions.ActionStartStop, Actions.ActionLoadProfile, Actions.ActionSaveProfile,
              Actions.ActionQuit});
  lvConnections->BindActions(Actions.ActionTerminateConnection, Actions.ActionTerminateAll);
}

QWidget* TSimulatorForm::BuildAdapterPanel() {
  AdapterPanel = new QWidget(this);
  AdapterPanel->setObjectName(QStringLiteral("AdapterPanel"));
  AdapterPanel->setFixedHeight(Design120(54));
  InterfaceCombobox = new QComboBox(AdapterPanel);
  InterfaceCombobox->setObjectName(QStringLiteral("InterfaceCombobox"));
  InterfaceCombobox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  InterfaceCombobox->setMinimumContentsLength(30);
  StartButton = new QToolButton(AdapterPanel);
  StartButton->setObjectName(QStringLiteral("StartButton"));
  StartButton->setDefaultAction(Actions.ActionStartStop);
  StartButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  StartButton->setIconSize(QSize(16, 16));
  StartButton->setMinimumWidth(Design120(100));
  StartButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

  auto* layout = new QHBoxLayout(AdapterPanel);
  layout->setContentsMargins(4, 6, 4, 6);
  layout->addWidget(InterfaceCombobox, 1);
  layout->addSpacing(8);
  layout->addWidget(StartButton);
  return AdapterPanel;
}

void TSimulatorForm::AddTab(TSettingsTab* tab, const QString& caption) {
  PageControl->addTab(tab, caption);
  connect(tab, &TSettingsTab::ApplyRequested, this, &TSimulatorForm::ApplySettings);
}

QWidget* TSimulatorForm::BuildPageControl() {
  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  PageControl->setFixedHeight(Design120(251));
  TransferRateTab = new TTransferRateTab(Model, PageControl);
  LatencyTab = new TLatencyTab(Model, PageControl);
  LossTab = new TLossTab(Model, PageControl);
  DuplicationTab = new TDuplicationTab(Model, PageControl);
  ReorderingTab = new TReorderingTab(Model, PageControl);
  CorruptionTab = new TCorruptionTab(Model, PageControl);
  CaptureTab = new TCaptureTab(Model, PageControl);
  BlockingTab = new TBlockingTab(Model, PageControl);
  // Alt and the underlined letter bring each tab to the front; the letters
  // are clear of the menus' (F, V, T, H) and of Start's (S).
  AddTab(TransferRateTab, tr("Transfer &Rate"));
  AddTab(LatencyTab, tr("&Latency"));
  AddTab(LossTab, tr("&Packet Loss"));
  AddTab(DuplicationTab, tr("&Duplication"));
  AddTab(ReorderingTab, tr("R&eordering"));
  AddTab(CorruptionTab, tr("&Corruption"));
  AddTab(CaptureTab, tr("C&apture"));
  AddTab(BlockingTab, tr("Port &Blocking"));
  CaptureTab->AskCaptureFile = [this] { return FFileDialogs.CaptureFile(this); };
  connect(TransferRateTab, &TTransferRateTab::EditRatesRequested, this, &TSimulatorForm::EditRatesButtonClick);
  return PageControl;
}

QWidget* TSimulatorForm::BuildFlowArea() {
  ChartSplitter = new QSplitter(Qt::Vertical, this);
  ChartSplitter->setObjectName(QStringLiteral("ChartSplitter"));
  ChartSplitter->setChildrenCollapsible(false);

  ChartGroupBox = new QGroupBox(tr("Network Flow"), ChartSplitter);
  ChartGroupBox->setObjectName(QStringLiteral("ChartGroupBox"));
  auto* graphLayout = new QVBoxLayout(ChartGroupBox);
  graphLayout->setContentsMargins(4, 4, 4, 4);
  CreateGraph(ChartGroupBox);
  graphLayout->addWidget(Graph);
  // The graph is the view that grows; at the smallest size it still shows
  // a few grid lines.
  Graph->setMinimumHeight(kGraphMinimumHeight);

  pnEffectView = new QWidget(ChartSplitter);
  pnEffectView->setObjectName(QStringLiteral("pnEffectView"));
  // At least 120 high: the chart's own smallest height.
  auto* chartLayout = new QVBoxLayout(pnEffectView);
  chartLayout->setContentsMargins(0, 0, 0, 0);
  EffectChart = new TEffectChart(pnEffectView);
  EffectChart->setObjectName(QStringLiteral("EffectChart"));
  chartLayout->addWidget(EffectChart);

  ChartSplitter->addWidget(ChartGroupBox);
  ChartSplitter->addWidget(pnEffectView);
  ChartSplitter->addWidget(BuildConnections());
  ChartSplitter->handle(1)->setObjectName(QStringLiteral("spEffectView"));
  ChartSplitter->handle(2)->setObjectName(QStringLiteral("Splitter"));
  ChartSplitter->setStretchFactor(0, 1);
  ChartSplitter->setStretchFactor(1, 0);
  ChartSplitter->setStretchFactor(2, 0);
  ChartSplitter->setSizes({Design120(200), 120, Design120(107)});
  return ChartSplitter;
}

QWidget* TSimulatorForm::BuildConnections() {
  gbConnections = new QGroupBox(tr("Established Connections"), this);
  gbConnections->setObjectName(QStringLiteral("gbConnections"));
  lvConnections = new TConnectionListView(FContext.Connections ? *FContext.Connections : *FOwnConnections, gbConnections);
  lvConnections->setObjectName(QStringLiteral("lvConnections"));
  auto* layout = new QVBoxLayout(gbConnections);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(lvConnections);
  return gbConnections;
}

void TSimulatorForm::ConnectActions() {
  connect(Actions.ActionStartStop, &QAction::triggered, this, &TSimulatorForm::ActionStartStopExecute);
  connect(Actions.ActionLoadProfile, &QAction::triggered, this, &TSimulatorForm::ActionLoadProfileExecute);
  connect(Actions.ActionSaveProfile, &QAction::triggered, this, &TSimulatorForm::ActionSaveProfileExecute);
  connect(Actions.ActionPresetParams, &QAction::triggered, this, &TSimulatorForm::ActionPresetParamsExecute);
  connect(Actions.ActionOptions, &QAction::triggered, this, &TSimulatorForm::ActionOptionsExecute);
  connect(Actions.ActionBridging, &QAction::triggered, this, &TSimulatorForm::ActionBridgingExecute);
  connect(Actions.ActionShowConnections, &QAction::toggled, this, &TSimulatorForm::ShowConnections);
  connect(Actions.acEffectView, &QAction::toggled, this, &TSimulatorForm::ShowEffectView);
  connect(Actions.ActionFilter, &QAction::triggered, this, &TSimulatorForm::ActionFilterExecute);
  connect(Actions.ActionGroups, &QAction::triggered, this, &TSimulatorForm::ActionGroupsExecute);
  connect(Actions.ActionHelp, &QAction::triggered, this, [this] { ShowHelpContents(this); });
  connect(Actions.ActionWebSite, &QAction::triggered, this, [this] { ShowWebSite(this); });
  connect(Actions.ActionQuit, &QAction::triggered, this, &QWidget::close);
  connect(Actions.ActionAbout, &QAction::triggered, this, [this] {
    ShowAboutWindow(this);
    FormActivate();
  });
  connect(Actions.ActionCheckForUpdates, &QAction::triggered, this, [this] {
    OnlineUpdate->CheckNow(false);
    FormActivate();
  });
  connect(InterfaceCombobox, &QComboBox::activated, this, &TSimulatorForm::InterfaceComboboxChange);
  connect(Timer, &QTimer::timeout, this, &TSimulatorForm::TimerTick);
  connect(ConnectionsTimer, &QTimer::timeout, lvConnections, &TConnectionListView::RefreshConnections);
  connect(EffectTimer, &QTimer::timeout, this, &TSimulatorForm::DrainEffects);
}

// ---- adapters and preferences ---------------------------------------------

void TSimulatorForm::FillAdapterList() {
  InterfaceCombobox->clear();
  Adapters = TTcpAdapterList{};
  if (!FEngine.Driver.GetTcpipBoundAdaptersInfo(Adapters) || Adapters.AdapterCount == 0) {
    Adapters.AdapterCount = 0;
    MessageBoxes().ShowError(this, tr("Unable to find any network interfaces"));
    return;
  }
  InterfaceCombobox->addItems(AdapterTexts(Adapters));
}

QStringList TSimulatorForm::AdapterTexts(const TTcpAdapterList& list) {
  QStringList texts;
  for (uint32_t i = 0; i < list.AdapterCount && i < kMaxAdapters; ++i) {
    const std::string shown = FEngine.Driver.ConvertWindows2000AdapterName(list.AdapterNameList[i]);
    texts << QString::fromStdString(shown.empty() ? AdapterNameText(list.AdapterNameList[i]) : shown);
  }
  return texts;
}

QStringList TSimulatorForm::AdapterNames() const {
  QStringList names;
  for (int i = 0; i < InterfaceCombobox->count(); ++i) names << InterfaceCombobox->itemText(i);
  return names;
}

int TSimulatorForm::DefaultAdapterIndex() const {
  if (Adapters.AdapterCount == 0) return -1;
  return FContext.DefaultAdapterIndex ? FContext.DefaultAdapterIndex(Adapters) : 0;
}

void TSimulatorForm::LoadPreferences() {
  Preferences.Resolution = Model.Resolution;
  ::LoadSettings(FContext.Store, Preferences);
  Actions.ActionShowConnections->setChecked(Preferences.DisplayConnections);
  Actions.acEffectView->setChecked(Preferences.DisplayEffectView);
  ShowEffectView(Preferences.DisplayEffectView);
  ShowConnections(Preferences.DisplayConnections);
  Model.SetResolutions(Preferences.Resolution);
  ApplyResolutions(FEngine, Model);
  {
    TLockGuard lock(FEngine.Locks.EngineLock);
    FEngine.MaxQueueSize = static_cast<uint32_t>(Preferences.MaxQueueSize);
  }
  PlaceWindow();
}

void TSimulatorForm::PlaceWindow() {
  RestoreWindowPlacement(FContext.Store, *this, QSize(kDesignedWidth, kDesignedHeight));
  RestoreBarsAndSplitter(FContext.Store, *this, *ChartSplitter);
  // The panels' visibility is the two display actions', whatever the
  // splitter's stored state says.
  ShowEffectView(Actions.acEffectView->isChecked());
  gbConnections->setVisible(Actions.ActionShowConnections->isChecked());
  AreasChanged();
  if (Preferences.Maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TSimulatorForm::SavePreferences() {
  Preferences.DisplayConnections = Actions.ActionShowConnections->isChecked();
  Preferences.DisplayEffectView = Actions.acEffectView->isChecked();
  Preferences.Maximized = isMaximized();
  ::SaveSettings(FContext.Store, Preferences);
  SaveWindowState(FContext.Store, *this, *ChartSplitter);
}

void TSimulatorForm::ApplyDisplaySettings() {
  OT_ASSERT(Preferences.GraphUnit <= 1 && Preferences.GraphType <= 1, "GUIMain", "graph option outside 0 and 1");
  Graph->SetMeasurementUnit(Preferences.GraphUnit == 0 ? TMeasurementUnit::muBits : TMeasurementUnit::muBytes);
  ShowGraphUnits();
  if (Preferences.GraphType == 0) {
    Graph->SetLineType(TLineType::ltBars);
    Graph->SetVertTickPeriod(60);
  } else {
    Graph->SetLineType(TLineType::ltPolyLine);
    Graph->SetLineStep(Preferences.PolylineStep > 0 ? Preferences.PolylineStep : 1);
    Graph->SetVertTickPeriod(Graph->LineStep() * 60);
  }
  Graph->SetMaxValue(Preferences.GraphAutoScale ? 0 : static_cast<uint64_t>(std::max(Preferences.AutoScaleValue, 0)));
  // The four share sliders start again from their first step, each applying
  // its part as a user's move would.
  Model.SetResolutions(Model.Resolution);
  LossTab->ShowModel();
  DuplicationTab->ShowModel();
  ReorderingTab->ShowModel();
  CorruptionTab->ShowModel();
  for (TSettingsPart part : {TSettingsPart::spLoss, TSettingsPart::spDuplication, TSettingsPart::spReordering,
                             TSettingsPart::spCorruption}) {
    ApplySettings(part);
  }
}

// ---- settings ---------------------------------------------------------------

void TSimulatorForm::ShowModel() {
  {
    const QSignalBlocker quiet(InterfaceCombobox);
    InterfaceCombobox->setCurrentIndex(Model.CardIndex < InterfaceCombobox->count() ? Model.CardIndex : -1);
  }
  for (int i = 0; i < PageControl->count(); ++i) static_cast<TSettingsTab*>(PageControl->widget(i))->ShowModel();
  UpdateActions();
}

void TSimulatorForm::ApplySettings(TSettingsPart part) {
  if (!isVisible()) return;
  ApplyModelSettings(FEngine, part, Model, FErrorSink);
  RefreshStatusBar();
}

void TSimulatorForm::FormActivate() {
  ApplySettings(TSettingsPart::spAll);
  RefreshStatusBar();
}

void TSimulatorForm::RefreshStatusBar() { StatusPanels->Show(ReadStatusFlags(FEngine)); }

void TSimulatorForm::RefreshStatistics() { ShowStatistics(TransferRateTab->ListViewStats, FEngine.Counters()); }

void TSimulatorForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FShownOnce) return;
  FShownOnce = true;
  // Now the frame is known: all of it goes onto the screen, title bar included.
  QTimer::singleShot(0, this, [this] { KeepWindowOnScreen(*this); });
  FormActivate();
}

// ---- actions ----------------------------------------------------------------

void TSimulatorForm::UpdateActions() {
  const bool haveAdapters = Adapters.AdapterCount > 0;
  const bool adapterChosen = haveAdapters && InterfaceCombobox->currentIndex() >= 0;
  Actions.ActionStartStop->setEnabled(adapterChosen && !FStarting);
  Actions.acEffectView->setEnabled(adapterChosen);
  Actions.ActionBridging->setEnabled(haveAdapters && !Running());
  Actions.ActionCheckForUpdates->setEnabled(OnlineUpdate != nullptr);
  GraphPopupMenu->UpdateActions();
}

void TSimulatorForm::ActionStartStopExecute() {
  if (Running()) {
    StopSimulation();
  } else {
    StartSimulation();
  }
}

void TSimulatorForm::ShowRunningState() {
  ShowStartStopLook(Actions.ActionStartStop, Running());
  // A hint shown for the old look ("Start Operation") would now be wrong.
  statusBar()->clearMessage();
  InterfaceCombobox->setEnabled(!Running());
  UpdateActions();
}

void TSimulatorForm::StartSimulation() {
  if (Running() || FStarting) return;
  if (FAdapterListStale && !RereadAdapterList()) return;
  if (Adapters.AdapterCount == 0 || Model.CardIndex < 0) return;
  {
    TActionBusy busy(Actions.ActionStartStop, FStarting);
    Timer->start();
    ConnectionsTimer->start();
    EffectTimer->start();
    TSimulationRequest request;
    request.AdapterIndex = Model.CardIndex;
    request.Capture = CaptureSettingsOf(Model);
    request.Bridge = Preferences.Bridge;
    try {
      FSimulation.Start(Adapters, request, [this] {
        ApplySettings(TSettingsPart::spAll);
        ResetGraphs();
      });
      TrafficSamples.clear();
    } catch (const std::exception& error) {
      Timer->stop();
      ConnectionsTimer->stop();
      EffectTimer->stop();
      MessageBoxes().ShowError(this, QString::fromStdString(error.what()));
    }
  }
  ShowRunningState();
}

void TSimulatorForm::StopSimulation() {
  if (!Running()) return;
  {
    TActionBusy busy(Actions.ActionStartStop, FStarting);
    Timer->stop();
    ConnectionsTimer->stop();
    EffectTimer->stop();
    FSimulation.Stop();
  }
  DrainEffects();
  // The chart shows the last frames too, not only those of the last tick.
  EffectChart->update();
  // The last part-second's frames are counted too, and the rows keep them.
  RefreshStatistics();
  lvConnections->ClearConnections();
  ShowRunningState();
}

void TSimulatorForm::StopAfterLostAdapter() {
  StopSimulation();
  // The lost adapter's handle names nothing now, and a device that comes
  // back under its name gets another one: the next start reads the list
  // again, when the device may be back.
  FAdapterListStale = true;
}

bool TSimulatorForm::RereadAdapterList() {
  const QString chosen = InterfaceCombobox->currentText();
  TTcpAdapterList fresh{};
  if (!FEngine.Driver.GetTcpipBoundAdaptersInfo(fresh)) fresh.AdapterCount = 0;
  // Until the chosen adapter is back, the list stays as the user knows it:
  // another adapter in its place would impair traffic nobody chose.
  if (!AdapterTexts(fresh).contains(chosen)) {
    MessageBoxes().ShowError(this, tr("The network adapter %1 is no longer available").arg(chosen));
    return false;
  }
  FAdapterListStale = false;
  FillAdapterList();
  Model.CardIndex = InterfaceCombobox->findText(chosen);
  ShowModel();
  return true;
}

void TSimulatorForm::ServeErrorReports() {
  FErrors.ServePending();
  // A lost adapter has been reported and its hooks are off; nothing more
  // can be emulated on it.
  if (FSimulation.AdapterLost()) StopAfterLostAdapter();
}

void TSimulatorForm::TimerTick() {
  if (FSimulation.AdapterLost()) {
    StopAfterLostAdapter();
    return;
  }
  const uint32_t in = FEngine.TickBytes.In.exchange(0);
  const uint32_t out = FEngine.TickBytes.Out.exchange(0);
  Graph->AddSample(in, out);
  DrainEffects();
  EffectChart->update();
  TrafficSamples.push_back(TTimedData{ToDayCount(QDateTime::currentDateTime()), in, out});
  GraphPopupMenu->UpdateActions();
  RefreshStatistics();
  const int32_t limit = FEngine.RunTimeLimit.load();
  // A limit that a second launch set below the samples already taken stops
  // at once rather than never.
  if (limit > 0 && TrafficSamples.size() >= static_cast<size_t>(limit)) {
    StopSimulation();
    close();
  }
}

void TSimulatorForm::InterfaceComboboxChange(int index) {
  Model.CardIndex = index;
  ResetGraphs();
  UpdateActions();
}

void TSimulatorForm::KeepMinimumSize() {
  // The designed smallest size, or more where the status bar's fifteen
  // panels or the areas shown now need it at their own smallest.
  // An area shown or hidden a moment ago counts at once, measured in its
  // style (an area never shown yet has not been polished).
  for (QWidget* area : {static_cast<QWidget*>(ChartGroupBox), pnEffectView, static_cast<QWidget*>(gbConnections)})
    area->ensurePolished();
  ChartSplitter->updateGeometry();
  centralWidget()->updateGeometry();
  centralWidget()->layout()->invalidate();
  layout()->invalidate();
  const QSize designed(Design120(kMinimumWidth120), Design120(kMinimumHeight120));
  const QSize panels(statusBar()->minimumSizeHint().width(), 0);
  setMinimumSize(designed.expandedTo(panels).expandedTo(minimumSizeHint()));
}

void TSimulatorForm::AreasChanged() {
  KeepMinimumSize();
  // The splitter shows or hides the handle beside the area only when it
  // handles the change, a moment later; the size is taken again then.
  QTimer::singleShot(0, this, &TSimulatorForm::KeepMinimumSize);
}

void TSimulatorForm::ShowEffectView(bool visible) {
  pnEffectView->setVisible(visible);
  AreasChanged();
}

void TSimulatorForm::ShowConnections(bool visible) {
  gbConnections->setVisible(visible);
  AreasChanged();
  lvConnections->SetDisplayConnections(visible);
  lvConnections->ClearConnections();
}

void TSimulatorForm::CreateGraph(QWidget* parent) {
  Graph = new THistogram(parent);
  Graph->setObjectName(QStringLiteral("Graph"));
  Graph->SetFramedGraph(true);
  Graph->SetFrameColor(QColor(192, 192, 192));
  Graph->SetBackColor(Qt::black);
  Graph->SetColorIn(QColor(255, 10, 10));
  Graph->SetColorBoth(QColor(255, 150, 40));
  Graph->SetColorOut(QColor(128, 255, 0));
  Graph->SetTextColor(QColor(192, 192, 192));
  Graph->SetOuterFrame(true);
  Graph->SetVertTickPeriod(60);
  Graph->SetMaxMeanSamples(5);
}

void TSimulatorForm::ShowGraphUnits() {
  // The graph's own unit texts leave the quantity out ("86 K"); here every
  // label and average says what it counts.
  if (Graph->MeasurementUnit() == TMeasurementUnit::muBits) {
    Graph->SetBScale(tr("bit/s"));
    Graph->SetKScale(tr("Kbit/s"));
    Graph->SetMScale(tr("Mbit/s"));
    Graph->SetGScale(tr("Gbit/s"));
  } else {
    Graph->SetBScale(tr("B/s"));
    Graph->SetKScale(tr("KB/s"));
    Graph->SetMScale(tr("MB/s"));
    Graph->SetGScale(tr("GB/s"));
  }
  Graph->update();
}

void TSimulatorForm::ResetGraphs() {
  Graph->Clear();
  std::vector<TEffectNotification> stale;
  FEngine.Effects.Drain(stale);
  EffectChart->Clear();
}

void TSimulatorForm::DrainEffects() {
  std::vector<TEffectNotification> notifications;
  FEngine.Effects.Drain(notifications);
  if (!notifications.empty()) EffectChart->ApplyNotifications(notifications);
}

// ---- profiles ---------------------------------------------------------------

bool TSimulatorForm::LoadProfile(const std::string& fileName) {
  TAdapterChoices choices;
  for (const QString& name : AdapterNames()) choices.Texts.push_back(name.toStdString());
  choices.DefaultIndex = DefaultAdapterIndex();
  const bool loaded = ::LoadProfile(fileName, Model, FEngine, choices, FContext.Store, FErrorSink);
  ShowModel();
  return loaded;
}

void TSimulatorForm::SaveProfile(const std::string& fileName) {
  ::SaveProfile(fileName, Model, FEngine, FContext.Store, FErrorSink);
}

void TSimulatorForm::ActionLoadProfileExecute() {
  const QString name = FFileDialogs.ProfileToLoad(this);
  if (!name.isEmpty()) {
    StopSimulation();
    LoadProfile(name.toStdString());
  }
  FormActivate();
}

void TSimulatorForm::ActionSaveProfileExecute() {
  const QString name = FFileDialogs.ProfileToSave(this);
  if (!name.isEmpty()) SaveProfile(name.toStdString());
  FormActivate();
}

// ---- other windows ----------------------------------------------------------

void TSimulatorForm::EditRatesButtonClick() {
  const std::string shown = TransferRateTab->RatesCombobox->currentText().toStdString();
  {
    TTransferRatesForm form(this, Model.Rates, ProgramIcon(iiInformation));
    form.RunEditor = RunDialog;
    form.AskTraceFile = [this] { return FFileDialogs.TraceFile(this); };
    RunDialog(form);
  }
  Model.RefreshRateList();
  const int again = Model.Rates.IndexOfName(shown);
  if (again >= 0) Model.RateIndex = again;
  TransferRateTab->RefreshRateList();
  ApplySettings(TSettingsPart::spRate);
  FormActivate();
}

void TSimulatorForm::ActionPresetParamsExecute() {
  TPresetsForm form(this, {ProgramIcon(iiPreset3G), ProgramIcon(iiPresetEdge), ProgramIcon(iiPresetWiFi)});
  if (RunDialog(form) == QDialog::Accepted && form.Selected) {
    ApplyPreset(Model, *form.Selected);
    ShowModel();
    ApplySettings(TSettingsPart::spAll);
  }
  FormActivate();
}

void TSimulatorForm::ActionOptionsExecute() {
  TOptionsForm form(this);
  form.Fill(Preferences);
  if (RunDialog(form) == QDialog::Accepted) {
    form.Take(Preferences);
    {
      TLockGuard lock(FEngine.Locks.EngineLock);
      FEngine.MaxQueueSize = static_cast<uint32_t>(Preferences.MaxQueueSize);
    }
    ApplyDisplaySettings();
  }
  FormActivate();
}

void TSimulatorForm::ActionFilterExecute() {
  // Profiles refuse rules the editor cannot show; should one get in anyway,
  // its assertion is shown as an error rather than ending the program from
  // inside an event handler.
  try {
    TEditRuleForm form(FEngine.Settings.Filter, FEngine.Locks.SettingsLock, GetHWAddr, this);
    RunDialog(form);
  } catch (const std::exception& error) {
    MessageBoxes().ShowError(this, QString::fromStdString(error.what()));
  }
  // The new rule reaches a driver that decides in the kernel at once.
  FEngine.PublishFrameSelection();
  RefreshStatusBar();
  FormActivate();
}

void TSimulatorForm::ActionGroupsExecute() {
  {
    TGroupsForm form(FEngine.Settings.Filter, FEngine.Locks.SettingsLock, this);
    RunDialog(form);
  }
  FEngine.PublishFrameSelection();
  FormActivate();
}

void TSimulatorForm::ActionBridgingExecute() {
  if (Adapters.AdapterCount == 0 || Running()) return;
  TBridgingForm form(this, Adapters, AdapterNames(), Preferences.Bridge);
  if (RunDialog(form) == QDialog::Accepted) Preferences.Bridge = form.Bridge();
  FormActivate();
}

// ---- start-up, instances and shutdown ---------------------------------------

void TSimulatorForm::HandleCommandLine() {
  // A stop asked for before this step ran (a signal) leaves nothing to start.
  if (FClosed) return;
  // The run-time switch counts wherever it stands, also behind the profile
  // that starts the simulation.
  int32_t seconds = 0;
  if (RunTimeLimitOf(FContext.Parameters, seconds)) FEngine.RunTimeLimit = seconds;
  for (const std::string& parameter : FContext.Parameters) {
    if (IsRuntimeSwitch(parameter)) continue;
    if (LoadProfile(parameter)) {
      QCoreApplication::processEvents();
      ApplySettings(TSettingsPart::spAll);
      StartSimulation();
      return;
    }
  }
  LoadProfile(std::string());
  ApplySettings(TSettingsPart::spAll);
}

std::vector<std::string> TSimulatorForm::ForwardedCommandLine(const QString& commandLine) {
  const std::vector<std::string> words = SplitCommandLine(commandLine.toStdString());
  std::vector<std::string> notLoaded;
  for (size_t i = 1; i < words.size(); ++i) {
    int32_t seconds = 0;
    if (IsRuntimeSwitch(words[i], seconds)) {
      FEngine.RunTimeLimit = seconds;
      continue;
    }
    if (!LoadProfile(words[i])) notLoaded.push_back(words[i]);
    QCoreApplication::processEvents();
    ApplySettings(TSettingsPart::spAll);
  }
  return notLoaded;
}

std::vector<std::string> TSimulatorForm::HandleInstanceMessage(uint32_t code, const QString& commandLine) {
  switch (code) {
    case kInstanceCommandLine:
      return ForwardedCommandLine(commandLine);
    case kInstanceActivate:
      if (isMinimized()) showNormal();
      raise();
      activateWindow();
      QApplication::alert(this, 1000);
      break;
    case kInstanceQuit:
      close();
      break;
    default:
      break;
  }
  return {};
}

void TSimulatorForm::closeEvent(QCloseEvent* event) {
  if (!FClosed) {
    FClosed = true;
    StopSimulation();
    SavePreferences();
    SaveProfile(std::string());
  }
  event->accept();
}
