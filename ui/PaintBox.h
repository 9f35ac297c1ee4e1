#pragma once
// The drawing surface PaintBox1: it only shows the composed paint-box image of AppState and
// reports mouse presses; composing happens in display/, on every path that changes the plot.

#include <QWidget>

#include "app/AppState.h"

namespace tavlex {

class PaintBoxWidget : public QWidget {
  Q_OBJECT
 public:
  PaintBoxWidget(const AppState& state, QWidget* parent);

 signals:
  void mouseDown(Qt::MouseButton button, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const AppState& state_;
};

// The up-down arrows of the VFS group: a position of their own, 1 to 22, wrapping around; each
// click reports whether that position went up (next) or down (previous).
class UpDownArrows : public QWidget {
  Q_OBJECT
 public:
  explicit UpDownArrows(QWidget* parent);
  int Position() const { return position_; }
  void ClickUp();
  void ClickDown();

 signals:
  void clicked(bool next);

 private:
  int position_ = 1;
};

}  // namespace tavlex
