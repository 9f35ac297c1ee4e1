#pragma once
// The main window's construction as far as the state and the plot go, shared by the window and
// the command line so that both start from the same picture.

#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex {

// Start-up values and bitmaps, the logarithmic scale with its background, and the first repaint
// that shows the start-up ramp.
void ConstructAndDrawStartUp(AppState& s, MainWindowPort& window);

}  // namespace tavlex
