#pragma once
// The main window TForm1 (window definition unit Xmca): the plot, the acquisition and analysis
// controls, the menus. Handlers only read widgets, call the logic of the other folders and write
// widgets back.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

#include "app/AppState.h"
#include "app/Clock.h"
#include "app/MainWindowPort.h"
#include "files/ReportPage.h"
#include "link/Protocol.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class QPainter;
class QSize;
class QAction;
class QDialog;
class QMenu;
class QPrinter;

namespace tavlex {

class PaintBoxWidget;
class UpDownArrows;
class TDmSMTX;
class TMcaAbout;
class TElementsDialog;
struct Identification;

// Runs a file dialog and gives the chosen path; tests replace it so that nothing blocks.
using FileChooser = std::function<std::optional<QString>(QFileDialog& dialog)>;
// Runs a modal dialog (the printer set-up) and gives its result; tests replace it as well.
using DialogRunner = std::function<int(QDialog& dialog)>;
// Asks whether the run under way is to be stopped so that the window can close; tests replace it.
using CloseQuestion = std::function<bool()>;

class TForm1 : public QMainWindow, public MainWindowPort {
  Q_OBJECT
 public:
  // `driver` and `clock` outlive the window.
  TForm1(Driver& driver, Clock& clock, QWidget* parent = nullptr);
  ~TForm1() override;

  AppState& State() { return *state_; }
  const AppState& State() const { return *state_; }
  // The window's one link to the analyser, with the recovery copies installed as its run events.
  LinkContext& Link() { return link_; }
  // Gives the standards commands their data module and its two file dialogs.
  void SetDataModule(TDmSMTX* dm);
  TDmSMTX* DataModule() const { return dmSmtx_; }
  void SetAboutBox(TMcaAbout* about) { mcaAbout_ = about; }
  void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
  std::optional<QString> ChooseFile(QFileDialog& dialog);
  void SetDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }
  void SetCloseQuestion(CloseQuestion question) { closeQuestion_ = std::move(question); }
  // The printer "Plot" and "H.Copy" print on, as the printer set-up leaves it.
  QPrinter& Printer();
  // The command under way did nothing (its dialog was cancelled): the status box stays.
  void CommandDeclined() { commandDeclined_ = true; }

  // MainWindowPort
  void SetText(Field field, std::string_view text) override;
  std::string Text(Field field) const override;
  void SetTimerEnabled(bool on) override;
  bool TimerEnabled() const override;
  void SetTimerInterval(int ms) override;
  int TimerInterval() const override;
  void PaintBoxChanged() override;

 public slots:
  // Analyser link
  void McaOpenClick();
  // MCA acquisition and its setup
  void McaStartClick();
  void McaStopClick();
  void McaClearClick();
  void Button10Click();
  void SCAGATEClick();
  void SCAFASTClick();
  void MCAClick();
  void Timer1Timer();
  // SXFM scans
  void SxfmStartClick();
  void SxfmStopClick();
  void SxfmClearClick();
  void Button7Click();
  // Plot and view
  void PaintBox1Paint();
  void PaintBox1MouseDown(Qt::MouseButton button, int x, int y);
  void Edit1Click();
  void LogDispClick();
  void UpDown1Click(bool next);
  void AutoVfsClick();
  void ExpandClick();
  void CompresClick();
  // Regions of interest
  void ROINoSelectChange();
  void ROIOnCheckClick();
  void ROIColorChange();
  void ROILowChClick();
  void ROIHighChClick();
  void EditROILowChange();
  void EditROIHighChange();
  // Memories and snapshots
  void McaMemClick();
  void Mem1SpecClick();
  void Mem2SpecClick();
  void Mem3SpecClick();
  void OverLapONClick();
  // Energy calibration and peak tools
  void LengChClick();
  void HengChClick();
  void LowChChange();
  void HiChChange();
  void EngCalibClick();
  void SnapPeakClick();
  void FWHMClick();
  // Files and printing
  void Read1Click();
  void Write1Click();
  void Write2Click();
  void SetupPrintClick();
  void PlotLptClick();
  void PrintSpecClick();
  // Standards
  void AddStdClick();
  void EditStdClick();
  void ListStdClick();
  void LoadStdClick();
  void MLSQfitClick();
  // Menus
  void Exit1Click();
  void UtilityClick();
  void DefaultVal1Click();
  void About1Click();
  // Analysis -> Elements... (MainWindowElements.cpp)
  void Elements1Click();
  void ElementsMarkClick();
  void ElementsClearClick();
  void ElementsToggle(int z, bool on);
  void ElementsIdentifyClick();
  void ElementsRoiClick();
  TElementsDialog* ElementsDialog() const { return elements_; }

