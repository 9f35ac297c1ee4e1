#include "ui/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavlex {

PaintBoxWidget::PaintBoxWidget(const AppState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaintBoxWidget::paintEvent(QPaintEvent*) {
  // After Exit the bitmaps are gone: nothing is drawn any more.
  if (!state_.bitmapsAlive || state_.paintBox.isNull()) return;
  QPainter p(this);
  p.drawImage(0, 0, state_.paintBox);
}

void PaintBoxWidget::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit mouseDown(event->button(), at.x(), at.y());
}

UpDownArrows::UpDownArrows(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* up = new QToolButton(this);
  up->setObjectName("UpDown1Up");
  up->setArrowType(Qt::UpArrow);
  auto* down = new QToolButton(this);
  down->setObjectName("UpDown1Down");
  down->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up, down}) {
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(b);
  }
  connect(up, &QToolButton::clicked, this, &UpDownArrows::ClickUp);
  connect(down, &QToolButton::clicked, this, &UpDownArrows::ClickDown);
}

void UpDownArrows::ClickUp() {
  if (position_ == 22) {
    position_ = 1;
    emit clicked(false);
  } else {
    ++position_;
    emit clicked(true);
  }
}

void UpDownArrows::ClickDown() {
  if (position_ == 1) {
    position_ = 22;
    emit clicked(true);
  } else {
    --position_;
    emit clicked(false);
  }
}

}  // namespace tavlex
