#include "config/windows/TransferRatesForm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "config/windows/TransferRatesFormEdit.h"
#include "widgets/MessageBoxes.h"

namespace {

QPushButton* ActionButton(QAction* action, QWidget* parent, const char* name) {
  auto* button = new QPushButton(action->text(), parent);
  button->setObjectName(QString::fromLatin1(name));
  QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
  QObject::connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
  return button;
}

}  // namespace

TTransferRatesForm::TTransferRatesForm(QWidget* parent, TShapingRateTable& table, const QIcon& rowIcon)
    : QDialog(parent), Table(table), FRowIcon(rowIcon) {
  setObjectName(QStringLiteral("TTransferRatesForm"));
  setWindowTitle(tr("Customise Transfer Rates"));

  ListView = new QTreeWidget(this);
  ListView->setObjectName(QStringLiteral("ListView"));
  ListView->setHeaderLabels({tr("Name"), tr("Speed Limit")});
  ListView->setRootIsDecorated(false);
  ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView->setContextMenuPolicy(Qt::CustomContextMenu);
  ListView->header()->resizeSection(0, 230);

  ActionNew = new QAction(tr("&New..."), this);
  ActionNew->setObjectName(QStringLiteral("ActionNew"));
  ActionEdit = new QAction(tr("&Edit..."), this);
  ActionEdit->setObjectName(QStringLiteral("ActionEdit"));
  ActionRemove = new QAction(tr("&Remove"), this);
  ActionRemove->setObjectName(QStringLiteral("ActionRemove"));
  PopupMenu = new QMenu(this);
  PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
  PopupMenu->addActions({ActionNew, ActionEdit, ActionRemove});

  CloseButton = new QPushButton(tr("&Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  CloseButton->setDefault(true);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ActionButton(ActionNew, this, "NewButton"));
  buttons->addWidget(ActionButton(ActionEdit, this, "EditButton"));
  buttons->addWidget(ActionButton(ActionRemove, this, "RemoveButton"));
  buttons->addStretch(1);
  buttons->addWidget(CloseButton);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(ListView, 1);
  layout->addLayout(buttons);
  resize(520, 320);

  connect(ActionNew, &QAction::triggered, this, &TTransferRatesForm::ActionNewExecute);
  connect(ActionEdit, &QAction::triggered, this, &TTransferRatesForm::ActionEditExecute);
  connect(ActionRemove, &QAction::triggered, this, &TTransferRatesForm::ActionRemoveExecute);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(ListView, &QTreeWidget::itemSelectionChanged, this, &TTransferRatesForm::ActionCanChange);
  connect(ListView, &QTreeWidget::itemDoubleClicked, this, [this] {
    if (ActionEdit->isEnabled()) ActionEdit->trigger();
  });
  connect(ListView, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu->popup(ListView->viewport()->mapToGlobal(at)); });

  RefreshList();
}

void TTransferRatesForm::showEvent(QShowEvent* event) {
  RefreshList();
  QDialog::showEvent(event);
}

void TTransferRatesForm::RefreshList() {
  Table.Sort();
  ListView->clear();
  for (size_t i = 0; i < Table.Count(); ++i) {
    auto* row = new QTreeWidgetItem(ListView);
    row->setText(0, QString::fromStdString(Table[i].Name));
    row->setText(1, QString::fromStdString(Table[i].DisplayText()));
    row->setIcon(0, FRowIcon);
  }
  ActionCanChange();
}

int TTransferRatesForm::SelectedIndex() const {
  const QList<QTreeWidgetItem*> selected = ListView->selectedItems();
  return selected.isEmpty() ? -1 : ListView->indexOfTopLevelItem(selected.first());
}

void TTransferRatesForm::ActionCanChange() {
  const int index = SelectedIndex();
  const bool changeable = index >= 0 && !Table[static_cast<size_t>(index)].IsUnlimited();
  ActionEdit->setEnabled(changeable);
  ActionRemove->setEnabled(changeable);
}

void TTransferRatesForm::ActionNewExecute() {
  TTransferRatesFormEdit editor(this, tr("New Transfer Rate"));
  editor.AskTraceFile = AskTraceFile;
  if (RunEditor(editor) != QDialog::Accepted) return;
  Table.Add(editor.Rate());
  RefreshList();
}

void TTransferRatesForm::ActionEditExecute() {
  const int index = SelectedIndex();
  if (index < 0 || Table[static_cast<size_t>(index)].IsUnlimited()) return;
  const TShapingRate& rate = Table[static_cast<size_t>(index)];
  TTransferRatesFormEdit editor(this, tr("Edit Transfer Rate"), rate.Name, rate.StorageText());
  editor.AskTraceFile = AskTraceFile;
  if (rate.HasTraces()) editor.ShowTraces(rate.InTracePath, rate.OutTracePath);
  if (RunEditor(editor) != QDialog::Accepted) return;
  Table.Replace(static_cast<size_t>(index), editor.Rate());
  RefreshList();
}

void TTransferRatesForm::ActionRemoveExecute() {
  const int index = SelectedIndex();
  if (index < 0 || Table[static_cast<size_t>(index)].IsUnlimited()) return;
  if (!MessageBoxes().AskYesNo(this, tr("Are you sure you want to remove the item?"))) return;
  Table.Delete(static_cast<size_t>(index));
  RefreshList();
}
