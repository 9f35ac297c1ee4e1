#pragma once
// What the program's logic may touch of the main window: a few texts, Timer1 and the paint box.
// The window implements it with widgets; the command line and tests with a headless stand-in.

#include <string>
#include <string_view>

namespace tavlex {

enum class Field { Label1, Label2, Label3, Label7, Label8, Label9, Edit1, Edit2, Edit4, FwhmVal, Count };

class MainWindowPort {
 public:
  virtual ~MainWindowPort() = default;
  virtual void SetText(Field field, std::string_view text) = 0;
  virtual std::string Text(Field field) const = 0;
  virtual void SetTimerEnabled(bool on) = 0;
  virtual bool TimerEnabled() const = 0;
  virtual void SetTimerInterval(int ms) = 0;
  virtual int TimerInterval() const = 0;
  // The composed paint-box image changed and should reach the screen.
  virtual void PaintBoxChanged() = 0;
};

// Keeps the texts and the timer settings in memory; used by the command line and by tests.
class HeadlessWindow : public MainWindowPort {
 public:
  void SetText(Field field, std::string_view text) override {
    texts_[static_cast<int>(field)] = std::string(text);
  }
  std::string Text(Field field) const override { return texts_[static_cast<int>(field)]; }
  void SetTimerEnabled(bool on) override { timerEnabled_ = on; }
  bool TimerEnabled() const override { return timerEnabled_; }
  void SetTimerInterval(int ms) override { timerInterval_ = ms; }
  int TimerInterval() const override { return timerInterval_; }
  void PaintBoxChanged() override { ++paintBoxChanges_; }
  int PaintBoxChanges() const { return paintBoxChanges_; }

 private:
  std::string texts_[static_cast<int>(Field::Count)];
  bool timerEnabled_ = false;
  int timerInterval_ = 100;
  int paintBoxChanges_ = 0;
};

}  // namespace tavlex
