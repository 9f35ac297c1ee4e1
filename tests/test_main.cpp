// Shared main of the test programs: a QApplication on the offscreen platform, so that widget
// tests run without a display.

#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/Application.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  tavlex::TavlexApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
