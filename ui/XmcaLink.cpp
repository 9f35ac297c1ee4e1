// Handlers of the analyser link.

#include "ui/Xmca.h"

namespace tavlex {

void TForm1::McaOpenClick() {}

}  // namespace tavlex
