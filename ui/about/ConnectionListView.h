#pragma once
// lvConnections: the established connections in the main window's group
// "Established Connections", refreshed from a connection source, with the
// context menu pmConnections that cuts the selected or all connections.
#include <QAction>
#include <QPointer>
#include <QTreeWidget>

#include "platform/linux/NetStat.h"

class IConnectionSource;
class QMenu;

class TConnectionListView : public QTreeWidget {
  Q_OBJECT

 public:
  // Message shown, once per row, for a connection that cannot be cut.
  static const char* const kIPv6NotTerminable;

  // The list is never so low that fewer rows than this show.
  static constexpr int kMinimumVisibleRows = 5;

  explicit TConnectionListView(IConnectionSource& source, QWidget* parent = nullptr);
  ~TConnectionListView() override;

  // Whether "Display Connections" is ticked. Refreshes happen and the
  // terminate commands are enabled only while it is; the list is emptied.
  void SetDisplayConnections(bool ticked);
  bool DisplayConnections() const { return FDisplayConnections; }

  // Reads the connections again and brings the rows up to date: rows of
  // connections that still exist keep their place and selection, new ones
  // are added at the end, the others removed. Nothing happens unless
  // "Display Connections" is ticked.
  void RefreshConnections();
  // Removes every row (when a simulation stops).
  void ClearConnections();
  // Cuts the connections of the selected rows, or of all rows, last row
  // first. IPv6 rows show kIPv6NotTerminable and are passed over; the first
  // failure shows the system's error and ends the command. The rows stay
  // until the next refresh.
  void TerminateConnections(bool selectedOnly);

  // The copy of the connection a row shows.
  const TNetStatEntry& RowEntry(int row) const;

  // The enabling rules of the two commands: "Display Connections" ticked, and
  // at least one row selected, respectively at least one row.
  bool CanTerminateSelected() const;
  bool CanTerminateAll() const;

  // Puts a window's own "Terminate Selected" and "Terminate All" actions in
  // place of the list's: pmConnections then holds them, they run the two
  // commands and the list keeps their enabling up to date. The list's own
  // actions are freed.
  void BindActions(QAction* terminateSelected, QAction* terminateAll);

  QAction* ActionTerminateConnection() const { return FActionTerminateConnection; }
  QAction* ActionTerminateAll() const { return FActionTerminateAll; }
  QMenu* ConnectionsMenu() const { return FConnectionsMenu; }

 private:
  void SetUpColumns();
  // The height that shows the header, the given number of rows and the
  // horizontal scroll bar.
  int HeightForRows(int rows) const;
  void SetUpMenu();
  void UseActions(QAction* terminateSelected, QAction* terminateAll);
  void UpdateActions();
  std::vector<TNetStatEntry> EntriesToTerminate(bool selectedOnly) const;
  void ShowRow(int row, bool append, const TNetStatEntry& entry);

  IConnectionSource& FSource;
  bool FDisplayConnections = false;
  // A window's actions may go before the list does.
  QPointer<QAction> FActionTerminateConnection;
  QPointer<QAction> FActionTerminateAll;
  QMenu* FConnectionsMenu = nullptr;
};
