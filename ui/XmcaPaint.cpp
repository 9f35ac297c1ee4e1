// The repaint handler: the plot is composed in display/, the window only shows it.

#include "display/Plot.h"
#include "ui/Xmca.h"

namespace tavlex {

void TForm1::PaintBox1Paint() { tavlex::PaintBox1Paint(*state_, *this); }

}  // namespace tavlex
