#pragma once
// The program's records hold 8-bit texts; an edit box's text as those bytes.

#include <QLineEdit>
#include <string>

namespace tavlex {

inline std::string Latin1(const QLineEdit* e) {
  return e->text().toLatin1().toStdString();
}

}  // namespace tavlex
