// Handlers of the analyser link (main window TForm1, unit Xmca).

#include <QPushButton>
#include <string>

#include "link/Protocol.h"
#include "ui/MainWindow.h"

namespace tavlex {

void TForm1::McaOpenClick() {
  // Every click lists and opens again and says how it went: after a failed open, or after the
  // analyser was unplugged, a later click that succeeds must make the buttons usable.
  if (OpenDevice(link_, 0) != 1) {
    SetText(Field::Edit2, "Error");
    return;
  }
  SetText(Field::Edit2, std::to_string(State().deviceCount));
  for (QPushButton* b : {McaStart, McaStop, McaClear, SxfmStart, SxfmStop, SxfmClear})
    b->setEnabled(true);
  State().deviceOpen = 1;
}

}  // namespace tavlex
