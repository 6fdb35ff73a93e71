#pragma once
// "Customise Transfer Rates": the main window's rate table, edited in place.
// New, Edit and Remove are actions shared by the buttons and the list's
// context menu; the unlimited entry can be neither edited nor removed.

#include <QAction>
#include <QDialog>
#include <QIcon>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>

#include "settings/ShapingRateTable.h"
#include "config/windows/DialogRunner.h"

class TTransferRatesForm : public QDialog {
  Q_OBJECT
 public:
  // rowIcon is the image every row shows.
  TTransferRatesForm(QWidget* parent, TShapingRateTable& table, const QIcon& rowIcon);

  // Shows the rate editor; replaced by tests.
  TDialogRunner RunEditor = RunDialogModally;
  // Asks for a trace file in the editor; empty when the user cancels.
  std::function<QString()> AskTraceFile;

  TShapingRateTable& Table;
  QTreeWidget* ListView;
  QPushButton* CloseButton;
  QAction* ActionNew;
  QAction* ActionEdit;
  QAction* ActionRemove;
  QMenu* PopupMenu;

  // The table sorted and shown again, row for row.
  void RefreshList();
  // The table index of the selected row, or -1.
  int SelectedIndex() const;

  void ActionNewExecute();
  void ActionEditExecute();
  void ActionRemoveExecute();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ActionCanChange();

  QIcon FRowIcon;
};
