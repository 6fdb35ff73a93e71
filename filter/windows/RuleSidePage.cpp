#include "filter/windows/RuleSidePage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/Assertion.h"
#include "widgets/IPEdit.h"
#include "widgets/MessageBoxes.h"

namespace {

constexpr const char* kUnit = "EditRule";

// The address kinds in the order of their radio buttons, with the radio
// buttons' object names.
struct TAddressKindRow {
  TFilterAddrType Kind;
  const char* Name;
};
constexpr TAddressKindRow kAddressKindRows[] = {
    {akLocalHost, "LocalHostRadio"}, {akMac, "MacRadio"},     {akSingleIP, "SingleIPRadio"},
    {akIPRange, "IPRangeRadio"},     {akAnyIP, "AnyIPRadio"}, {akGroup, "GroupRadio"},
};
constexpr int kMacRow = 1, kSingleRow = 2, kRangeRow = 3, kGroupRow = 5;

constexpr const char* kPortKindNames[kFilterPortTypeCount] = {
    "AnyPortRadio", "SinglePortRadio", "PortRangeRadio", "PortListRadio"};

constexpr int kPortTextWidth = 80;

template <typename T>
T* Named(T* widget, const QString& prefix, const char* name) {
  widget->setObjectName(prefix + QLatin1String(name));
  return widget;
}

bool CanTakeFocus(const QWidget* widget) { return widget->isEnabled() && widget->isVisible(); }

// Each field of a kind's row shows only for that kind; the row keeps its
// place meanwhile so that the radio buttons never move.
void KeepPlaceWhenHidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

}  // namespace

