// Handlers of the view: scales, zoom, cursor and layout.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "acq/DisplayControl.h"
#include "display/RoiEdit.h"
#include "display/ViewNav.h"
#include "ui/PaintBox.h"
#include "ui/Xmca.h"

namespace tavlex {
namespace {

WindowShow ShowOf(Qt::WindowStates state) {
  if (state & Qt::WindowMinimized) return WindowShow::Minimized;
  if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) return WindowShow::Maximized;
  return WindowShow::Normal;
}

}  // namespace

void TForm1::PaintBox1MouseDown(Qt::MouseButton button, int x, int) {
  if (button != Qt::LeftButton) return;
  AppState& s = State();
  const int channel = ChannelAtClick(s, x);
  if (AXFM->currentWidget() == ROISet) {
    const int roi = RoiOfListIndex(ROINoSelect->currentIndex());
    if (roi >= 0 && ROILowCh->isChecked()) {
      EditROILow->setText(QString::number(channel));
      s.roiTable[roi].low = channel;
    }
    if (roi >= 0 && ROIHighCh->isChecked()) {
      EditROIHigh->setText(QString::number(channel));
      s.roiTable[roi].high = channel;
    }
  }
  LinkContext link{s, *this, driver_, clock_};
  ClickCursor(link, channel);
}

void TForm1::Edit1Click() {
  const WindowShow before = ShowOf(shownState_), now = ShowOf(windowState());
  shownState_ = windowState();
  const LayoutChange change = ResizeLayout(State(), *this, before, now);
  if (change == LayoutChange::None) return;
  const bool large = change == LayoutChange::Large;
  PaintBox1->resize(State().paintBox.size());
  for (const UnderPlotLabel& l : kUnderPlotLabels) {
    if (auto* label = findChild<QLabel*>(l.name))
      label->move(large ? l.largeLeft : l.normalLeft, large ? kLabelsTopLarge : kLabelsTopNormal);
  }
}

void TForm1::LogDispClick() {
  LinkContext link{State(), *this, driver_, clock_};
  LogDisplay(link);
}

void TForm1::UpDown1Click(bool next) {
  LinkContext link{State(), *this, driver_, clock_};
  StepVfs(link, next);
}

void TForm1::AutoVfsClick() {
  LinkContext link{State(), *this, driver_, clock_};
  tavlex::AutoVfs(link);
}

void TForm1::ExpandClick() {
  LinkContext link{State(), *this, driver_, clock_};
  ExpandView(link);
}

void TForm1::CompresClick() {
  LinkContext link{State(), *this, driver_, clock_};
  CompressView(link);
}

}  // namespace tavlex
