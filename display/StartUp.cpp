#include "display/StartUp.h"

#include "display/Plot.h"

namespace tavlex {

void ConstructAndDrawStartUp(AppState& s, MainWindowPort& window) {
  ConstructState(s, window);
  ShowLogScale(s, window, 1);
  CopyToPaintBox(s, window, kCopyPlot);
  CopyToPaintBox(s, window, kCopyScale);
  CopyToPaintBox(s, window, kCopyAxis);
  // The paint box's first paint request draws the spectrum over the fresh background.
  PaintBox1Paint(s, window);
}

}  // namespace tavlex
