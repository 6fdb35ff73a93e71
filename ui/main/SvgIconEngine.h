#pragma once
// An icon drawn from its vector image at whatever size and density it is
// asked for, so toolbar and list icons stay sharp on every screen. The
// disabled look is the same drawing in grey at half strength.

#include <QByteArray>
#include <QIconEngine>

class TSvgIconEngine : public QIconEngine {
 public:
  explicit TSvgIconEngine(QByteArray svg) : FSvg(std::move(svg)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
  QIconEngine* clone() const override { return new TSvgIconEngine(FSvg); }

 private:
  QImage Render(const QSize& pixels, QIcon::Mode mode) const;

  QByteArray FSvg;
};
