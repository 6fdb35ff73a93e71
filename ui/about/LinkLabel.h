#pragma once
// A label that reads as a link (underlined, navy, hand cursor) and reports a
// click with the left button.
#include <QLabel>

class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};
