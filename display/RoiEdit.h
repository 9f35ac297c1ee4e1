#pragma once
// Editing the regions of interest from the "ROI" tab: picking a region in the list, switching
// it on and off, and the integer rule of the two channel boxes. No widgets: the handlers pass
// the tab's texts in and write the returned texts back.

#include <string>
#include <string_view>

#include "app/AppState.h"
#include "app/MainWindowPort.h"
#include "display/RoiColours.h"

namespace tavlex {

namespace roitext {
inline constexpr const char* kUnknown = "Error ! ROI # Unknown";
inline constexpr const char* kLowCh = "Error ! ROI LowCh";
inline constexpr const char* kHighCh = "Error ! ROI HighCh";
}  // namespace roitext

// A channel box's integer: decimal digits with an optional sign, within the 32-bit range.
// Nothing else is taken, not even blanks; an empty box is not an integer.
bool ParseRoiChannel(std::string_view text, int& out);

// The region a list index addresses, or -1 for no selection and for the list's empty 17th item.
int RoiOfListIndex(int listIndex);

// True for the regions that are also the analyser's hardware windows (ROI #1 to #4).
bool HasHardwareWindow(int roi);

// What the tab shows after a pick.
struct RoiTabFields {
  std::string low, high, label;
  Colour colour = kRoiPickColour;
};

enum class RoiPick {
  None,       // no region addressed: nothing changes
  Defined,    // the region's stored values, and it becomes the current region
  Undefined,  // "0", "0", an empty label and blue; the caller clears "ON"
  Stored,     // never switched on, but a file or a memory gave it bounds: those, its colour and
              // an empty label; the caller clears "ON"
};

// ROINoSelectChange without the widgets.
RoiPick PickRoi(AppState& s, int listIndex, RoiTabFields& fields);

// The tab's texts at the moment "ON" is set.
struct RoiTabInput {
  int listIndex = -1;
  std::string_view low, high, label;
  Colour colour = kRoiPickColour;
};

// "ON" set: stores low, then high, then label (7 characters), colour, defined, shown and the
// current region. A bad low stops before anything is stored; a bad high stops after low is
// stored. Errors go to Edit1. Returns the region switched on, or -1 when it was not. The caller
// then sends the hardware window (ROI #1 to #4) and repaints.
int SwitchRoiOnFromTab(AppState& s, MainWindowPort& window, const RoiTabInput& in);

// "ON" cleared: hides the region (its values stay). Returns it, or -1 with the error in Edit1
// when no region is selected; the caller repaints.
int SwitchRoiOffFromTab(AppState& s, MainWindowPort& window, int listIndex);

// The check while a channel box is typed in: the error in Edit1 when the text is no integer.
// Nothing is stored.
void CheckRoiChannelText(MainWindowPort& window, std::string_view text, bool highBox);

}  // namespace tavlex
