#pragma once
// The application object: an error that escapes any event handler is shown in the standard
// error box and the program goes on.

#include <QApplication>

#include "link/Driver.h"

namespace tavlex {

class TavlexApplication : public QApplication {
 public:
  TavlexApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Start-up in order: the main window on the given driver, the standards data module, the about
// box; then the message loop until the main window closes. Returns the exit status.
int RunWindow(int argc, char** argv, Driver& driver);

}  // namespace tavlex
