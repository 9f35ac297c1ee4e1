// The main window TForm1 (window definition unit Xmca): construction, the window port, resize
// and close.

#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "acq/Acquisition.h"
#include "analysis/Identify.h"
#include "app/StatusBox.h"
#include "display/StartUp.h"
#include "files/Recovery.h"
#include "link/Driver.h"
#include "link/SimAnalyser.h"
#include "ui/AboutBox.h"
#include "ui/ElementsDialog.h"
#include "ui/ErrorBox.h"
#include "ui/PaintBox.h"

namespace tavlex {
namespace {

constexpr const char* kStopRunAndClose =
    "A run is under way.\nStop it and close the program?\n\n"
    "The counts measured so far stay in the automatic recovery copy.";

}  // namespace

TForm1::TForm1(Driver& driver, Clock& clock, QWidget* parent)
    : QMainWindow(parent),
      state_(std::make_unique<AppState>()),
      driver_(driver),
      clock_(clock),
      link_{*state_, *this, driver_, clock_} {
  link_.runEvents = RecoveryCopyWriter();
  // The X-ray data table is built now, not when the operator first asks for it.
  XrayDataReady();
  setObjectName("Form1");
  QString caption = "Tavlex Controll Program";
  // A simulation must never be mistaken for a measurement; the title also says what it measures.
  if (const auto* sim = dynamic_cast<const SimDriver*>(&driver_)) {
    caption += " [simulated analyser: " + QString::fromStdString(sim->SampleName()) + "]";
  } else if (driver_.IsSimulation()) {
    caption += " [simulated analyser]";
  }
  setWindowTitle(caption);
  CreateControls();
  ConnectHandlers();

  ConstructAndDrawStartUp(*state_, *this);
}

TForm1::~TForm1() {
  closing_ = true;
  if (Timer1) Timer1->stop();
  for (int i = 0; i < 16; ++i) {
    if (state_->deviceHandles[i]) driver_.Close(state_->deviceHandles[i]);
    state_->deviceHandles[i] = nullptr;
  }
}

std::optional<QString> TForm1::ChooseFile(QFileDialog& dialog) {
  std::optional<QString> chosen;
  if (fileChooser_)
    chosen = fileChooser_(dialog);
  else if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    chosen = dialog.selectedFiles().front();
  if (!chosen) CommandDeclined();
  return chosen;
}

template <class F>
void TForm1::RunCommand(const F& handler) {
  const bool outermost = commandDepth_ == 0;
  if (outermost) {
    statusWrites_ = 0;
    commandDeclined_ = false;
  }
  struct Depth {
    int& depth;
    ~Depth() { --depth; }
  } depth{++commandDepth_};
  // A handler that throws has failed; the error box says so and the status box stays.
  handler();
  if (outermost && statusWrites_ == 0 && !commandDeclined_) ClearStaleError(*this);
}

QLabel* TForm1::LabelFor(Field field) const {
  switch (field) {
    case Field::Label1: return Label1;
    case Field::Label2: return Label2;
    case Field::Label3: return Label3;
    case Field::Label7: return Label7;
    case Field::Label8: return Label8;
    case Field::Label9: return Label9;
    default: return nullptr;
  }
}

QLineEdit* TForm1::EditFor(Field field) const {
  switch (field) {
    case Field::Edit1: return Edit1;
    case Field::Edit2: return Edit2;
    case Field::Edit4: return Edit4;
    case Field::FwhmVal: return FwhmVal;
    default: return nullptr;
  }
}

void TForm1::SetText(Field field, std::string_view text) {
  if (field == Field::Edit1 || IsErrorMessage(text)) ++statusWrites_;
  const QString t = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  if (QLabel* l = LabelFor(field); l && l->text() != t) {
    l->setText(t);
    PlaceUnderPlotLabels();
  }
  if (QLineEdit* e = EditFor(field)) e->setText(t);
}

std::string TForm1::Text(Field field) const {
  if (QLabel* l = LabelFor(field)) return l->text().toStdString();
  if (QLineEdit* e = EditFor(field)) return e->text().toStdString();
  return {};
}

void TForm1::SetTimerEnabled(bool on) {
  if (on && !closing_)
    Timer1->start();
  else
    Timer1->stop();
}
bool TForm1::TimerEnabled() const { return Timer1->isActive(); }
void TForm1::SetTimerInterval(int ms) { Timer1->setInterval(ms); }
int TForm1::TimerInterval() const { return Timer1->interval(); }
void TForm1::PaintBoxChanged() {
  if (!closing_) PaintBox1->update();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (state_->bitmapsAlive) Guarded(this, [this] { Edit1Click(); })();
}

bool TForm1::MayClose() {
  if (closeAgreed_ || state_->acquiring != 1) return true;
  if (closeQuestion_) return closeQuestion_();
  return QMessageBox::question(this, windowTitle(), kStopRunAndClose,
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!MayClose()) {
    event->ignore();
    return;
  }
  StopRunOnClose(link_);
  QMainWindow::closeEvent(event);
}

void TForm1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // The toolkit may report a maximize before or after the resize it brings; whichever comes
  // second finds the state already handled.
  if (event->type() == QEvent::WindowStateChange && state_->bitmapsAlive &&
      state_->resizeSeen == 1 && windowState() != shownState_)
    Guarded(this, [this] { Edit1Click(); })();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && event->type() == QEvent::Resize) AnchorRight();
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::mousePressEvent(QMouseEvent* event) {
  QMainWindow::mousePressEvent(event);
}

