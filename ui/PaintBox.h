#pragma once
// The drawing surface PaintBox1: it only shows the composed paint-box image of AppState and
// reports mouse presses; composing happens in display/.

#include <QWidget>
#include <functional>

#include "app/AppState.h"

namespace tavlex {

class PaintBoxWidget : public QWidget {
  Q_OBJECT
 public:
  PaintBoxWidget(const AppState& state, QWidget* parent);
  // Runs on every paint request of the toolkit before the picture is shown, so that the
  // spectrum is composed afresh after a layout change or an uncovering.
  void SetPaintHandler(std::function<void()> handler) { paintHandler_ = std::move(handler); }
  bool Painting() const { return painting_; }

 signals:
  void mouseDown(Qt::MouseButton button, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const AppState& state_;
  std::function<void()> paintHandler_;
  bool painting_ = false;
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
