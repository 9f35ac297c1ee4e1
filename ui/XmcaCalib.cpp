// Handlers of the energy calibration and the peak tools.

#include "ui/Xmca.h"

namespace tavlex {

void TForm1::LengChClick() {}
void TForm1::HengChClick() {}
void TForm1::LowChChange() {}
void TForm1::HiChChange() {}
void TForm1::EngCalibClick() {}
void TForm1::SnapPeakClick() {}
void TForm1::FWHMClick() {}

}  // namespace tavlex
