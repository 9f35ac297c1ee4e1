// Errors that escape a handler end that handler only: the error box shows them and the
// program goes on.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QtTest/QTest>

#include "app/Convert.h"
#include "ui/Application.h"
#include "ui/ErrorBox.h"

namespace tavlex {
namespace {

class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("escaped from an event");
    return QObject::event(e);
  }
};

TEST(ErrorBoxTest, GuardedHandlerReportsAndTheNextClickStillWorks) {
  QStringList shown;
  SetErrorBoxReporter([&](const QString& m) { shown << m; });
  QPushButton button("Go");
  int runs = 0;
  QObject::connect(&button, &QPushButton::clicked, &button, Guarded(&button, [&] {
                     ++runs;
                     StrToFloat("12a");  // raises the conversion error
                     runs += 100;        // the rest of the handler is skipped
                   }));
  QTest::mouseClick(&button, Qt::LeftButton);
  QTest::mouseClick(&button, Qt::LeftButton);
  SetErrorBoxReporter({});
  EXPECT_EQ(runs, 2);
  ASSERT_EQ(shown.size(), 2);
  EXPECT_EQ(shown[0], "'12a' is not a valid floating point value");
}

TEST(ErrorBoxTest, ApplicationCatchesWhatEscapesAnyEventHandler) {
  QStringList shown;
  SetErrorBoxReporter([&](const QString& m) { shown << m; });
  Thrower t;
  QEvent e(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&t, &e));
  SetErrorBoxReporter({});
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0], "escaped from an event");
}

}  // namespace
}  // namespace tavlex
