// Shared main of the test programs: a QApplication on the offscreen platform, so that widget
// tests run without a display.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "ui/Application.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // What the program keeps in the user's data folder (the recovery copies of ended runs) goes
  // to a folder of this test run, never into the real home; the programs the end-to-end tests
  // start inherit it.
  QTemporaryDir data;
  if (!data.isValid()) {
    std::fprintf(stderr, "no temporary folder for the user's data folder\n");
    return 1;
  }
  setenv("XDG_DATA_HOME", QFile::encodeName(data.path()).constData(), 1);
  tavlex::TavlexApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