void TForm1::ConnectHandlers() {
  // Buttons, boxes and menu items are commands (RunCommand); typing in a box, the timer and the
  // controls that do nothing are not. The standards commands keep their own status texts.
  auto command = [this](void (TForm1::*slot)()) {
    return Guarded(this, [this, slot] { RunCommand([this, slot] { (this->*slot)(); }); });
  };
  auto onClick = [this, command](QAbstractButton* b, void (TForm1::*slot)()) {
    connect(b, &QAbstractButton::clicked, this, command(slot));
  };
  auto onPlainClick = [this](QAbstractButton* b, void (TForm1::*slot)()) {
    connect(b, &QAbstractButton::clicked, this, Guarded(this, [this, slot] { (this->*slot)(); }));
  };
  // Check boxes report every change of their state, also one made by a handler.
  auto onToggle = [this, command](QCheckBox* b, void (TForm1::*slot)()) {
    connect(b, &QCheckBox::toggled, this, command(slot));
  };
  auto onChange = [this](QLineEdit* e, void (TForm1::*slot)()) {
    connect(e, &QLineEdit::textChanged, this, Guarded(this, [this, slot] { (this->*slot)(); }));
  };
  auto onMenu = [this, command](QAction* a, void (TForm1::*slot)()) {
    connect(a, &QAction::triggered, this, command(slot));
  };
  auto onPlainMenu = [this](QAction* a, void (TForm1::*slot)()) {
    connect(a, &QAction::triggered, this, Guarded(this, [this, slot] { (this->*slot)(); }));
  };

  onClick(McaOpen, &TForm1::McaOpenClick);
  onClick(McaStart, &TForm1::McaStartClick);
  onClick(McaStop, &TForm1::McaStopClick);
  onClick(McaClear, &TForm1::McaClearClick);
  onClick(Button10, &TForm1::Button10Click);
  onClick(SCAGATE, &TForm1::SCAGATEClick);
  onClick(SCAFAST, &TForm1::SCAFASTClick);
  onClick(MCA, &TForm1::MCAClick);
  onClick(SxfmStart, &TForm1::SxfmStartClick);
  onClick(SxfmStop, &TForm1::SxfmStopClick);
  onClick(SxfmClear, &TForm1::SxfmClearClick);
  onClick(Button7, &TForm1::Button7Click);
  onClick(LogDisp, &TForm1::LogDispClick);
  onClick(AutoVfs, &TForm1::AutoVfsClick);
  onClick(Expand, &TForm1::ExpandClick);
  onClick(Compres, &TForm1::CompresClick);
  onClick(SnapPeak, &TForm1::SnapPeakClick);
  onClick(McaMem, &TForm1::McaMemClick);
  onClick(Mem1Spec, &TForm1::Mem1SpecClick);
  onClick(Mem2Spec, &TForm1::Mem2SpecClick);
  onClick(Mem3Spec, &TForm1::Mem3SpecClick);
  onClick(OverLapON, &TForm1::OverLapONClick);
  onClick(FWHM, &TForm1::FWHMClick);
  onClick(PrintSpec, &TForm1::PrintSpecClick);
  onClick(PlotLpt, &TForm1::PlotLptClick);
  onClick(EngCalib, &TForm1::EngCalibClick);
  onPlainClick(AddStd, &TForm1::AddStdClick);
  onPlainClick(EditStd, &TForm1::EditStdClick);
  onPlainClick(ListStd, &TForm1::ListStdClick);
  onPlainClick(LoadStd, &TForm1::LoadStdClick);
  onPlainClick(MLSQfit, &TForm1::MLSQfitClick);
  onToggle(ROIOnCheck, &TForm1::ROIOnCheckClick);
  onToggle(ROILowCh, &TForm1::ROILowChClick);
  onToggle(ROIHighCh, &TForm1::ROIHighChClick);
  onToggle(LengCh, &TForm1::LengChClick);
  onToggle(HengCh, &TForm1::HengChClick);
  onChange(EditROILow, &TForm1::EditROILowChange);
  onChange(EditROIHigh, &TForm1::EditROIHighChange);
  onChange(LowCh, &TForm1::LowChChange);
  onChange(HiCh, &TForm1::HiChChange);
  connect(ROINoSelect, &QComboBox::activated, this,
          Guarded(this, [this](int) { RunCommand([this] { ROINoSelectChange(); }); }));
  connect(ROIColor, &QComboBox::activated, this, Guarded(this, [this](int) { ROIColorChange(); }));
  connect(UpDown1, &UpDownArrows::clicked, this,
          Guarded(this, [this](bool next) { RunCommand([this, next] { UpDown1Click(next); }); }));
  // Only presses on PaintBox1 reach the handler, in its own coordinates; the window background
  // around it moves nothing.
  connect(PaintBox1, &PaintBoxWidget::mouseDown, this,
          Guarded(this, [this](Qt::MouseButton b, int x, int y) {
            RunCommand([this, b, x, y] { PaintBox1MouseDown(b, x, y); });
          }));
  connect(Timer1, &QTimer::timeout, this, Guarded(this, [this] { Timer1Timer(); }));

  onMenu(Read1, &TForm1::Read1Click);
  onMenu(Write2, &TForm1::Write2Click);
  onMenu(Write1, &TForm1::Write1Click);
  onMenu(SetupPrint, &TForm1::SetupPrintClick);
  onPlainMenu(Exit1, &TForm1::Exit1Click);
  onPlainMenu(Utility, &TForm1::UtilityClick);
  onPlainMenu(DefaultVal1, &TForm1::DefaultVal1Click);
  onPlainMenu(About1, &TForm1::About1Click);
  onPlainMenu(Elements1, &TForm1::Elements1Click);
  // "&Option", "&OpenMca" and "&ScanMca" have no handler.
}

void TForm1::Exit1Click() {
  if (!MayClose()) return;
  closeAgreed_ = true;
  // Stop the timer before the bitmaps go, so that no tick can reach them.
  closing_ = true;
  Timer1->stop();
  ReleaseBitmaps(*state_);
  close();
}

void TForm1::UtilityClick() {}
void TForm1::DefaultVal1Click() {}

void TForm1::About1Click() {
  if (mcaAbout_) mcaAbout_->exec();
}

}  // namespace tavlex
