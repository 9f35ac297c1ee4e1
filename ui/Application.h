#pragma once
// The application object: an error that escapes any event handler is shown in the standard
// error box and the program goes on.

#include <QApplication>
#include <QString>

#include "link/Driver.h"

namespace tavlex {

class TForm1;

class TavlexApplication : public QApplication {
 public:
  TavlexApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Start-up in order: the main window on the given driver, the standards data module, the about
// box; then the message loop until the main window closes. Returns the exit status. A spectrum
// file named on the command line (`spectrumFile`, empty for none) is read once the loop runs.
int RunWindow(int argc, char** argv, Driver& driver, const QString& spectrumFile = {});

// Reads `path` (relative to the working folder, or absolute) into the window as File -> Read
// does when its dialog returns that file; the window's dialogs are asked again afterwards.
void ReadGivenFile(TForm1& form, const QString& path);

}  // namespace tavlex
