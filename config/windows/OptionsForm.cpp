#include "config/windows/OptionsForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "common/Assertion.h"

int32_t ReadScaleValue(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  return ok ? value : 0;
}

namespace {

// A titled group of options side by side; the button ids are the positions.
QGroupBox* OptionGroup(QWidget* parent, const char* name, const QString& title, const QStringList& items,
                       QButtonGroup*& group) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(QString::fromLatin1(name));
  group = new QButtonGroup(box);
  auto* layout = new QHBoxLayout(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], box);
    group->addButton(button, i);
    layout->addWidget(button, 1);
  }
  return box;
}

void CheckGraphChoice(int value) {
  OT_ASSERT(value == 0 || value == 1, "GUIMain", "graph option outside 0 and 1");
}

}  // namespace

TOptionsForm::TOptionsForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TOptionsForm"));
  setWindowTitle(tr("Options"));

  GraphUnitRadio = OptionGroup(this, "GraphUnitRadio", tr("Graph unit"), {tr("Bit/s"), tr("Byte/s")}, GraphUnitGroup);
  GraphTypeRadio =
      OptionGroup(this, "GraphTypeRadio", tr("Graph type"), {tr("Histogram"), tr("Polyline")}, GraphTypeGroup);
  ModalCtrlFrame = new TModalCtrlFrame(this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GraphUnitRadio);
  layout->addWidget(GraphTypeRadio);
  layout->addWidget(BuildScaleBox());
  layout->addWidget(BuildQueueBox());
  layout->addSpacing(6);
  layout->addWidget(ModalCtrlFrame);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(300);

  connect(GraphUnitGroup, &QButtonGroup::idClicked, this, &TOptionsForm::GraphUnitRadioClick);
  connect(GraphTypeGroup, &QButtonGroup::idClicked, this, &TOptionsForm::GraphUnitRadioClick);
  connect(ModalCtrlFrame, &TModalCtrlFrame::OKClicked, this, &QDialog::accept);
}

QWidget* TOptionsForm::BuildScaleBox() {
  auto* box = new QGroupBox(tr("Graph scale"), this);
  box->setObjectName(QStringLiteral("ScaleGroupBox"));
  ScaleAutoRadioButton = new QRadioButton(tr("Automatic"), box);
  ScaleAutoRadioButton->setObjectName(QStringLiteral("ScaleAutoRadioButton"));
  ScaleFixedRadioButton = new QRadioButton(tr("Fixed"), box);
  ScaleFixedRadioButton->setObjectName(QStringLiteral("ScaleFixedRadioButton"));
  ScaleEdit = new QLineEdit(box);
  ScaleEdit->setObjectName(QStringLiteral("ScaleEdit"));
  ScaleEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), ScaleEdit));
  ScaleLabel = new QLabel(box);
  ScaleLabel->setObjectName(QStringLiteral("ScaleLabel"));
  ScaleLabel->setBuddy(ScaleEdit);

  auto* layout = new QGridLayout(box);
  layout->addWidget(ScaleAutoRadioButton, 0, 0);
  layout->addWidget(ScaleFixedRadioButton, 1, 0);
  layout->addWidget(ScaleLabel, 0, 1);
  layout->addWidget(ScaleEdit, 1, 1);
  layout->setColumnStretch(1, 1);
  return box;
}

QWidget* TOptionsForm::BuildQueueBox() {
  auto* box = new QGroupBox(tr("Queue size"), this);
  box->setObjectName(QStringLiteral("QueueGroupBox"));
  udMaxQueueSize = new QSpinBox(box);
  udMaxQueueSize->setObjectName(QStringLiteral("udMaxQueueSize"));
  udMaxQueueSize->findChild<QLineEdit*>()->setObjectName(QStringLiteral("leMaxQueueSize"));
  udMaxQueueSize->setRange(kMinQueueSizeOption, kMaxQueueSizeOption);
  udMaxQueueSize->setSingleStep(kQueueSizeOptionStep);
  udMaxQueueSize->setGroupSeparatorShown(false);
  auto* label = new QLabel(tr("Maximum queue size"), box);
  label->setBuddy(udMaxQueueSize);

  auto* layout = new QHBoxLayout(box);
  layout->addWidget(label, 1);
  layout->addWidget(udMaxQueueSize);
  return box;
}

void TOptionsForm::showEvent(QShowEvent* event) {
  GraphUnitRadioClick();
  QDialog::showEvent(event);
}

void TOptionsForm::GraphUnitRadioClick() {
  QAbstractButton* unit = GraphUnitGroup->checkedButton();
  ScaleLabel->setText(tr("Max Rate (%1)").arg(unit ? unit->text() : QString()));
}

void TOptionsForm::Fill(const TPersistentSettings& settings) {
  CheckGraphChoice(settings.GraphUnit);
  CheckGraphChoice(settings.GraphType);
  GraphUnitGroup->button(settings.GraphUnit)->setChecked(true);
  GraphTypeGroup->button(settings.GraphType)->setChecked(true);
  (settings.GraphAutoScale ? ScaleAutoRadioButton : ScaleFixedRadioButton)->setChecked(true);
  ScaleEdit->setText(QString::number(settings.AutoScaleValue));
  udMaxQueueSize->setValue(settings.MaxQueueSize);  // QSpinBox clamps to its range
  GraphUnitRadioClick();
}

void TOptionsForm::Take(TPersistentSettings& settings) const {
  const int unit = GraphUnitGroup->checkedId();
  const int type = GraphTypeGroup->checkedId();
  CheckGraphChoice(unit);
  CheckGraphChoice(type);
  settings.GraphUnit = static_cast<uint8_t>(unit);
  settings.GraphType = static_cast<uint8_t>(type);
  settings.GraphAutoScale = ScaleAutoRadioButton->isChecked();
  settings.AutoScaleValue = ReadScaleValue(ScaleEdit->text());
  settings.MaxQueueSize = udMaxQueueSize->value();
}
