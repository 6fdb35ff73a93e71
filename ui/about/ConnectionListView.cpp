#include "ui/about/ConnectionListView.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>

#include "ui/about/ConnectionRows.h"
#include "ui/about/ConnectionSource.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ScreenScale.h"

const char* const TConnectionListView::kIPv6NotTerminable = "IPv6 connections cannot be terminated";

namespace {

enum TConnectionColumn { ccProtocol, ccLocal, ccRemote, ccState, ccCount };

// A row with its own copy of the connection it shows.
class TConnectionItem final : public QTreeWidgetItem {
 public:
  explicit TConnectionItem(const TNetStatEntry& entry) { Show(entry); }

  void Show(const TNetStatEntry& entry) {
    FEntry = entry;
    setText(ccProtocol, QString::fromStdString(entry.ProtocolText()));
    setText(ccLocal, QString::fromStdString(entry.LocalText()));
    setText(ccRemote, QString::fromStdString(entry.RemoteText()));
    setText(ccState, QString::fromStdString(entry.StateText()));
  }
  const TNetStatEntry& Entry() const { return FEntry; }

 private:
  TNetStatEntry FEntry;
};

// Stops repainting for its lifetime, so a refresh shows in one step.
class TRepaintSuspension {
 public:
  explicit TRepaintSuspension(QWidget& widget) : FWidget(widget), FWasEnabled(widget.updatesEnabled()) {
    FWidget.setUpdatesEnabled(false);
  }
  ~TRepaintSuspension() { FWidget.setUpdatesEnabled(FWasEnabled); }
  TRepaintSuspension(const TRepaintSuspension&) = delete;
  TRepaintSuspension& operator=(const TRepaintSuspension&) = delete;

 private:
  QWidget& FWidget;
  bool FWasEnabled;
};

TConnectionKey RowKey(const QTreeWidgetItem& item) {
  return {item.text(ccProtocol).toStdString(), item.text(ccLocal).toStdString(), item.text(ccRemote).toStdString()};
}

}  // namespace

TConnectionListView::TConnectionListView(IConnectionSource& source, QWidget* parent)
    : QTreeWidget(parent), FSource(source) {
  setObjectName(QStringLiteral("lvConnections"));
  SetUpColumns();
  SetUpMenu();
  connect(this, &QTreeWidget::itemSelectionChanged, this, &TConnectionListView::UpdateActions);
  connect(model(), &QAbstractItemModel::rowsInserted, this, &TConnectionListView::UpdateActions);
  connect(model(), &QAbstractItemModel::rowsRemoved, this, &TConnectionListView::UpdateActions);
  connect(model(), &QAbstractItemModel::modelReset, this, &TConnectionListView::UpdateActions);
  UpdateActions();
}

TConnectionListView::~TConnectionListView() {
  // The tree removes its rows after this destructor; they must not reach UpdateActions.
  disconnect(model(), nullptr, this, nullptr);
  disconnect(this, &QTreeWidget::itemSelectionChanged, this, nullptr);
}

void TConnectionListView::SetUpColumns() {
  setColumnCount(ccCount);
  setHeaderLabels({tr("Protocol"), tr("Local Address"), tr("Remote Address"), tr("State")});
  const int widths[ccCount] = {78, 209, 209, 157};
  for (int column = 0; column < ccCount; ++column) setColumnWidth(column, ScaleToScreen(widths[column]));
  // The last column takes what is left, so no dead strip of header remains.
  header()->setStretchLastSection(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setMinimumHeight(HeightForRows(kMinimumVisibleRows));
}

int TConnectionListView::HeightForRows(int rows) const {
  // A row as the view draws it: one line of text with the item margins.
  QTreeWidget probe;
  probe.setFont(font());
  probe.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("TCP"), QStringLiteral("0.0.0.0 : 0")}));
  const int row = probe.sizeHintForRow(0);
  // The columns are wider than the smallest window: a scroll bar is shown
  // below the rows.
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  return header()->sizeHint().height() + rows * row + scrollBar + 2 * frameWidth();
}

void TConnectionListView::SetUpMenu() {
  FConnectionsMenu = new QMenu(this);
  FConnectionsMenu->setObjectName(QStringLiteral("pmConnections"));
  auto* terminateSelected = new QAction(tr("Terminate &Selected"), this);
  terminateSelected->setObjectName(QStringLiteral("ActionTerminateConnection"));
  auto* terminateAll = new QAction(tr("Terminate &All"), this);
  terminateAll->setObjectName(QStringLiteral("ActionTerminateAll"));
  UseActions(terminateSelected, terminateAll);
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& position) { FConnectionsMenu->popup(viewport()->mapToGlobal(position)); });
}

