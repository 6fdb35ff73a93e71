#include "filter/windows/GroupsForm.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "filter/windows/AddIPForm.h"
#include "widgets/MessageBoxes.h"

namespace {

int SelectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

QListWidget* NewList(const char* objectName, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QLatin1String(objectName));
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  return list;
}

QPushButton* NewButton(const QString& caption, const char* objectName, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(objectName));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TGroupsForm::TGroupsForm(TFilterSettings& filter, std::recursive_mutex& settingsLock, QWidget* parent)
    : QDialog(parent), FFilter(filter), FSettingsLock(settingsLock), FAddressDialog(ExecuteAddIPForm) {
  {
    std::lock_guard<std::recursive_mutex> guard(FSettingsLock);
    FGroups.Assign(FFilter.Groups);
    FSourceGroupId = FFilter.Source.GroupId;
    FDestinationGroupId = FFilter.Destination.GroupId;
  }
  BuildControls();
  RefreshGroups();
}

void TGroupsForm::BuildControls() {
  setObjectName(QStringLiteral("GroupsForm"));
  setWindowTitle(QStringLiteral("Groups"));

  auto* groupsPanel = new QGroupBox(QStringLiteral("Groups"), this);
  groupsPanel->setObjectName(QStringLiteral("GroupsPanel"));
  FGroupList = NewList("GroupsListBox", groupsPanel);
  FNewGroupButton = NewButton(QStringLiteral("&New..."), "NewGroupButton", groupsPanel);
  FDeleteGroupButton = NewButton(QStringLiteral("&Delete"), "DeleteGroupButton", groupsPanel);
  auto* groupButtons = new QHBoxLayout;
  groupButtons->addWidget(FNewGroupButton);
  groupButtons->addWidget(FDeleteGroupButton);
  groupButtons->addStretch();
  auto* groupsLayout = new QVBoxLayout(groupsPanel);
  groupsLayout->addWidget(FGroupList);
  groupsLayout->addLayout(groupButtons);

  auto* addressesPanel = new QGroupBox(QStringLiteral("IP addresses"), this);
  addressesPanel->setObjectName(QStringLiteral("AddressesPanel"));
  FAddressList = NewList("AddressesListBox", addressesPanel);
  FAddIPv4Button = NewButton(QStringLiteral("Add IPv&4"), "AddIPv4Button", addressesPanel);
  FAddIPv6Button = NewButton(QStringLiteral("Add IPv&6"), "AddIPv6Button", addressesPanel);
  FDeleteAddressButton = NewButton(QStringLiteral("D&elete"), "DeleteAddressButton", addressesPanel);
  auto* addressButtons = new QHBoxLayout;
  addressButtons->addWidget(FAddIPv4Button);
  addressButtons->addWidget(FAddIPv6Button);
  addressButtons->addWidget(FDeleteAddressButton);
  addressButtons->addStretch();
  auto* addressesLayout = new QVBoxLayout(addressesPanel);
  addressesLayout->addWidget(FAddressList);
  addressesLayout->addLayout(addressButtons);

  // Every change takes effect when the window closes, so Close is its only
  // button.
  auto* closeButtons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  closeButtons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("CloseButton"));
  connect(closeButtons, &QDialogButtonBox::rejected, this, &TGroupsForm::reject);

  auto* panels = new QHBoxLayout;
  panels->addWidget(groupsPanel, 1);
  panels->addWidget(addressesPanel, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(panels);
  layout->addWidget(closeButtons);
  resize(560, 340);

  connect(FGroupList, &QListWidget::itemSelectionChanged, this, [this] {
    RefreshAddresses();
    UpdateButtons();
  });
  connect(FAddressList, &QListWidget::itemSelectionChanged, this, &TGroupsForm::UpdateButtons);
  connect(FGroupList, &QListWidget::itemDoubleClicked, this, &TGroupsForm::EditGroup);
  connect(FAddressList, &QListWidget::itemDoubleClicked, this, &TGroupsForm::EditAddress);
  connect(FNewGroupButton, &QPushButton::clicked, this, &TGroupsForm::NewGroup);
  connect(FDeleteGroupButton, &QPushButton::clicked, this, &TGroupsForm::DeleteGroup);
  connect(FAddIPv4Button, &QPushButton::clicked, this, [this] { AddAddress(atIPv4); });
  connect(FAddIPv6Button, &QPushButton::clicked, this, [this] { AddAddress(atIPv6); });
  connect(FDeleteAddressButton, &QPushButton::clicked, this, &TGroupsForm::DeleteAddress);
}

