// Handlers of the view: scales, zoom, cursor and layout.

#include "ui/Xmca.h"

namespace tavlex {

void TForm1::PaintBox1MouseDown(Qt::MouseButton, int, int) {}
void TForm1::Edit1Click() {}
void TForm1::LogDispClick() {}
void TForm1::UpDown1Click(bool) {}
void TForm1::AutoVfsClick() {}
void TForm1::ExpandClick() {}
void TForm1::CompresClick() {}

}  // namespace tavlex
