// The repaint handler: the plot is composed in display/, the window only shows it.
// Part of the main window TForm1 (window definition unit Xmca).

#include "display/Plot.h"
#include "ui/MainWindow.h"

namespace tavlex {

void TForm1::PaintBox1Paint() {
  // After Exit the bitmaps are released; a late request draws nothing.
  if (!state_->bitmapsAlive) return;
  tavlex::PaintBox1Paint(*state_, *this);
}

}  // namespace tavlex
