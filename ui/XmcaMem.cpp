// Handlers of the memories and snapshot overlays.

#include <QRadioButton>

#include "acq/Acquisition.h"
#include "display/Memories.h"
#include "ui/Xmca.h"

namespace tavlex {

void TForm1::McaMemClick() {
  LinkContext link{State(), *this, LinkDriver(), LinkClock()};
  ShowMcaSlot(link);
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
