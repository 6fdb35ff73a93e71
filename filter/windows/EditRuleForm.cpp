#include "filter/windows/EditRuleForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "filter/windows/RuleSidePage.h"
#include "widgets/IPEdit.h"
#include "widgets/MessageBoxes.h"

namespace {

bool CanTakeFocus(const QWidget* widget) {
  if (auto* edit = qobject_cast<const TIPEdit*>(widget)) return edit->CanFocus();
  return widget->isEnabled() && widget->isVisible();
}

}  // namespace

TEditRuleForm::TEditRuleForm(TFilterSettings& filter, std::recursive_mutex& settingsLock, THWAddrLookup lookup,
                             QWidget* parent)
    : QDialog(parent), FFilter(filter), FSettingsLock(settingsLock) {
  FMacLookupDialog = [lookup = std::move(lookup)](QWidget* owner, THWAddr& HWAddr) {
    TLookupMacForm form(lookup, owner);
    if (form.exec() != QDialog::Accepted) return false;
    HWAddr = form.HWAddr();
    return true;
  };
  BuildControls();
  Load();
}

void TEditRuleForm::BuildControls() {
  setObjectName(QStringLiteral("EditRuleForm"));
  setWindowTitle(QStringLiteral("Filter Settings"));

  auto* general = new QWidget(this);
  general->setObjectName(QStringLiteral("GeneralPage"));
  auto* intro =
      new QLabel(QStringLiteral("Enable simulation only for specific protocols, networks or addresses."), general);
  intro->setWordWrap(true);
  FProtocolList = new QComboBox(general);
  FProtocolList->setObjectName(QStringLiteral("ProtocolCombobox"));
  for (int position = 0; position < kProtocolListCount; ++position)
    FProtocolList->addItem(kFilterProtocolLabels[ProtocolAtListPosition(position)]);
  FProtocolList->setMaxVisibleItems(kProtocolListCount);
  FVlanIdEdit = new QSpinBox(general);
  FVlanIdEdit->setObjectName(QStringLiteral("VlanIdEdit"));
  FVlanIdEdit->setRange(0, 4095);
  FVlanIdEdit->setGroupSeparatorShown(false);
  FVlanIdEdit->setMinimumWidth(FVlanIdEdit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 40);
  auto* fields = new QFormLayout;
  fields->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  fields->addRow(QStringLiteral("Protocol"), FProtocolList);
  fields->addRow(QStringLiteral("VLAN ID"), FVlanIdEdit);
  auto* generalLayout = new QVBoxLayout(general);
  generalLayout->addWidget(intro);
  generalLayout->addSpacing(8);
  generalLayout->addLayout(fields);
  generalLayout->addStretch();

  FSourcePage = new TRuleSidePage(pgSource, this);
  FDestinationPage = new TRuleSidePage(pgDestination, this);
  FPages = new QTabWidget(this);
  FPages->setObjectName(QStringLiteral("PageControl"));
  FPages->addTab(general, QStringLiteral("General"));
  FPages->addTab(FSourcePage, QStringLiteral("Source"));
  FPages->addTab(FDestinationPage, QStringLiteral("Destination"));

  FEnabledCheckBox = new QCheckBox(QStringLiteral("Enable this filter"), this);
  FEnabledCheckBox->setObjectName(QStringLiteral("EnableFilterCheckBox"));
  auto* okButton = new QPushButton(QStringLiteral("&OK"), this);
  okButton->setObjectName(QStringLiteral("OkButton"));
  okButton->setDefault(true);
  auto* cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
  cancelButton->setObjectName(QStringLiteral("CancelButton"));
  cancelButton->setAutoDefault(false);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(FEnabledCheckBox);
  bottom->addStretch();
  bottom->addWidget(okButton);
  bottom->addWidget(cancelButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FPages);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(FProtocolList, &QComboBox::currentIndexChanged, this, &TEditRuleForm::ProtocolChanged);
  connect(FSourcePage, &TRuleSidePage::MacLookupRequested, this, [this] { LookupMac(FSourcePage); });
  connect(FDestinationPage, &TRuleSidePage::MacLookupRequested, this, [this] { LookupMac(FDestinationPage); });
  connect(okButton, &QPushButton::clicked, this, &TEditRuleForm::accept);
  connect(cancelButton, &QPushButton::clicked, this, &TEditRuleForm::reject);
}

void TEditRuleForm::Load() {
  // A copy taken in one hold of the lock; the controls are filled from it
  // after the lock is released.
  TRuleEditorValues values;
  std::vector<std::string> groupNames;
  {
    std::lock_guard<std::recursive_mutex> guard(FSettingsLock);
    values = LoadRuleEditorValues(FFilter);
    for (int i = 0; i < FFilter.Groups.Count(); ++i) groupNames.push_back(FFilter.Groups.Name(i));
  }
  FEnabledCheckBox->setChecked(values.Enabled);
  {
    QSignalBlocker blocker(FProtocolList);
    FProtocolList->setCurrentIndex(values.ProtocolPosition);
  }
  FVlanIdEdit->setValue(values.VlanId);
  for (TRuleSidePage* side : {FSourcePage, FDestinationPage}) side->SetGroupNames(groupNames);
  FSourcePage->Load(values.Source);
  FDestinationPage->Load(values.Destination);
  ProtocolChanged();
}

TRuleEditorValues TEditRuleForm::Values() const {
  TRuleEditorValues values;
  values.Enabled = FEnabledCheckBox->isChecked();
  values.ProtocolPosition = FProtocolList->currentIndex();
  values.VlanId = static_cast<uint16_t>(FVlanIdEdit->value());
  values.Source = FSourcePage->Values();
  values.Destination = FDestinationPage->Values();
  return values;
}

void TEditRuleForm::ProtocolChanged() {
  const uint8_t protocol = ProtocolAtListPosition(FProtocolList->currentIndex());
  FSourcePage->SetProtocol(protocol);
  FDestinationPage->SetProtocol(protocol);
}

void TEditRuleForm::accept() {
  const TRuleEditorValues values = Values();
  if (std::optional<TRuleCheckFailure> failure = CheckRuleEditorValues(values)) {
    ShowFailure(*failure);
    return;
  }
  {
    std::lock_guard<std::recursive_mutex> guard(FSettingsLock);
    StoreRuleEditorValues(values, FFilter);
  }
  QDialog::accept();
}

void TEditRuleForm::ShowFailure(const TRuleCheckFailure& failure) {
  QWidget* field = nullptr;
  if (failure.Page != pgCurrent) {
    FPages->setCurrentIndex(failure.Page);
    TRuleSidePage* side = failure.Page == pgSource ? FSourcePage : FDestinationPage;
    if (failure.Page != pgGeneral) field = side->Field(failure.Field);
  }
  if (field && CanTakeFocus(field)) field->setFocus(Qt::OtherFocusReason);
  MessageBoxes().ShowError(this, QString::fromStdString(failure.Message));
}

void TEditRuleForm::LookupMac(TRuleSidePage* side) {
  THWAddr HWAddr;
  if (FMacLookupDialog(this, HWAddr)) side->SetMacText(QString::fromStdString(HWAddrToStr(HWAddr)));
}