int TGroupsForm::SelectedGroup() const { return SelectedRow(FGroupList); }

int TGroupsForm::SelectedAddress() const { return SelectedGroup() < 0 ? -1 : SelectedRow(FAddressList); }

void TGroupsForm::RefreshGroups() {
  {
    QSignalBlocker blocker(FGroupList);
    FGroupList->clear();
    for (int i = 0; i < FGroups.Count(); ++i) FGroupList->addItem(QString::fromStdString(FGroups.Name(i)));
  }
  RefreshAddresses();
  UpdateButtons();
}

void TGroupsForm::RefreshAddresses() {
  QSignalBlocker blocker(FAddressList);
  FAddressList->clear();
  const int group = SelectedGroup();
  if (group >= 0)
    for (const TIPAddr& address : FGroups.GroupAddresses(group))
      FAddressList->addItem(QString::fromStdString(IPAddrToStr(address)));
  UpdateButtons();
}

void TGroupsForm::UpdateButtons() {
  const bool groupSelected = SelectedGroup() >= 0;
  FDeleteGroupButton->setEnabled(groupSelected);
  FAddIPv4Button->setEnabled(groupSelected);
  FAddIPv6Button->setEnabled(groupSelected);
  FDeleteAddressButton->setEnabled(SelectedAddress() >= 0);
}

void TGroupsForm::NewGroup() {
  QString name;
  if (!MessageBoxes().InputQuery(this, QStringLiteral("New Group"), QStringLiteral("Group Name"), name) ||
      name.isEmpty())
    return;
  const int position = FGroups.Add(name.toStdString());
  RefreshGroups();
  FGroupList->setCurrentRow(position);  // ready for its first address
}

void TGroupsForm::EditGroup() {
  const int group = SelectedGroup();
  if (group < 0) return;
  QString name = QString::fromStdString(FGroups.Name(group));
  if (!MessageBoxes().InputQuery(this, QStringLiteral("Edit Group"), QStringLiteral("Group Name"), name) ||
      name.isEmpty())
    return;
  FGroups.SetName(group, name.toStdString());
  FGroupList->item(group)->setText(name);
}

void TGroupsForm::DeleteGroup() {
  const int group = SelectedGroup();
  if (group < 0) return;
  // The rule's groups are protected whatever its address kinds are: a rule
  // switched back to "Group" must still find the group it named.
  if (group == FRenumbering.Renumbered(FSourceGroupId) || group == FRenumbering.Renumbered(FDestinationGroupId)) {
    MessageBoxes().ShowError(this, QStringLiteral("This group is being used in the filter and cannot be deleted"));
    return;
  }
  FGroups.Delete(group);
  FRenumbering.Deleted(group);
  RefreshGroups();
}

void TGroupsForm::AddAddress(TAddrType version) {
  const int group = SelectedGroup();
  if (group < 0) return;
  TIPAddr address = version == atIPv6 ? TIPAddr::Create(TIn6_addr()) : TIPAddr();
  if (!FAddressDialog(this, address)) return;
  FGroups.GroupAddresses(group).Add(address);
  RefreshAddresses();
}

void TGroupsForm::EditAddress() {
  const int group = SelectedGroup();
  const int index = SelectedAddress();
  if (index < 0) return;
  TIPAddr address = FGroups.GroupAddresses(group)[index];
  if (!FAddressDialog(this, address)) return;
  FGroups.GroupAddresses(group).Replace(index, address);
  FAddressList->item(index)->setText(QString::fromStdString(IPAddrToStr(address)));
}

void TGroupsForm::DeleteAddress() {
  const int group = SelectedGroup();
  const int index = SelectedAddress();
  if (index < 0) return;
  FGroups.GroupAddresses(group).Delete(index);
  RefreshAddresses();
}

void TGroupsForm::StoreGroups() {
  {
    std::lock_guard<std::recursive_mutex> guard(FSettingsLock);
    FFilter.Groups.Assign(FGroups);
    FFilter.Source.GroupId = FRenumbering.Renumbered(FFilter.Source.GroupId);
    FFilter.Destination.GroupId = FRenumbering.Renumbered(FFilter.Destination.GroupId);
  }
  // The rule's numbers now refer to the list as it stands.
  FSourceGroupId = FRenumbering.Renumbered(FSourceGroupId);
  FDestinationGroupId = FRenumbering.Renumbered(FDestinationGroupId);
  FRenumbering.Reset();
}

void TGroupsForm::done(int result) {
  StoreGroups();
  QDialog::done(result);
}
