#include "display/StartUp.h"

#include "display/Plot.h"

namespace tavlex {

void ConstructAndDrawStartUp(AppState& s, MainWindowPort& window) {
  ConstructState(s, window);
  s.logScale = 1;
  ShowScaleAndRepaint(s, window);
}

}  // namespace tavlex
