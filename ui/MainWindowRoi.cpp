// Handlers of the regions of interest.
// Part of the main window TForm1 (window definition unit Xmca).

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "display/RoiEdit.h"
#include "link/Protocol.h"
#include "ui/Colours.h"
#include "ui/MainWindow.h"
#include "ui/WidgetText.h"

namespace tavlex {
namespace {

// Shows a colour in the colour list; one that is not a named colour (a region read from a file
// keeps only 16 bits of it) gets an entry of its own, so it is shown and kept as it is.
void SelectColour(QComboBox* box, Colour c) {
  int at = box->findData(static_cast<uint>(c));
  if (at < 0) {
    QPixmap swatch(12, 12);
    swatch.fill(ToQColor(c));
    box->addItem(QIcon(swatch), QString::asprintf("0x%06X", c & 0xFFFFFFu), static_cast<uint>(c));
    at = box->count() - 1;
  }
  box->setCurrentIndex(at);
}

}  // namespace

void TForm1::ROINoSelectChange() {
  RoiTabFields fields;
  const RoiPick pick = PickRoi(*state_, ROINoSelect->currentIndex(), fields);
  if (pick == RoiPick::None) return;
  // Clearing "ON" switches the picked region, never switched on, off through ROIOnCheckClick.
  if (pick != RoiPick::Defined) ROIOnCheck->setChecked(false);
  EditROILow->setText(QString::fromStdString(fields.low));
  EditROIHigh->setText(QString::fromStdString(fields.high));
  Element->setText(QString::fromLatin1(fields.label.data(), qsizetype(fields.label.size())));
  SelectColour(ROIColor, fields.colour);
}

void TForm1::ROIOnCheckClick() {
  const int listIndex = ROINoSelect->currentIndex();
  if (!ROIOnCheck->isChecked()) {
    if (SwitchRoiOffFromTab(*state_, *this, listIndex) >= 0) PaintBox1Paint();
    return;
  }
  const std::string low = Latin1(EditROILow), high = Latin1(EditROIHigh), label = Latin1(Element);
  const RoiTabInput in{listIndex, low, high, label, ROIColor->currentData().toUInt()};
  const int roi = SwitchRoiOnFromTab(*state_, *this, in);
  if (roi < 0) {
    // Nothing was switched on: the box goes back as it was, without switching anything off.
    QSignalBlocker quiet(ROIOnCheck);
    ROIOnCheck->setChecked(false);
    return;
  }
  if (HasHardwareWindow(roi)) {
    // The analyser's hardware window; a refusal, or no analyser, is not reported.
    BeginOperation(link_);
    const RoiRecord& r = state_->roiTable[roi];
    SendRoi(link_, 0, roi, r.low, r.high);
  }
  PaintBox1Paint();
}

// A new colour takes effect only when the region is switched on.
void TForm1::ROIColorChange() {}

// A click on the box takes the cursor channel. Ticked, the box then waits for the next click in
// the plot, which takes the bound there and clears it (PaintBox1MouseDown).
void TForm1::ROILowChClick() {
  EditROILow->setText(QString::number(state_->cursorChannel));
}

void TForm1::ROIHighChClick() {
  EditROIHigh->setText(QString::number(state_->cursorChannel));
}

void TForm1::EditROILowChange() {
  CheckRoiChannelText(*this, Latin1(EditROILow), false);
}
void TForm1::EditROIHighChange() {
  CheckRoiChannelText(*this, Latin1(EditROIHigh), true);
}

}  // namespace tavlex
