// Handlers of the energy calibration and the peak tools (main window TForm1, unit Xmca).

#include <QCheckBox>
#include <QLineEdit>

#include "acq/DisplayControl.h"
#include "analysis/Calibration.h"
#include "analysis/Peak.h"
#include "ui/MainWindow.h"
#include "ui/WidgetText.h"

namespace tavlex {
namespace {

// The box acts as a button: it takes the channel and clears itself, which runs the handler once
// more with the same result.
void TakeCalibChannel(const AppState& s, QLineEdit* box, QCheckBox* check) {
  box->setText(QString::fromStdString(CalibChannelText(s.cursorChannel, s.peakCentroid)));
  check->setChecked(false);
}

}  // namespace

void TForm1::LengChClick() {
  TakeCalibChannel(*state_, LowCh, LengCh);
}
void TForm1::HengChClick() {
  TakeCalibChannel(*state_, HiCh, HengCh);
}
void TForm1::LowChChange() {
  CheckCalibChannelText(*this, Latin1(LowCh), false);
}
void TForm1::HiChChange() {
  CheckCalibChannelText(*this, Latin1(HiCh), true);
}

void TForm1::EngCalibClick() {
  const std::string low = Latin1(LowCh), high = Latin1(HiCh), lowEnergy = Latin1(LoEng),
                    highEnergy = Latin1(HiEng), unit = Latin1(ChKev);
  ExecCalib(*state_, *this, CalibTexts{low, high, lowEnergy, highEnergy, unit});
}

void TForm1::SnapPeakClick() {
  SnapPeakAndSend(link_);
}

void TForm1::FWHMClick() {
  FwhmCommand(*state_, *this);
}

}  // namespace tavlex
