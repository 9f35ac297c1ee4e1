// The repaint handler: the plot is composed in display/, the window only shows it.

#include "display/Plot.h"
#include "ui/Xmca.h"

namespace tavlex {

void TForm1::PaintBox1Paint() {
  // After Exit the bitmaps are released; a late request draws nothing.
  if (!state_->bitmapsAlive) return;
  // During a scan the plot shows the analyser's own trace, not the spectrum last read.
  if (state_->mcaMode == 0 && state_->acquiring == 1)
    DrawLivePreview(*state_, *this);
  else
    tavlex::PaintBox1Paint(*state_, *this);
}

}  // namespace tavlex
