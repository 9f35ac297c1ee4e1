// Handlers of the memories and snapshot overlays.

#include "ui/Xmca.h"

namespace tavlex {

void TForm1::McaMemClick() {}
void TForm1::Mem1SpecClick() {}
void TForm1::Mem2SpecClick() {}
void TForm1::Mem3SpecClick() {}
void TForm1::OverLapONClick() {}

}  // namespace tavlex
