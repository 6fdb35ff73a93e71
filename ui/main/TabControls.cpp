#include "ui/main/TabControls.h"

#include <QFrame>
#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

QSpinBox* MakeSpin(QWidget* parent, const char* editName, const char* upDownName, int step) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(upDownName));
  spin->findChild<QLineEdit*>()->setObjectName(QString::fromLatin1(editName));
  spin->setSingleStep(step);
  spin->setGroupSeparatorShown(false);
  spin->setAlignment(Qt::AlignRight);
  spin->setMinimumWidth(80);
  return spin;
}

QGroupBox* MakeChoiceGroup(QWidget* parent, const char* name, const QString& title, const QStringList& items,
                           int columns, QButtonGroup*& group) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(QString::fromLatin1(name));
  group = new QButtonGroup(box);
  group->setObjectName(QString::fromLatin1(name) + QStringLiteral("Buttons"));
  auto* layout = new QGridLayout(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], box);
    group->addButton(button, i);
    layout->addWidget(button, i / columns, i % columns);
  }
  return box;
}

QSlider* MakeTrackBar(QWidget* parent, const char* name) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(QString::fromLatin1(name));
  slider->setTickPosition(QSlider::TicksBelow);
  return slider;
}

void SetShareRange(QSlider* slider, uint32_t scale) {
  const QSignalBlocker quiet(slider);
  const int max = static_cast<int>(scale);
  const int tenth = max / 10 > 0 ? max / 10 : 1;
  slider->setRange(1, max);
  slider->setSingleStep(1);
  slider->setPageStep(tenth);
  slider->setTickInterval(tenth);
}

QLabel* MakeLabel(QWidget* parent, const char* name, Qt::Alignment alignment) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(alignment | Qt::AlignVCenter);
  return label;
}

QLabel* MakeCaption(QWidget* parent, const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

void ShowValue(QSpinBox* spin, int& value) {
  const QSignalBlocker quiet(spin);
  spin->setValue(value);
  value = spin->value();
}

void ShowValue(QSlider* slider, int& value) {
  const QSignalBlocker quiet(slider);
  slider->setValue(value);
  value = slider->value();
}

void ShowChecked(QAbstractButton* button, bool checked) {
  const QSignalBlocker quiet(button);
  button->setChecked(checked);
}

void ShowChoice(QButtonGroup* group, int position) {
  if (QAbstractButton* button = group->button(position)) ShowChecked(button, true);
}

namespace {

// Group boxes and plain panels hold controls; everything else is a control,
// whose own inner parts follow it.
bool IsContainer(const QWidget* widget) {
  const QMetaObject* kind = widget->metaObject();
  return qobject_cast<const QGroupBox*>(widget) != nullptr || kind == &QWidget::staticMetaObject ||
         kind == &QFrame::staticMetaObject;
}

void EnableControlsBelow(QWidget* parent, QAbstractButton* checkBox, bool enabled) {
  for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child == checkBox) continue;
    if (IsContainer(child) && child->isAncestorOf(checkBox)) {
      EnableControlsBelow(child, checkBox, enabled);
      continue;
    }
    child->setEnabled(enabled);
    if (IsContainer(child)) EnableControlsBelow(child, checkBox, enabled);
  }
}

}  // namespace

void EnableTabControls(QWidget* tab, QAbstractButton* checkBox) {
  EnableControlsBelow(tab, checkBox, checkBox->isChecked());
}
