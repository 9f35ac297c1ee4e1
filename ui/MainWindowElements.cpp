// Analysis -> Elements...: line markers, the identification of the displayed spectrum and
// regions of interest from lines. The handlers read the dialog and call analysis/ and display/.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/Identify.h"
#include "analysis/LineMarkers.h"
#include "display/Plot.h"
#include "display/RoiEdit.h"
#include "display/ViewCommands.h"
#include "link/Protocol.h"
#include "ui/ElementsDialog.h"
#include "ui/ErrorBox.h"
#include "ui/MainWindow.h"

namespace tavlex {

namespace {

std::string Latin1Of(const QLineEdit* e) {
  return e->text().toLatin1().toStdString();
}

// The line list's rows carry the line's energy and name.
constexpr int kEnergyRole = Qt::UserRole;

}  // namespace

void TForm1::Elements1Click() {
  if (elements_ == nullptr) {
    elements_ = new TElementsDialog(this);
    identification_ = std::make_unique<Identification>();
    connect(elements_->MarkButton, &QPushButton::clicked, this,
            Guarded(this, [this] { ElementsMarkClick(); }));
    connect(elements_->ElementEdit, &QLineEdit::returnPressed, this,
            Guarded(this, [this] { ElementsMarkClick(); }));
    connect(elements_->ClearButton, &QPushButton::clicked, this,
            Guarded(this, [this] { ElementsClearClick(); }));
    connect(elements_->IdentifyButton, &QPushButton::clicked, this,
            Guarded(this, [this] { ElementsIdentifyClick(); }));
    connect(elements_->RoiButton, &QPushButton::clicked, this,
            Guarded(this, [this] { ElementsRoiClick(); }));
    connect(elements_, &TElementsDialog::elementToggled, this,
            Guarded(this, [this](int z, bool on) { ElementsToggle(z, on); }));
    const char* why = nullptr;
    if (!XrayDataReady(&why)) elements_->MessageLabel->setText(QString("Error ! %1").arg(why));
    ShowMarkedElements();
  }
  elements_->show();
  elements_->raise();
}

void TForm1::ShowMarkedElements() {
  if (elements_ != nullptr) {
    std::string text;
    for (int m = 0; m < state_->markerCount; ++m) {
      const XrayElement* el = XrayElementByZ(state_->markerZ[m]);
      if (el != nullptr) text += (text.empty() ? "" : ", ") + std::string(el->symbol);
    }
    elements_->ElementEdit->setText(QString::fromLatin1(text.c_str()));
    for (int z = kXrayFirstZ; z <= kXrayLastZ; ++z)
      if (QToolButton* b = elements_->ElementButton(z)) {
        bool marked = false;
        for (int m = 0; m < state_->markerCount; ++m) marked |= state_->markerZ[m] == z;
        b->setChecked(marked);
      }
    elements_->LineList->clear();
    for (int m = 0; m < state_->markerCount; ++m) {
      const XrayElement* el = XrayElementByZ(state_->markerZ[m]);
      if (el == nullptr) continue;
      for (int i = 0; i < el->lineCount; ++i) {
        const XrayLine& line = el->lines[i];
        if (line.relative < kMarkedLineShare || line.energyKeV < kDetectorFloorKeV) continue;
        char label[40];
        std::snprintf(label, sizeof label, "%s %s  %.3f keV", el->symbol, line.label, line.energyKeV);
        auto* item = new QListWidgetItem(QString::fromLatin1(label), elements_->LineList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(&line == XrayStrongestLine(*el, line.family) ? Qt::Checked : Qt::Unchecked);
        item->setData(kEnergyRole, line.energyKeV);
        item->setData(kEnergyRole + 1, QString("%1 %2").arg(el->symbol, line.label));
      }
    }
  }
  PaintBox1Paint();
}

void TForm1::ElementsMarkClick() {
  std::vector<int> z;
  std::string bad;
  if (!ParseElementList(Latin1Of(elements_->ElementEdit), z, bad)) {
    elements_->MessageLabel->setText(QString("Error ! Element %1").arg(QString::fromLatin1(bad.c_str())));
    return;
  }
  elements_->MessageLabel->clear();
  SetMarkers(*state_, z);
  ShowMarkedElements();
}

void TForm1::ElementsClearClick() {
  elements_->MessageLabel->clear();
  SetMarkers(*state_, {});
  ShowMarkedElements();
}

void TForm1::ElementsToggle(int z, bool on) {
  std::vector<int> marked(state_->markerZ, state_->markerZ + state_->markerCount);
  std::erase(marked, z);
  if (on) marked.push_back(z);
  SetMarkers(*state_, marked);
  ShowMarkedElements();
}

void TForm1::ElementsIdentifyClick() {
  int anode = 0;
  const std::string tube = Latin1Of(elements_->TubeEdit);
  if (!tube.empty() && (anode = XrayZOfSymbol(tube)) == 0) {
    elements_->MessageLabel->setText(QString("Error ! Tube %1").arg(QString::fromLatin1(tube.c_str())));
    return;
  }
  if (!IdentifyDisplayed(*state_, anode, *identification_)) {
    elements_->MessageLabel->setText(kIdentifyNeedsCalibration);
    return;
  }
  identified_ = true;
  const Identification& id = *identification_;
  std::string text;
  std::vector<int> found;
  for (int k = 0; k < id.elementCount; ++k) {
    text += FoundElementLine(id, k) + "\n";
    found.push_back(id.elements[k].z);
  }
  if (id.elementCount == 0) text += "No element found\n";
  text += "\n";
  for (int i = 0; i < id.peakCount; ++i) text += IdentifiedPeakLine(id, i) + "\n";
  elements_->ResultText->setPlainText(QString::fromLatin1(text.c_str()));
  elements_->MessageLabel->setText(QString("%1 peaks, %2 elements").arg(id.peakCount).arg(id.elementCount));
  SetMarkers(*state_, found);
  ShowMarkedElements();
}

void TForm1::ElementsRoiClick() {
  std::vector<LineForRoi> lines;
  for (int r = 0; r < elements_->LineList->count(); ++r) {
    const QListWidgetItem* item = elements_->LineList->item(r);
    if (item->checkState() == Qt::Checked)
      lines.push_back({item->data(kEnergyRole).toDouble(), item->data(kEnergyRole + 1).toString().toStdString()});
  }
  // The regions are as wide as the last identification measured the detector, else as assumed.
  const double noise = identified_ ? identification_->noiseFwhmKeV : kDefaultNoiseFwhmKeV;
  LineRoisMade made;
  if (!RoisFromLines(*state_, lines, noise, made)) {
    elements_->MessageLabel->setText(kIdentifyNeedsCalibration);
    return;
  }
  for (int k = 0; k < made.count; ++k)
    if (HasHardwareWindow(made.regions[k])) {
      // The analyser's hardware window, sent as the ROI tab sends it.
      BeginOperation(link_);
      const RoiRecord& r = state_->roiTable[made.regions[k]];
      SendRoi(link_, 0, made.regions[k], r.low, r.high);
    }
  elements_->MessageLabel->setText(made.noRoom > 0
                                       ? QString("%1 ROIs made, no free ROI for %2 more").arg(made.count).arg(made.noRoom)
                                       : QString("%1 ROIs made").arg(made.count));
  PaintBox1Paint();
}

}  // namespace tavlex
