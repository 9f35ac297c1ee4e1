// Handlers of the MCA acquisition, its setup and the SXFM scans.

#include "ui/Xmca.h"

namespace tavlex {

void TForm1::McaStartClick() {}
void TForm1::McaStopClick() {}
void TForm1::McaClearClick() {}
void TForm1::Button10Click() {}
void TForm1::SCAGATEClick() {}
void TForm1::SCAFASTClick() {}
void TForm1::MCAClick() {}
void TForm1::Timer1Timer() {}
void TForm1::SxfmStartClick() {}
void TForm1::SxfmStopClick() {}
void TForm1::SxfmClearClick() {}
void TForm1::Button7Click() {}

}  // namespace tavlex
