#pragma once
// Building controls as the window definitions give them: each with its definition name (tests
// find it by that name), caption and place. The main window and every dialog use these.

#include <QGroupBox>
#include <QLabel>
#include <QString>
#include <QTabWidget>
#include <QWidget>

namespace tavlex {

template <class W>
W* MakeAt(QWidget* parent, const QString& name, int x, int y, int w, int h) {
  auto* widget = new W(parent);
  widget->setObjectName(name);
  widget->setGeometry(x, y, w, h);
  return widget;
}

// A control with a caption or text; captions are ASCII, texts of records Latin-1.
template <class W>
W* MakeControl(QWidget* parent, const QString& name, const QString& text, int x, int y, int w,
               int h) {
  W* widget = MakeAt<W>(parent, name, x, y, w, h);
  widget->setText(text);
  return widget;
}

// A label as wide as its caption (or `w` when given).
inline QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y,
                         int w = 0) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->adjustSize();
  label->move(x, y);
  if (w > 0) label->resize(w, label->height());
  return label;
}

inline QGroupBox* MakeGroup(QWidget* parent, const QString& name, const QString& title, int x,
                            int y, int w, int h) {
  auto* group = MakeAt<QGroupBox>(parent, name, x, y, w, h);
  group->setTitle(title);
  return group;
}

inline QWidget* MakePage(QTabWidget* tabs, const QString& name, const QString& caption) {
  auto* page = new QWidget;
  page->setObjectName(name);
  tabs->addTab(page, caption);
  return page;
}

}  // namespace tavlex
