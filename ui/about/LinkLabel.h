#pragma once
// A label that reads as a link (underlined, navy, hand cursor) and reports a
// click with the left button. It takes the focus with Tab, shows it with a
// focus frame, and Enter or Space opens it as a click does.
#include <QLabel>

class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};