 public:
  // Controls, by their window-definition names.
  PaintBoxWidget* PaintBox1 = nullptr;
  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label5 = nullptr,
         *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr,
         *Label10 = nullptr;
  QTabWidget* AXFM = nullptr;
  QWidget *SXFM = nullptr, *XMCA = nullptr, *ROISet = nullptr, *ROISCA = nullptr;
  QLineEdit* Edit4 = nullptr;
  QLabel* Label4 = nullptr;
  QPushButton *SxfmStart = nullptr, *SxfmStop = nullptr, *SxfmClear = nullptr, *Button7 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QPushButton* McaOpen = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton *McaStart = nullptr, *McaStop = nullptr, *McaClear = nullptr, *Button10 = nullptr;
  QComboBox* ROINoSelect = nullptr;
  QCheckBox* ROIOnCheck = nullptr;
  QLineEdit* Element = nullptr;
  QComboBox* ROIColor = nullptr;
  QCheckBox *ROILowCh = nullptr, *ROIHighCh = nullptr;
  QLineEdit *EditROILow = nullptr, *EditROIHigh = nullptr;
  QGroupBox* AcqMode = nullptr;
  QRadioButton *SCAGATE = nullptr, *SCAFAST = nullptr, *MCA = nullptr;
  QWidget* Panel1 = nullptr;
  QGroupBox *GroupBox1 = nullptr, *GroupBox2 = nullptr;
  UpDownArrows* UpDown1 = nullptr;
  QPushButton *AutoVfs = nullptr, *LogDisp = nullptr, *Expand = nullptr, *Compres = nullptr,
              *SnapPeak = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;
  QCheckBox *LengCh = nullptr, *HengCh = nullptr;
  QLineEdit *LowCh = nullptr, *HiCh = nullptr, *LoEng = nullptr, *HiEng = nullptr, *ChKev = nullptr;
  QLabel* Unit = nullptr;
  QPushButton* EngCalib = nullptr;
  QGroupBox* RadioGroup1 = nullptr;
  QRadioButton *McaMem = nullptr, *Mem1Spec = nullptr, *Mem2Spec = nullptr, *Mem3Spec = nullptr;
  QPushButton *OverLapON = nullptr, *FWHM = nullptr, *PrintSpec = nullptr, *PlotLpt = nullptr;
  QLineEdit* FwhmVal = nullptr;
  QPushButton *AddStd = nullptr, *EditStd = nullptr, *ListStd = nullptr, *LoadStd = nullptr,
              *MLSQfit = nullptr;
  QLineEdit* Edit1 = nullptr;
  QTimer* Timer1 = nullptr;
  QFileDialog *OpenDialog1 = nullptr, *SaveDialog1 = nullptr, *SaveDialog2 = nullptr,
              *SxfmDataDialog = nullptr;
  QObject* PrinterSetupDialog1 = nullptr;
  // The standards data module's dialogs (OpenDialog1, SaveDialog1 inside DmSMTX).
  QWidget* DmSMTX = nullptr;
  QFileDialog *StdOpenDialog = nullptr, *StdSaveDialog = nullptr;
  // Menu items
  QMenu *File1 = nullptr, *Config1 = nullptr, *Connect1 = nullptr, *Analysis1 = nullptr,
        *Help1 = nullptr;
  QAction* Elements1 = nullptr;
  QAction *Read1 = nullptr, *Write2 = nullptr, *Write1 = nullptr, *SetupPrint = nullptr,
          *N1 = nullptr, *Exit1 = nullptr, *Utility = nullptr, *DefaultVal1 = nullptr,
          *Option1 = nullptr, *Open1 = nullptr, *Scan1 = nullptr, *About1 = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // However the window is closed (Exit or its title bar), a run under way is only stopped when
  // the user agrees, and then keeps its counts.
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  // A press on the window background around the plot moves nothing (see ConnectHandlers).
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void CreatePlotArea(QWidget* client);
  void CreateAxfm(QWidget* client);
  void CreatePanel(QWidget* client);
  void CreatePageControl(QWidget* client);
  void CreateMenus();
  // Whether the window may close: nothing runs, or the user agreed to stop the run.
  bool MayClose();
  // Where the next scan series' files are numbered from.
  void NumberScanFiles();
  void CreateNonVisual();
  void ConnectHandlers();
  QLabel* LabelFor(Field field) const;
  // The labels under the plot as wide as their texts, at their layout's places, none running
  // into the next.
  void PlaceUnderPlotLabels();
  QLineEdit* EditFor(Field field) const;
  // Keeps the controls right of the plot at their distance from the client area's right edge.
  void AnchorRight();
  // One page on the printer; without a usable printer the page goes to a PDF or PNG file the
  // user names, where a PDF viewer shows it as `shown` says. The choice of where is made before
  // `prepare` runs.
  void PrintPage(const std::function<void()>& prepare,
                 const std::function<void(QPainter&, QSize)>& draw,
                 PageShown shown = PageShown::AsDrawn);

  // Runs a command's handler. One that ends without writing the status box or an error, and
  // was not declined, has succeeded: an error message an earlier command left goes. Handlers a
  // command sets off in turn (a check box it clears) are part of it.
  template <class F>
  void RunCommand(const F& handler);
  int commandDepth_ = 0;
  int statusWrites_ = 0;
  bool commandDeclined_ = false;

  std::unique_ptr<AppState> state_;
  Driver& driver_;
  Clock& clock_;
  LinkContext link_;
  TDmSMTX* dmSmtx_ = nullptr;
  TMcaAbout* mcaAbout_ = nullptr;
  // The Elements dialog, made on first use, and the last identification (its resolution sizes
  // the regions made from lines).
  TElementsDialog* elements_ = nullptr;
  std::unique_ptr<Identification> identification_;
  bool identified_ = false;
  // The marked elements' lines into the dialog's list and table, then the repaint.
  void ShowMarkedElements();
  FileChooser fileChooser_;
  DialogRunner dialogRunner_;
  CloseQuestion closeQuestion_;
  bool closeAgreed_ = false;
  std::unique_ptr<QPrinter> printer_;
  bool closing_ = false;
  // The window state the last resize was handled in: a maximize or a restore is a change of it.
  Qt::WindowStates shownState_ = Qt::WindowNoState;
};

}  // namespace tavlex
