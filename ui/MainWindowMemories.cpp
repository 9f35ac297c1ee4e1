// Handlers of the memories and snapshot overlays (main window TForm1, unit Xmca).

#include <QRadioButton>

#include "acq/Acquisition.h"
#include "display/Memories.h"
#include "ui/MainWindow.h"

namespace tavlex {

void TForm1::McaMemClick() {
  ShowMcaSlot(link_);
}

void TForm1::Mem1SpecClick() {
  ShowMemory(State(), *this, 0);
}
void TForm1::Mem2SpecClick() {
  ShowMemory(State(), *this, 1);
}
void TForm1::Mem3SpecClick() {
  ShowMemory(State(), *this, 2);
}

void TForm1::OverLapONClick() {
  int k = kMcaOverlay;
  if (Mem1Spec->isChecked()) k = 0;
  if (Mem2Spec->isChecked()) k = 1;
  if (Mem3Spec->isChecked()) k = 2;
  ToggleSnapshot(State(), *this, k);
}

}  // namespace tavlex