void TConnectionListView::UseActions(QAction* terminateSelected, QAction* terminateAll) {
  FActionTerminateConnection = terminateSelected;
  FActionTerminateAll = terminateAll;
  connect(FActionTerminateConnection, &QAction::triggered, this, [this] { TerminateConnections(true); });
  connect(FActionTerminateAll, &QAction::triggered, this, [this] { TerminateConnections(false); });
  // Delete in the list cuts the selected rows, as the menu entry does.
  FActionTerminateConnection->setShortcut(QKeySequence::Delete);
  FActionTerminateConnection->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(FActionTerminateConnection);
  FConnectionsMenu->clear();
  FConnectionsMenu->addAction(FActionTerminateConnection);
  FConnectionsMenu->addAction(FActionTerminateAll);
}

void TConnectionListView::BindActions(QAction* terminateSelected, QAction* terminateAll) {
  if (terminateSelected == FActionTerminateConnection && terminateAll == FActionTerminateAll) return;
  QAction* ownSelected = FActionTerminateConnection;
  QAction* ownAll = FActionTerminateAll;
  UseActions(terminateSelected, terminateAll);
  if (ownSelected && ownSelected->parent() == this) delete ownSelected;
  if (ownAll && ownAll->parent() == this) delete ownAll;
  UpdateActions();
}

bool TConnectionListView::CanTerminateSelected() const {
  return FDisplayConnections && !selectedItems().isEmpty();
}

bool TConnectionListView::CanTerminateAll() const { return FDisplayConnections && topLevelItemCount() > 0; }

void TConnectionListView::UpdateActions() {
  if (FActionTerminateConnection) FActionTerminateConnection->setEnabled(CanTerminateSelected());
  if (FActionTerminateAll) FActionTerminateAll->setEnabled(CanTerminateAll());
}

void TConnectionListView::SetDisplayConnections(bool ticked) {
  FDisplayConnections = ticked;
  ClearConnections();
  UpdateActions();
}

void TConnectionListView::ClearConnections() { clear(); }

void TConnectionListView::RefreshConnections() {
  if (!FDisplayConnections) return;
  TRepaintSuspension suspension(*this);
  FSource.Reload();

  std::vector<TConnectionKey> rows;
  for (int row = 0; row < topLevelItemCount(); ++row) rows.push_back(RowKey(*topLevelItem(row)));
  std::vector<TConnectionKey> entries;
  for (int index = 0; index < FSource.Count(); ++index) entries.push_back(KeyOf(FSource.Entry(index)));

  const TRefreshPlan plan = PlanRefresh(rows, entries);
  for (int index = 0; index < FSource.Count(); ++index)
    ShowRow(plan.Updates[index].Row, plan.Updates[index].Append, FSource.Entry(index));
  for (int row : plan.StaleRows) delete takeTopLevelItem(row);
}

void TConnectionListView::ShowRow(int row, bool append, const TNetStatEntry& entry) {
  if (append) {
    addTopLevelItem(new TConnectionItem(entry));
    return;
  }
  static_cast<TConnectionItem*>(topLevelItem(row))->Show(entry);
}

const TNetStatEntry& TConnectionListView::RowEntry(int row) const {
  return static_cast<const TConnectionItem*>(topLevelItem(row))->Entry();
}

std::vector<TNetStatEntry> TConnectionListView::EntriesToTerminate(bool selectedOnly) const {
  std::vector<bool> selected;
  for (int row = 0; row < topLevelItemCount(); ++row) selected.push_back(topLevelItem(row)->isSelected());
  std::vector<TNetStatEntry> entries;
  for (int row : RowsToTerminate(selected, selectedOnly)) entries.push_back(RowEntry(row));
  return entries;
}

void TConnectionListView::TerminateConnections(bool selectedOnly) {
  // The rows are copied first: a message box runs the event loop, and the
  // refresh timer may change the rows while it is open.
  for (const TNetStatEntry& entry : EntriesToTerminate(selectedOnly)) {
    if (entry.IsIPv6()) {
      MessageBoxes().ShowError(window(), tr(kIPv6NotTerminable));
      continue;
    }
    try {
      FSource.Terminate(entry);
    } catch (const std::exception& error) {
      MessageBoxes().ShowError(window(), QString::fromLocal8Bit(error.what()));
      return;
    }
  }
}
