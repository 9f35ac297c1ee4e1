#include "ui/Application.h"

#include <QFont>
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

int RunWindow(int argc, char** argv, Driver& driver) {
  TavlexApplication app(argc, argv);
  SteadyClock clock;
  TForm1 form(driver, clock);
  auto dm = std::make_unique<TDmSMTX>();
  form.SetDataModule(dm.get());
  TMcaAbout about(&form);
  form.SetAboutBox(&about);
  form.show();
  return app.exec();
}

}  // namespace tavlex
