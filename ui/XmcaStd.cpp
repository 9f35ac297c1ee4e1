// Handlers of the standards commands.

#include "ui/Xmca.h"

namespace tavlex {

void TForm1::AddStdClick() {}
void TForm1::EditStdClick() {}
void TForm1::ListStdClick() {}
void TForm1::LoadStdClick() {}
void TForm1::MLSQfitClick() {}

}  // namespace tavlex
