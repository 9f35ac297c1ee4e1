#pragma once
// Building the setup dialogs' controls: each with its window-definition name, text and place.

#include <QString>
#include <QWidget>

namespace tavlex {

template <class W>
W* MakeControl(QWidget* parent, const char* name, const char* text, int x, int y, int w, int h) {
  auto* widget = new W(parent);
  widget->setObjectName(name);
  widget->setText(QString::fromLatin1(text));
  widget->setGeometry(x, y, w, h);
  return widget;
}

}  // namespace tavlex
