#pragma once
// The program-wide state: one plain record owned by the main window, fixed in size.

#include <QImage>
#include <cstdint>

#include "app/AcqStatus.h"
#include "app/Records.h"
#include "app/SpectrumHeader.h"

namespace tavlex {

using DeviceHandle = void*;

class MainWindowPort;

struct AppState;
// The analyser's event total since its memory was cleared, across the wraps of its counter.
std::uint64_t EventsSinceClear(const AppState& s);

struct AppState {
  // Instrument link
  DeviceHandle deviceHandles[16] = {};
  int deviceCount = 0;
  int deviceOpen = 0;

  // Acquisition
  int acquiring = 0;
  int mcaMode = 1;
  AcqStatus acqStatus;
  // How often the analyser's 32-bit event total has passed 2^32 since its memory was cleared.
  std::uint32_t eventWraps = 0;
  int presetTime = 10000;  // 0.1 s
  int realTime = 0;        // 0.1 s
  int liveTime = 0;        // 0.1 s
  int deadTime = 0;        // 0.1 %
  float countRate = 0;     // kcps
  int maxChannelCount = 0;
  McaSetup mcaSetup;
  SxfmSetup sxfmSetup;
  int scanCount = 0;
  // Finished scans are saved as number scanFileBase + scanCount: the highest number of the save
  // name's files already there when the scans started or were cleared.
  int scanFileBase = 0;
  // Set when the link failed during an acquisition, so the run is not shown as healthy.
  int linkFailed = 0;
  // The copy every end of a run leaves in the user's data folder.
  RunCopy runCopy;

  // Spectrum slots and headers
  int channelSize = 4096;
  std::int32_t spectrumCounts[kReadBufferChannels] = {};
  std::int32_t memCounts[3][kMaxChannels] = {};
  SpectrumHeader mcaHeader;
  SpectrumHeader currentHeader;
  SpectrumHeader memHeader[3];
  char dataFilePath[256] = {};
  char dataFileName[256] = {};
  char memFileName[3][256] = {};
  // The memory shown (0..2), or -1 while the analyser's slot is.
  int shownMemory = -1;

  // Display
  QImage plotBitmap, plotBackground, plotBlank;
  QImage scaleBlank, scaleStrip;
  QImage axisBlank, axisStrip;
  QImage blackNormal, blackLarge;
  // What PaintBox1 shows: the three bitmaps copied side by side and stacked.
  QImage paintBox;
  int plotLeft = 18;
  int plotTop = 0;
  int axisTop = 300;
  int viewStart = 0;
  int viewEnd = 4095;
  int cursorChannel = 2048;
  int vfsIndex = 2;
  int logScale = 0;  // 1 once the construction has shown the logarithmic scale
  std::int32_t columnTop[kMaxChannels] = {};
  std::int32_t columnBottom[kMaxChannels] = {};
  int resizeSeen = 0;
  Colour headerBackColour = 0x000000;
  Colour headerTextColour = 0xFFFFFF;
  Colour traceColour = 0x00FF00;
  // Cleared by Exit once the bitmaps are released; nothing draws afterwards.
  bool bitmapsAlive = false;

  // Regions of interest
  RoiTable roiTable;
  int currentRoi = 0;

  // Snapshot overlays of Mem1, Mem2, Mem3 and MCA
  std::int32_t overlayTop[4][kMaxChannels] = {};
  std::int32_t overlayBottom[4][kMaxChannels] = {};
  int overlayShown[4] = {0, 0, 0, 1};

  // Energy calibration and peak tools
  int calibrated = 0;
  char energyUnit[8] = {};
  float calLowChannel = 0, calHighChannel = 0, calLowEnergy = 0, calHighEnergy = 0;
  float calSlope = 0, calOffset = 0;
  float peakCentroid = 0;
  // Elements whose X-ray lines are marked over the plot (atomic numbers), in the order chosen.
  static constexpr int kMaxMarkers = 24;
  int markerZ[kMaxMarkers] = {};
  int markerCount = 0;

  // Standards commands
  int standardsLoaded = 0;
};

// The one conversion from the program's 0x00BBGGRR colours to the bitmaps' pixels.
inline QRgb ToQRgb(Colour c) {
  return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// Button-face colour of the window (the system colour 0x8000000F), as 0x00BBGGRR.
inline constexpr Colour kButtonFace = 0xF0F0F0;

// Construction steps 1 to 11 of the main window: bitmaps, start-up values, the test ramp.
// Step 4 stops the window's timer through the port; step 8 reads its interval.
// The caller then shows the logarithmic scale and copies the bitmaps to the paint box.
// Without bitmaps (for commands that never draw) the drawing operations do nothing.
void ConstructState(AppState& s, MainWindowPort& window, bool withBitmaps = true);
// Steps 1, 5 and 6: the bitmaps and their first colours.
void BuildBitmaps(AppState& s);
// Steps 2 to 4 and 7 to 11: every start-up value.
void ConstructValues(AppState& s, MainWindowPort& window);

// Releases the nine bitmaps in creation order; afterwards nothing may draw.
void ReleaseBitmaps(AppState& s);

// Fills a bitmap with one 0x00BBGGRR colour, pixel by pixel.
void FillBitmap(QImage& image, Colour colour);

inline std::uint64_t EventsSinceClear(const AppState& s) {
  return (static_cast<std::uint64_t>(s.eventWraps) << 32) |
         static_cast<std::uint32_t>(s.acqStatus.Events());
}

}  // namespace tavlex
