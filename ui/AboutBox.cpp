// The about box TMcaAbout (window definition unit Helpabout).

#include "ui/AboutBox.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace tavlex {

QPixmap DrawInstrumentIcon(int width, int height) {
  QPixmap pm(width, height);
  pm.fill(QColor(0xF0, 0xF0, 0xF0));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, false);
  // Cabinet, screen and two knobs.
  p.setPen(QColor(0x40, 0x40, 0x40));
  p.setBrush(QColor(0xB8, 0xC4, 0xCC));
  p.drawRect(2, 8, width - 5, height - 12);
  p.setBrush(Qt::black);
  const QRect screen(8, 14, width - 30, height - 26);
  p.drawRect(screen);
  p.setBrush(QColor(0x60, 0x60, 0x60));
  p.drawEllipse(width - 18, 18, 10, 10);
  p.drawEllipse(width - 18, 36, 10, 10);
  // A small spectrum with two peaks on the screen.
  p.setPen(QColor(0x00, 0xFF, 0x00));
  QPoint last(screen.left() + 1, screen.bottom() - 1);
  for (int x = screen.left() + 1; x < screen.right(); ++x) {
    const double t = double(x - screen.left()) / screen.width();
    const double y = 0.15 + 0.75 * std::exp(-std::pow((t - 0.35) / 0.04, 2)) +
                     0.45 * std::exp(-std::pow((t - 0.68) / 0.05, 2)) + 0.08 * (1 - t);
    const QPoint next(x, screen.bottom() - 1 - int(y * (screen.height() - 3)));
    p.drawLine(last, next);
    last = next;
  }
  // The USB cable.
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2));
  p.drawLine(width / 2, 8, width / 2, 2);
  return pm;
}

TMcaAbout::TMcaAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("McaAbout");
  setWindowTitle("McaAbout");
  setFixedSize(270, 134);
  auto label = [this](const char* name, const QString& text, int x, int y) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    l->adjustSize();
    l->move(x, y);
    return l;
  };
  Image1 = label("Image1", QString(), 8, 8);
  Image1->setGeometry(8, 8, 96, 76);
  Image1->setPixmap(DrawInstrumentIcon(96, 76));
  Label2 = label("Label2", "TAVLEX.EXE", 136, 10);
  QFont bold = Label2->font();
  bold.setBold(true);
  bold.setPixelSize(15);
  Label2->setFont(bold);
  Label2->adjustSize();
  Label3 = label("Label3", "Version: 1.0  2018/8/11", 128, 32);
  Label4 = label("Label4", "UpDate and DownLoad:", 128, 52);
  Label5 = label("Label5", "https://tavlex.example.org", 128, 64);
  // The address is longer than the texts above it: moved left, short of the picture, as far as
  // it needs to end inside the box.
  Label5->move(std::clamp(width() - 4 - Label5->width(), 108, 128), 64);
  Label1 = label("Label1", "Copyright (C) Orvanel Co., Ltd.", 32, 90);
  Label1->setFixedWidth(222);
  Label1->setAlignment(Qt::AlignHCenter);
  Button1 = new QPushButton("OK", this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(96, 110, 75, 20);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, [this] { done(1); });
}

}  // namespace tavlex
