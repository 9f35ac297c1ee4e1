#include "ui/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace tavlex {
namespace {
std::function<void(const QString&)>& Reporter() {
  static std::function<void(const QString&)> reporter;
  return reporter;
}
}  // namespace

void SetErrorBoxReporter(std::function<void(const QString&)> reporter) {
  Reporter() = std::move(reporter);
}

void ShowErrorBox(QWidget* parent, const QString& message) {
  if (Reporter()) {
    Reporter()(message);
    return;
  }
  QMessageBox::critical(parent, QApplication::applicationName(), message);
}

}  // namespace tavlex
