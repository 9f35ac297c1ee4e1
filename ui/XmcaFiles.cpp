// Handlers of the spectrum files and printing.

#include "ui/Xmca.h"

namespace tavlex {

void TForm1::Read1Click() {}
void TForm1::Write1Click() {}
void TForm1::Write2Click() {}
void TForm1::SetupPrintClick() {}
void TForm1::PlotLptClick() {}
void TForm1::PrintSpecClick() {}

}  // namespace tavlex
