#include "config/windows/PresetsForm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "common/Assertion.h"
#include "settings/FormatBitRate.h"
#include "widgets/MessageBoxes.h"

TPresetsForm::TPresetsForm(QWidget* parent, const std::array<QIcon, 3>& kindIcons)
    : QDialog(parent), PresetList(kPresets.begin(), kPresets.end()) {
  setObjectName(QStringLiteral("TPresetsForm"));
  setWindowTitle(tr("Preset Parameters"));

  PresetListView = new QTreeWidget(this);
  PresetListView->setObjectName(QStringLiteral("PresetListView"));
  PresetListView->setHeaderLabels({tr("Preset Name"), tr("Speed Limit In"), tr("Speed Limit Out"),
                                   tr("Latency, ms"), tr("Loss, %")});
  PresetListView->setRootIsDecorated(false);
  PresetListView->setSelectionBehavior(QAbstractItemView::SelectRows);
  PresetListView->setSelectionMode(QAbstractItemView::SingleSelection);
  PresetListView->setEditTriggers(QAbstractItemView::NoEditTriggers);

  ApplyButton = new QPushButton(tr("&Apply"), this);
  ApplyButton->setObjectName(QStringLiteral("ApplyButton"));
  ApplyButton->setDefault(true);
  CancelButton = new QPushButton(tr("&Cancel"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ApplyButton);
  buttons->addWidget(CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PresetListView, 1);
  layout->addLayout(buttons);

  FillList(kindIcons);
  PresetListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  PresetListView->header()->setStretchLastSection(false);
  PresetListView->setMinimumWidth(660);
  setMinimumHeight(300);
  setSizeGripEnabled(false);

  connect(ApplyButton, &QPushButton::clicked, this, &TPresetsForm::ApplyButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TPresetsForm::FillList(const std::array<QIcon, 3>& kindIcons) {
  for (const TPresetItem& preset : PresetList) {
    OT_ASSERT(preset.Kind < kindIcons.size(), "Presets", "preset kind without an icon");
    auto* row = new QTreeWidgetItem(PresetListView);
    row->setText(0, QString::fromUtf8(preset.Name.data(), static_cast<qsizetype>(preset.Name.size())));
    row->setText(1, QString::fromStdString(FormatBitRate(static_cast<uint32_t>(preset.InRate))));
    row->setText(2, QString::fromStdString(FormatBitRate(static_cast<uint32_t>(preset.OutRate))));
    row->setText(3, QString::number(preset.Latency));
    row->setText(4, QString::number(preset.Loss));
    row->setIcon(0, kindIcons[preset.Kind]);
    for (int column = 1; column < 5; ++column) row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
}

void TPresetsForm::ApplyButtonClick() {
  const QList<QTreeWidgetItem*> selected = PresetListView->selectedItems();
  if (selected.isEmpty()) {
    MessageBoxes().ShowInfo(this, tr("Please select a preset configuration"));
    return;
  }
  Selected = PresetList[static_cast<size_t>(PresetListView->indexOfTopLevelItem(selected.first()))];
  accept();
}