TRuleSidePage::TRuleSidePage(TRulePage side, QWidget* parent) : QWidget(parent) {
  OT_ASSERT(side == pgSource || side == pgDestination, kUnit, "invalid side");
  const bool source = side == pgSource;
  const QString prefix = source ? QStringLiteral("Source") : QStringLiteral("Destination");
  setObjectName(prefix + QLatin1String("Page"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildAddressPanel(prefix, source ? QStringLiteral("Source address")
                                                     : QStringLiteral("Destination address")));
  layout->addWidget(
      BuildPortPanel(prefix, source ? QStringLiteral("Source port") : QStringLiteral("Destination port")));
  layout->addStretch();

  UpdateAddressVisibility();
  UpdateEnabling();
}

QGroupBox* TRuleSidePage::BuildAddressPanel(const QString& prefix, const QString& caption) {
  FAddressPanel = Named(new QGroupBox(caption, this), prefix, "AddressPanel");
  auto* grid = new QGridLayout(FAddressPanel);
  FAddressKinds = new QButtonGroup(this);
  for (int row = 0; row < int(std::size(kAddressKindRows)); ++row) {
    const TAddressKindRow& kind = kAddressKindRows[row];
    auto* radio = Named(new QRadioButton(kFilterAddrTypeLabels[kind.Kind], FAddressPanel), prefix, kind.Name);
    FAddressKinds->addButton(radio, kind.Kind);
    grid->addWidget(radio, row, 0);
  }
  FAddressKinds->button(akLocalHost)->setChecked(true);

  FMacEdit = Named(new QLineEdit(FAddressPanel), prefix, "MacEdit");
  FMacEdit->setMaxLength(12);
  FMacEdit->setFixedWidth(FMacEdit->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDDDDDDDD")) + 12);
  FMacLookupButton = Named(new QToolButton(FAddressPanel), prefix, "MacLookupButton");
  FMacLookupButton->setText(QStringLiteral("..."));
  FMacLookupButton->setFixedSize(FMacEdit->sizeHint().height(), FMacEdit->sizeHint().height());
  auto* macRow = new QHBoxLayout;
  macRow->addWidget(FMacEdit);
  macRow->addWidget(FMacLookupButton);
  macRow->addStretch();
  grid->addLayout(macRow, kMacRow, 1);

  FFromLabel = Named(new QLabel(QStringLiteral("From"), FAddressPanel), prefix, "FromLabel");
  FToLabel = Named(new QLabel(QStringLiteral("To"), FAddressPanel), prefix, "ToLabel");
  FFirstIPv4Edit = Named(new TIPv4Edit(FAddressPanel), prefix, "FirstIPv4Edit");
  FFirstIPv6Edit = Named(new TIPv6Edit(FAddressPanel), prefix, "FirstIPv6Edit");
  FLastIPv4Edit = Named(new TIPv4Edit(FAddressPanel), prefix, "LastIPv4Edit");
  FLastIPv6Edit = Named(new TIPv6Edit(FAddressPanel), prefix, "LastIPv6Edit");
  const int labelWidth = std::max(FFromLabel->sizeHint().width(), FToLabel->sizeHint().width());
  for (QLabel* label : {FFromLabel, FToLabel}) {
    label->setFixedWidth(labelWidth);
    KeepPlaceWhenHidden(label);
  }
  auto* singleRow = new QHBoxLayout;
  singleRow->addWidget(FFromLabel);
  singleRow->addWidget(FFirstIPv4Edit);
  singleRow->addWidget(FFirstIPv6Edit, 1);
  singleRow->addStretch();
  grid->addLayout(singleRow, kSingleRow, 1);
  auto* rangeRow = new QHBoxLayout;
  rangeRow->addWidget(FToLabel);
  rangeRow->addWidget(FLastIPv4Edit);
  rangeRow->addWidget(FLastIPv6Edit, 1);
  rangeRow->addStretch();
  grid->addLayout(rangeRow, kRangeRow, 1);

  FGroupList = Named(new QComboBox(FAddressPanel), prefix, "GroupCombobox");
  FGroupList->setMaxVisibleItems(20);
  FGroupList->setMinimumContentsLength(24);
  auto* groupRow = new QHBoxLayout;
  groupRow->addWidget(FGroupList);
  groupRow->addStretch();
  grid->addLayout(groupRow, kGroupRow, 1);

  // Rows as high as their tallest field, shown or not, and a column wide
  // enough for the widest: switching kinds moves nothing.
  const int rowHeight = std::max({FMacEdit->sizeHint().height(), FFirstIPv4Edit->sizeHint().height(),
                                  FFirstIPv6Edit->sizeHint().height(), FGroupList->sizeHint().height()});
  for (int row = 0; row < int(std::size(kAddressKindRows)); ++row) grid->setRowMinimumHeight(row, rowHeight);
  grid->setColumnMinimumWidth(1, labelWidth + 6 + FFirstIPv6Edit->sizeHint().width());
  grid->setColumnStretch(1, 1);

  connect(FAddressKinds, &QButtonGroup::idClicked, this, &TRuleSidePage::UpdateAddressVisibility);
  connect(FMacLookupButton, &QToolButton::clicked, this, &TRuleSidePage::MacLookupRequested);
  return FAddressPanel;
}

QGroupBox* TRuleSidePage::BuildPortPanel(const QString& prefix, const QString& caption) {
  FPortPanel = Named(new QGroupBox(caption, this), prefix, "PortPanel");
  FPortKinds = new QButtonGroup(this);
  auto* radios = new QVBoxLayout;
  for (int kind = 0; kind < kFilterPortTypeCount; ++kind) {
    auto* radio = Named(new QRadioButton(kFilterPortTypeLabels[kind], FPortPanel), prefix, kPortKindNames[kind]);
    FPortKinds->addButton(radio, kind);
    radios->addWidget(radio);
  }
  radios->addStretch();
  FPortKinds->button(ptAny)->setChecked(true);

  FPortPages = Named(new QStackedWidget(FPortPanel), prefix, "PortPages");
  FPortPages->addWidget(new QWidget(FPortPages));  // "Any" has nothing to enter

  auto* singlePage = new QWidget(FPortPages);
  FPortEdit = Named(new QLineEdit(singlePage), prefix, "PortEdit");
  FPortEdit->setFixedWidth(kPortTextWidth);
  auto* singleLayout = new QHBoxLayout(singlePage);
  singleLayout->addWidget(FPortEdit, 0, Qt::AlignTop);
  singleLayout->addStretch();
  FPortPages->addWidget(singlePage);

  auto* rangePage = new QWidget(FPortPages);
  FPortFromEdit = Named(new QLineEdit(rangePage), prefix, "PortFromEdit");
  FPortToEdit = Named(new QLineEdit(rangePage), prefix, "PortToEdit");
  auto* rangeLayout = new QGridLayout(rangePage);
  rangeLayout->addWidget(new QLabel(QStringLiteral("From"), rangePage), 0, 0);
  rangeLayout->addWidget(FPortFromEdit, 0, 1);
  rangeLayout->addWidget(new QLabel(QStringLiteral("To"), rangePage), 1, 0);
  rangeLayout->addWidget(FPortToEdit, 1, 1);
  for (QLineEdit* edit : {FPortFromEdit, FPortToEdit}) edit->setFixedWidth(kPortTextWidth);
  rangeLayout->setColumnStretch(2, 1);
  rangeLayout->setRowStretch(2, 1);
  FPortPages->addWidget(rangePage);

  auto* listPage = new QWidget(FPortPages);
  FPortList = Named(new QListWidget(listPage), prefix, "PortListBox");
  FPortList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  FPortList->setFixedWidth(kPortTextWidth + 40);
  FAddPortButton = Named(new QPushButton(QStringLiteral("Add"), listPage), prefix, "AddPortButton");
  FRemovePortButton = Named(new QPushButton(QStringLiteral("Remove"), listPage), prefix, "RemovePortButton");
  for (QPushButton* button : {FAddPortButton, FRemovePortButton}) button->setAutoDefault(false);
  auto* listButtons = new QVBoxLayout;
  listButtons->addWidget(FAddPortButton);
  listButtons->addWidget(FRemovePortButton);
  listButtons->addStretch();
  auto* listLayout = new QHBoxLayout(listPage);
  listLayout->addWidget(FPortList);
  listLayout->addLayout(listButtons);
  listLayout->addStretch();
  FPortPages->addWidget(listPage);
  FPortPages->setFixedHeight(110);

  auto* layout = new QHBoxLayout(FPortPanel);
  layout->addLayout(radios);
  layout->addSpacing(12);
  layout->addWidget(FPortPages, 1);

  connect(FPortKinds, &QButtonGroup::idClicked, this, [this](int kind) {
    ShowPortPage(kind);
    QWidget* first = kind == ptSingle ? FPortEdit : kind == ptRange ? FPortFromEdit : nullptr;
    if (first && CanTakeFocus(first)) first->setFocus(Qt::OtherFocusReason);
  });
  connect(FAddPortButton, &QPushButton::clicked, this, &TRuleSidePage::AddPort);
  connect(FRemovePortButton, &QPushButton::clicked, this, &TRuleSidePage::RemovePorts);
  return FPortPanel;
}

void TRuleSidePage::SetGroupNames(const std::vector<std::string>& names) {
  FGroupList->clear();
  for (const std::string& name : names) FGroupList->addItem(QString::fromStdString(name));
  FGroupList->setCurrentIndex(-1);
}

void TRuleSidePage::Load(const TRuleSideValues& values) {
  OT_ASSERT(values.AddrType < kFilterAddrTypeCount, kUnit, "invalid address type");
  OT_ASSERT(values.PortType < kFilterPortTypeCount, kUnit, "invalid port type");
  FAddressKinds->button(values.AddrType)->setChecked(true);
  const std::pair<TIPEdit*, const TAddressFieldValue*> fields[] = {
      {FFirstIPv4Edit, &values.IPv4First},
      {FLastIPv4Edit, &values.IPv4Last},
      {FFirstIPv6Edit, &values.IPv6First},
      {FLastIPv6Edit, &values.IPv6Last},
  };
  for (auto [edit, value] : fields) {
    if (value->Empty)
      edit->Clear();  // blank rather than the zeros of the empty address
    else
      edit->SetEditAddr(value->Addr);
  }
  FMacEdit->setText(QString::fromStdString(values.MacText));
  const bool groupExists = values.GroupPosition >= 0 && values.GroupPosition < FGroupList->count();
  FGroupList->setCurrentIndex(groupExists ? values.GroupPosition : -1);

  FPortKinds->button(values.PortType)->setChecked(true);
  ShowPortPage(values.PortType);
  FPortEdit->setText(QString::fromStdString(values.SinglePort));
  FPortFromEdit->setText(QString::fromStdString(values.PortFrom));
  FPortToEdit->setText(QString::fromStdString(values.PortTo));
  FPortList->clear();
  for (const std::string& port : values.PortList) FPortList->addItem(QString::fromStdString(port));
  UpdateAddressVisibility();
}

TRuleSideValues TRuleSidePage::Values() const {
  TRuleSideValues values;
  values.AddrType = static_cast<uint8_t>(FAddressKinds->checkedId());
  values.IPv4First = {FFirstIPv4Edit->EditAddr(), FFirstIPv4Edit->IsEmpty()};
  values.IPv4Last = {FLastIPv4Edit->EditAddr(), FLastIPv4Edit->IsEmpty()};
  values.IPv6First = {FFirstIPv6Edit->EditAddr(), FFirstIPv6Edit->IsEmpty()};
  values.IPv6Last = {FLastIPv6Edit->EditAddr(), FLastIPv6Edit->IsEmpty()};
  values.MacText = FMacEdit->text().toStdString();
  values.GroupPosition = FGroupList->currentIndex();
  values.PortType = static_cast<uint8_t>(FPortKinds->checkedId());
  values.SinglePort = FPortEdit->text().toStdString();
  values.PortFrom = FPortFromEdit->text().toStdString();
  values.PortTo = FPortToEdit->text().toStdString();
  for (int i = 0; i < FPortList->count(); ++i) values.PortList.push_back(FPortList->item(i)->text().toStdString());
  return values;
}

void TRuleSidePage::SetProtocol(uint8_t protocol) {
  FProtocol = protocol;
  UpdateAddressVisibility();
  UpdateEnabling();
}

void TRuleSidePage::SetMacText(const QString& text) { FMacEdit->setText(text); }

QWidget* TRuleSidePage::Field(TRuleField field) const {
  switch (field) {
    case TRuleField::None: return nullptr;
    case TRuleField::MacAddress: return FMacEdit;
    case TRuleField::GroupList: return FGroupList;
    case TRuleField::FirstIPv4: return FFirstIPv4Edit;
    case TRuleField::LastIPv4: return FLastIPv4Edit;
    case TRuleField::FirstIPv6: return FFirstIPv6Edit;
    case TRuleField::LastIPv6: return FLastIPv6Edit;
    case TRuleField::SinglePort: return FPortEdit;
    case TRuleField::PortFrom: return FPortFromEdit;
    case TRuleField::PortTo: return FPortToEdit;
    case TRuleField::AddPort: return FAddPortButton;
  }
  return nullptr;
}

void TRuleSidePage::UpdateAddressVisibility() {
  for (QWidget* extra : std::initializer_list<QWidget*>{FMacEdit, FMacLookupButton, FFromLabel, FToLabel,
                                                         FFirstIPv4Edit, FFirstIPv6Edit, FLastIPv4Edit,
                                                         FLastIPv6Edit, FGroupList})
    extra->hide();
  const bool ipv4 = IsIPv4Protocol(FProtocol), ipv6 = IsIPv6Protocol(FProtocol);
  switch (FAddressKinds->checkedId()) {
    case akMac:
      FMacEdit->show();
      FMacLookupButton->show();
      break;
    case akSingleIP:
      FFirstIPv4Edit->setVisible(ipv4);
      FFirstIPv6Edit->setVisible(ipv6);
      break;
    case akIPRange:
      FFirstIPv4Edit->setVisible(ipv4);
      FFirstIPv6Edit->setVisible(ipv6);
      FLastIPv4Edit->setVisible(ipv4);
      FLastIPv6Edit->setVisible(ipv6);
      FFromLabel->show();
      FToLabel->show();
      break;
    case akGroup:
      FGroupList->show();
      break;
  }
}

void TRuleSidePage::UpdateEnabling() {
  FAddressPanel->setEnabled(IsIPv4Protocol(FProtocol) || IsIPv6Protocol(FProtocol));
  FPortPanel->setEnabled(IsPortProtocol(FProtocol));
}

void TRuleSidePage::ShowPortPage(int portType) { FPortPages->setCurrentIndex(portType); }

void TRuleSidePage::AddPort() {
  QString text;
  if (!MessageBoxes().InputQuery(this, QStringLiteral("Add port"), QStringLiteral("Enter a port number"), text))
    return;
  uint16_t port;
  if (!ParsePortNumber(text.toStdString(), port)) return;  // not a port: ignored without a word
  FPortList->addItem(text.trimmed());
}

void TRuleSidePage::RemovePorts() { qDeleteAll(FPortList->selectedItems()); }
