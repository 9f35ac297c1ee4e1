#include "ui/Application.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QTimer>
#include <exception>
#include <memory>

#include "app/Clock.h"
#include "standards/StandardsTable.h"
#include "ui/AboutBox.h"
#include "ui/ErrorBox.h"
#include "ui/MainWindow.h"

namespace tavlex {

TavlexApplication::TavlexApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Tavlex");
  setApplicationVersion(TAVLEX_VERSION);
  // The installed menu entry's name: a Wayland desktop shows the window with its icon and name.
  setDesktopFileName(QStringLiteral("tavlex"));
  // One font on every machine, so that the window and its rendered plots look alike.
  QFont font("DejaVu Sans");
  font.setPixelSize(11);
  font.setStyleStrategy(QFont::NoAntialias);
  setFont(font);
}

bool TavlexApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowErrorBox(activeWindow(), QString::fromLocal8Bit(e.what()));
  } catch (...) {
    ShowErrorBox(activeWindow(), QStringLiteral("Unknown error"));
  }
  return false;
}

void ReadGivenFile(TForm1& form, const QString& path) {
  // File -> Read's own handler runs, so the file is read exactly as the menu reads it (into the
  // checked memory too); only its dialog's answer is taken from the command line.
  const QString chosen = QFileInfo(path).absoluteFilePath();
  form.SetFileChooser([&form, chosen](QFileDialog& dialog) -> std::optional<QString> {
    if (&dialog == form.OpenDialog1) return chosen;
    return std::nullopt;
  });
  struct AskAgain {
    TForm1& form;
    ~AskAgain() { form.SetFileChooser({}); }
  } askAgain{form};
  form.Read1->trigger();
}

int RunWindow(int argc, char** argv, Driver& driver, const QString& spectrumFile) {
  TavlexApplication app(argc, argv);
  SteadyClock clock;
  TForm1 form(driver, clock);
  auto dm = std::make_unique<TDmSMTX>();
  form.SetDataModule(dm.get());
  TMcaAbout about(&form);
  form.SetAboutBox(&about);
  form.show();
  // Read from inside the loop, where an error box has its window and an escaping error is
  // caught like any handler's.
  if (!spectrumFile.isEmpty())
    QTimer::singleShot(0, &form, [&form, spectrumFile] { ReadGivenFile(form, spectrumFile); });
  return app.exec();
}

}  // namespace tavlex
