#pragma once
// The OK and Cancel buttons at the foot of a dialog. OK runs the dialog's
// own check (OKClicked); Cancel rejects the dialog.

#include <QPushButton>
#include <QWidget>

class TModalCtrlFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TModalCtrlFrame(QWidget* parent);

  QPushButton* OKButton;
  QPushButton* CancelButton;

 signals:
  void OKClicked();
};
