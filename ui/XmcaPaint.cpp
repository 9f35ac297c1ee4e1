// The repaint handler: the plot is composed in display/, the window only shows it.

#include "display/Plot.h"
#include "ui/Xmca.h"

namespace tavlex {

void TForm1::PaintBox1Paint() {
  // After Exit the bitmaps are released; a late request draws nothing.
  if (!state_->bitmapsAlive) return;
  tavlex::PaintBox1Paint(*state_, *this);
}

}  // namespace tavlex
