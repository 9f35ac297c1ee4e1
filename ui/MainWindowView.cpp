// Handlers of the view: scales, zoom, cursor and layout.
// Part of the main window TForm1 (window definition unit Xmca).

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>

#include "acq/DisplayControl.h"
#include "display/PlotBitmaps.h"
#include "display/RoiEdit.h"
#include "display/ViewNav.h"
#include "ui/MainWindow.h"
#include "ui/PaintBox.h"

namespace tavlex {
namespace {

WindowShow ShowOf(Qt::WindowStates state) {
  if (state & Qt::WindowMinimized) return WindowShow::Minimized;
  if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) return WindowShow::Maximized;
  return WindowShow::Normal;
}

}  // namespace

void TForm1::PaintBox1MouseDown(Qt::MouseButton button, int x, int) {
  AppState& s = State();
  // Another button, or a press beside the plot's columns, is no command at all.
  if (button != Qt::LeftButton || !ClickInPlot(s, x)) return CommandDeclined();
  const int channel = ChannelAtClick(s, x);
  if (AXFM->currentWidget() == ROISet) {
    const int roi = RoiOfListIndex(ROINoSelect->currentIndex());
    // A ticked "L_Ch" or "H_Ch " waits for this click: the bound is taken and the box clears,
    // quietly, or its handler would take the cursor channel the click is about to replace.
    const QSignalBlocker quietLow(ROILowCh), quietHigh(ROIHighCh);
    if (roi >= 0 && ROILowCh->isChecked()) {
      EditROILow->setText(QString::number(channel));
      s.roiTable[roi].low = channel;
      ROILowCh->setChecked(false);
    }
    if (roi >= 0 && ROIHighCh->isChecked()) {
      EditROIHigh->setText(QString::number(channel));
      s.roiTable[roi].high = channel;
      ROIHighCh->setChecked(false);
    }
  }
  ClickCursor(link_, channel);
}

void TForm1::Edit1Click() {
  const WindowShow before = ShowOf(shownState_), now = ShowOf(windowState());
  shownState_ = windowState();
  const LayoutChange change = ResizeLayout(State(), *this, before, now);
  if (change == LayoutChange::None) return;
  PaintBox1->resize(State().paintBox.size());
  PlaceUnderPlotLabels();
}

void TForm1::PlaceUnderPlotLabels() {
  QLabel* labels[kUnderPlotLabelCount] = {};
  int widths[kUnderPlotLabelCount] = {}, lefts[kUnderPlotLabelCount] = {};
  for (int i = 0; i < kUnderPlotLabelCount; ++i) {
    labels[i] = findChild<QLabel*>(kUnderPlotLabels[i].name);
    if (!labels[i]) return;
    // As wide as the text, so that the whole of it shows.
    labels[i]->adjustSize();
    widths[i] = labels[i]->width();
  }
  const bool large = State().plotBitmap.width() >= kLargeLayout.plotWidth;
  UnderPlotLefts(large, widths, lefts);
  for (int i = 0; i < kUnderPlotLabelCount; ++i)
    labels[i]->move(lefts[i], large ? kLabelsTopLarge : kLabelsTopNormal);
}

void TForm1::LogDispClick() {
  LogDisplay(link_);
}

void TForm1::UpDown1Click(bool next) {
  StepVfs(link_, next);
}

void TForm1::AutoVfsClick() {
  tavlex::AutoVfs(link_);
}

void TForm1::ExpandClick() {
  ExpandView(link_);
}

void TForm1::CompresClick() {
  CompressView(link_);
}

}  // namespace tavlex
