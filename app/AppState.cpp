#include "app/AppState.h"

#include <cstring>

#include "app/MainWindowPort.h"

namespace tavlex {

void FillBitmap(QImage& image, Colour colour) {
  const QRgb rgb = ToQRgb(colour);
  for (int y = 0; y < image.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) line[x] = rgb;
  }
}

namespace {

QImage NewBitmap(int w, int h) {
  return QImage(w, h, QImage::Format_RGB32);
}

// Copies the pixels rather than sharing the image data, so that the first drawing into a
// bitmap never has to detach (allocate) it.
void CopyPixels(const QImage& from, QImage& to) {
  const int rowBytes = static_cast<int>(sizeof(QRgb)) * from.width();
  for (int y = 0; y < from.height(); ++y)
    std::memcpy(to.scanLine(y), from.constScanLine(y), rowBytes);
}

void PaintTopRowsBlack(QImage& strip) {
  for (int y = 0; y < 2 && y < strip.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
    for (int x = 0; x < strip.width(); ++x) line[x] = qRgb(0, 0, 0);
  }
}

}  // namespace

void ConstructState(AppState& s, MainWindowPort& window, bool withBitmaps) {
  if (withBitmaps) BuildBitmaps(s);
  ConstructValues(s, window);
}

void BuildBitmaps(AppState& s) {
  // 1. The nine bitmaps, in creation order.
  s.plotBitmap = NewBitmap(512, 300);
  s.plotBackground = NewBitmap(512, 300);
  s.plotBlank = NewBitmap(512, 300);
  s.scaleBlank = NewBitmap(18, 300);
  s.scaleStrip = NewBitmap(18, 300);
  s.axisBlank = NewBitmap(512, 20);
  s.axisStrip = NewBitmap(512, 20);
  s.blackNormal = NewBitmap(512, 300);
  s.blackLarge = NewBitmap(1024, 600);
  s.paintBox = NewBitmap(530, 320);
  FillBitmap(s.paintBox, kButtonFace);

  // 5.
  FillBitmap(s.blackLarge, 0x000000);
  FillBitmap(s.blackNormal, 0x000000);
  CopyPixels(s.blackNormal, s.plotBitmap);
  CopyPixels(s.blackNormal, s.plotBackground);
  CopyPixels(s.blackNormal, s.plotBlank);

  // 6.
  FillBitmap(s.scaleBlank, kButtonFace);
  FillBitmap(s.scaleStrip, kButtonFace);
  FillBitmap(s.axisBlank, kButtonFace);
  FillBitmap(s.axisStrip, kButtonFace);
  PaintTopRowsBlack(s.axisBlank);
  PaintTopRowsBlack(s.axisStrip);
  s.bitmapsAlive = true;
}

void ConstructValues(AppState& s, MainWindowPort& window) {
  // 2.
  s.plotLeft = 18;
  s.plotTop = 0;
  s.axisTop = 300;

  // 3.
  s.deviceCount = 0;
  s.deviceOpen = 0;
  s.acquiring = 0;
  s.mcaMode = 1;
  s.resizeSeen = 0;
  s.calibrated = 0;
  s.overlayShown[0] = s.overlayShown[1] = s.overlayShown[2] = 0;
  s.overlayShown[3] = 1;
  s.standardsLoaded = 0;
  s.headerBackColour = 0x000000;
  s.headerTextColour = 0xFFFFFF;
  s.traceColour = 0x00FF00;

  // 4.
  window.SetTimerEnabled(false);

  // 7.
  s.channelSize = 4096;
  s.viewStart = 0;
  s.viewEnd = s.channelSize - 1;
  s.vfsIndex = 2;
  s.cursorChannel = s.channelSize / 2;
  s.currentRoi = 0;

  // 8.
  s.sxfmSetup.memorySize = 2048;
  s.sxfmSetup.presetTime = 10;
  s.sxfmSetup.refreshMs = window.TimerInterval();

  // 9.
  s.mcaSetup.memorySize = s.channelSize;
  // The analyser slot holds the analyser's whole memory and no calibration of its own, so that
  // choosing "MCA" among the memories never installs a zero calibration.
  s.mcaHeader.SetChannelSize(static_cast<std::int16_t>(s.channelSize));
  s.mcaHeader.SetNoCalibrationMarker(1.0f);
  s.mcaSetup.presetTime = 10000;
  s.presetTime = 10000;
  s.mcaSetup.deadTimePerEvent = 1.8f;
  s.deadTime = 0;

  // 10. The rising test ramp in every slot.
  for (int i = 0; i < kMaxChannels; ++i) {
    s.spectrumCounts[i] = i;
    s.memCounts[0][i] = i;
    s.memCounts[1][i] = i;
    s.memCounts[2][i] = i;
  }

  // 11.
  for (RoiRecord& r : s.roiTable.roi) {
    r.defined = 0;
    r.shown = 0;
    r.colour = 0;
    std::memcpy(r.label, "Xx-NN", 6);
  }
}

void ReleaseBitmaps(AppState& s) {
  s.bitmapsAlive = false;
  s.plotBitmap = QImage();
  s.plotBackground = QImage();
  s.plotBlank = QImage();
  s.scaleBlank = QImage();
  s.scaleStrip = QImage();
  s.axisBlank = QImage();
  s.axisStrip = QImage();
  s.blackNormal = QImage();
  s.blackLarge = QImage();
}

}  // namespace tavlex
