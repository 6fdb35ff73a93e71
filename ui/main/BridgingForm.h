#pragma once
// "Ethernet Bridge": whether two adapters are joined as a transparent bridge,
// and which. OK checks the choice and keeps the window open until it is
// usable; only then do the bridge settings change.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QStringList>

#include "config/windows/ModalCtrlFrame.h"
#include "engine/Simulation.h"

class TBridgingForm : public QDialog {
  Q_OBJECT
 public:
  // names: the adapters' display names, in the order of the adapter list.
  TBridgingForm(QWidget* parent, const TTcpAdapterList& adapters, const QStringList& names,
                const TBridgeSettings& bridge);

  // The settings as chosen; meaningful once the window closed with OK.
  TBridgeSettings Bridge() const;

  QCheckBox* CheckBoxEnableBridge;
  QComboBox* AdapterAComboBox;
  QLabel* LabelAnd;
  QComboBox* AdapterBComboBox;
  TModalCtrlFrame* ModalCtrlFrame;

  void ModalCtrlFrameOKButtonClick();

 private:
  QComboBox* MakeAdapterList(const char* name, const QStringList& names, const TAdapterName& stored);

  TTcpAdapterList FAdapters;
};
