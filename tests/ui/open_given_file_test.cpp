// A spectrum file named on the command line (as the desktop entry passes it) opens in the window
// as File -> Read opens the file chosen in its dialog.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "link/Backends.h"
#include "tests/files/FileBytes.h"
#include "ui/Application.h"
#include "ui/MainWindow.h"

namespace tavlex {
namespace {

using namespace test;

TEST(OpenGivenFile, ReadsLikeFileReadIntoTheCheckedView) {
  struct Case {
    const char* given;  // as typed, relative to the working folder or absolute
    QRadioButton* TForm1::*view;
    int memory;  // the memory that receives the file, -1 for none
  };
  const Case cases[] = {
      {"brass.dat", &TForm1::McaMem, -1},
      {"sub/brass.dat", &TForm1::Mem2Spec, 1},
      {"", &TForm1::Mem3Spec, 2},  // the absolute path
  };
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath("sub"));
  WriteAll(dir.filePath("brass.dat"), DatFile(256, 256));
  WriteAll(dir.filePath("sub/brass.dat"), DatFile(256, 256));
  const QString before = QDir::currentPath();
  QDir::setCurrent(dir.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given);
    NoDeviceDriver driver;
    ManualClock clock;
    auto form = std::make_unique<TForm1>(driver, clock);
    AppState& s = form->State();
    (form.get()->*c.view)->setChecked(true);
    const QString given = *c.given ? QString(c.given) : dir.filePath("brass.dat");
    ReadGivenFile(*form, given);

    const QString absolute = QDir(dir.path()).absoluteFilePath(*c.given ? c.given : "brass.dat");
    EXPECT_EQ(QString::fromLocal8Bit(s.dataFilePath), absolute);
    EXPECT_STREQ(s.dataFileName, "brass.dat");
    EXPECT_EQ(s.channelSize, 256);
    EXPECT_EQ(s.spectrumCounts[255], 255 * 3 + 1);
    EXPECT_EQ(s.cursorChannel, 128);
    EXPECT_EQ(form->Label2->text(), "255ch");
    for (int m = 0; m < 3; ++m) EXPECT_EQ(s.memCounts[m][255] == 255 * 3 + 1, m == c.memory) << m;

    // Afterwards File -> Read asks its dialog again; cancelling it changes nothing.
    QWidget* asked = nullptr;
    QTimer::singleShot(0, [&] {
      asked = QApplication::activeModalWidget();
      if (asked) asked->close();
    });
    s.channelSize = 4096;
    form->Read1->trigger();
    EXPECT_EQ(asked, form->OpenDialog1);
    EXPECT_EQ(s.channelSize, 4096);
  }
  QDir::setCurrent(before);
}

}  // namespace
}  // namespace tavlex
