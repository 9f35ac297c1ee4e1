#pragma once
// The application object: an error that escapes any event handler is shown in the standard
// error box and the program goes on.

#include <QApplication>

namespace tavlex {

class TavlexApplication : public QApplication {
 public:
  TavlexApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Start-up in order: the main window, the standards data module, the about box; then the
// message loop until the main window closes. Returns the exit status.
int RunWindow(int argc, char** argv, const std::string& driverName);

}  // namespace tavlex
