#pragma once
// TfmWaitForm: the small borderless window that says what the program is
// waiting for (the program's icon on the left, FInfo's text centred).
#include <QFrame>

class QLabel;

class TfmWaitForm : public QFrame {
  Q_OBJECT

 public:
  explicit TfmWaitForm(QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString Text() const;

 private:
  QLabel* FInfo = nullptr;
};
