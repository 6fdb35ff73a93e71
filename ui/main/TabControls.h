#pragma once
// The kinds of control the impairment tabs are built from, each made with
// its object name, range and step, and the enabling rule every tab with a
// check box follows.

#include <QAbstractButton>
#include <QColor>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QStringList>

#include "settings/SettingsModel.h"

// A length of the main window's design, drawn at 120 dots per inch, in
// device-independent pixels (96 per inch).
constexpr int Design120(int pixels) { return (pixels * 96 + 60) / 120; }

// The background of a field whose text is not a usable value.
inline const QColor kInvalidFieldColor(255, 0, 0);

// A digits field with its up-down control: the spin box carries the up-down
// control's name, its text field the field's name.
// Its range comes with the binding to its setting.
QSpinBox* MakeSpin(QWidget* parent, const char* editName, const char* upDownName, int step);

// A titled group of options in columns; the button ids are the positions.
QGroupBox* MakeChoiceGroup(QWidget* parent, const char* name, const QString& title, const QStringList& items,
                           int columns, QButtonGroup*& group);

QSlider* MakeTrackBar(QWidget* parent, const char* name);
// The share sliders run from 1 to their scale, a tick and a page every tenth.
void SetShareRange(QSlider* slider, uint32_t scale);

QLabel* MakeLabel(QWidget* parent, const char* name, Qt::Alignment alignment);
// A caption label for a field; Alt + its access key focuses the field.
QLabel* MakeCaption(QWidget* parent, const QString& text, QWidget* buddy);

// Puts a value into a control without running its change handling; the
// value comes back as the control holds it (clamped to its range).
void ShowValue(QSpinBox* spin, int& value);
void ShowValue(QSlider* slider, int& value);
void ShowChecked(QAbstractButton* button, bool checked);
void ShowChoice(QButtonGroup* group, int position);

// Every control on the tab, at any depth, labels included, except the check
// box itself, is enabled exactly when the check box is ticked.
void EnableTabControls(QWidget* tab, QAbstractButton* checkBox);
