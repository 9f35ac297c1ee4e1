// The window definition of the main window: every control with its name, kind, caption and place.
// Part of the main window TForm1 (window definition unit Xmca).

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include "ui/Colours.h"
#include "ui/Controls.h"
#include "ui/MainWindow.h"
#include "ui/PaintBox.h"

namespace tavlex {
namespace {

// The tabs of the two narrow page controls must fit their 169-pixel width without scrolling.
// Width of the client area as the window is designed; the right-hand controls keep their
// distance from its right edge.
constexpr int kDesignWidth = 754;

constexpr const char* kCompactTabs = "QTabBar::tab { padding: 2px 4px; margin: 0px; }";

QIcon Swatch(Colour c) {
  QPixmap pm(12, 12);
  pm.fill(ToQColor(c));
  return QIcon(pm);
}

}  // namespace

void TForm1::CreateControls() {
  auto* client = new QWidget(this);
  client->setObjectName("ClientArea");
  // The window can be resized and maximized; the design size is the smallest.
  client->setMinimumSize(kDesignWidth, 462);
  client->installEventFilter(this);
  client->setAutoFillBackground(true);
  setCentralWidget(client);
  CreatePlotArea(client);
  CreateAxfm(client);
  CreatePanel(client);
  CreatePageControl(client);
  Edit1 = MakeControl<QLineEdit>(client, "Edit1", "Status", 562, 372, 167, 20);
  Edit1->setReadOnly(true);
  CreateMenus();
  CreateNonVisual();
}

void TForm1::AnchorRight() {
  if (!AXFM || !Edit1) return;
  const int shift = centralWidget()->width() - kDesignWidth;
  const struct {
    QWidget* w;
    int left;
  } anchored[] = {{AXFM, 562}, {Panel1, 562}, {PageControl1, 562}, {Edit1, 562}};
  for (const auto& a : anchored) a.w->move(a.left + shift, a.w->y());
}

void TForm1::CreatePlotArea(QWidget* client) {
  PaintBox1 = new PaintBoxWidget(*state_, client);
  PaintBox1->setObjectName("PaintBox1");
  PaintBox1->setGeometry(8, 8, 530, 320);
  Label1 = MakeLabel(client, "Label1", "0000ch", 20, 330);
  Label3 = MakeLabel(client, "Label3", "@1024", 98, 330);
  Label5 = MakeLabel(client, "Label5", "[", 144, 330);
  Label8 = MakeLabel(client, "Label8", "0.00", 168, 330);
  Label9 = MakeLabel(client, "Label9", "keV", 200, 330);
  Label6 = MakeLabel(client, "Label6", "]", 236, 330);
  Label7 = MakeLabel(client, "Label7", "12345678", 256, 330);
  Label10 = MakeLabel(client, "Label10", "Counts", 312, 330);
  Label2 = MakeLabel(client, "Label2", "4095ch", 500, 330);
  // The readouts change length as they update: each is sized to its text, and pushes the ones
  // after it along when it would reach them.
  PlaceUnderPlotLabels();
}

void TForm1::CreateAxfm(QWidget* client) {
  AXFM = MakeAt<QTabWidget>(client, "AXFM", 562, 8, 169, 129);
  AXFM->setStyleSheet(kCompactTabs);
  SXFM = MakePage(AXFM, "SXFM", "SXFM");
  XMCA = MakePage(AXFM, "XMCA", "MCA");
  ROISet = MakePage(AXFM, "ROISet", "ROI");
  ROISCA = MakePage(AXFM, "ROISCA", "ROISCA");

  Edit4 = MakeControl<QLineEdit>(SXFM, "Edit4", "ScanCount", 4, 4, 76, 21);
  Label4 = MakeLabel(SXFM, "Label4", "scans", 86, 7);
  SxfmStart = MakeControl<QPushButton>(SXFM, "SxfmStart", "Start", 4, 30, 50, 22);
  SxfmStop = MakeControl<QPushButton>(SXFM, "SxfmStop", "Abort", 56, 30, 50, 22);
  SxfmClear = MakeControl<QPushButton>(SXFM, "SxfmClear", "Clear", 108, 30, 50, 22);
  Button7 = MakeControl<QPushButton>(SXFM, "Button7", "SetUp", 4, 56, 60, 22);
  CheckBox1 = MakeControl<QCheckBox>(SXFM, "CheckBox1", "TestRun", 72, 58, 86, 18);

  McaOpen = MakeControl<QPushButton>(XMCA, "McaOpen", "OpenMCA", 4, 4, 76, 22);
  Edit2 = MakeControl<QLineEdit>(XMCA, "Edit2", "Dev#", 84, 4, 74, 22);
  McaStart = MakeControl<QPushButton>(XMCA, "McaStart", "Start", 4, 30, 50, 22);
  McaStop = MakeControl<QPushButton>(XMCA, "McaStop", "Stop", 56, 30, 50, 22);
  McaClear = MakeControl<QPushButton>(XMCA, "McaClear", "Clear", 108, 30, 50, 22);
  Button10 = MakeControl<QPushButton>(XMCA, "Button10", "SetUp", 4, 56, 76, 22);
  // Usable only once an analyser has been opened.
  for (QPushButton* b : {McaStart, McaStop, McaClear, SxfmStart, SxfmStop, SxfmClear})
    b->setEnabled(false);

  ROINoSelect = MakeAt<QComboBox>(ROISet, "ROINoSelect", 4, 4, 80, 21);
  for (int i = 0; i < 16; ++i) ROINoSelect->addItem(QString::asprintf("ROI #%2d", i));
  ROINoSelect->addItem(QString());
  ROINoSelect->setMaxVisibleItems(16);
  ROINoSelect->setCurrentIndex(-1);
  ROIOnCheck = MakeControl<QCheckBox>(ROISet, "ROIOnCheck", "ON", 92, 6, 60, 17);
  // The colour list as wide as its longest name with its swatch; the label box gives it room.
  Element = MakeControl<QLineEdit>(ROISet, "Element", "Element", 4, 28, 62, 21);
  ROIColor = MakeAt<QComboBox>(ROISet, "ROIColor", 68, 28, 94, 21);
  for (const NamedColour& c : kStandardColours) ROIColor->addItem(Swatch(c.value), c.name, c.value);
  ROIColor->setCurrentIndex(ROIColor->findData(static_cast<uint>(0xFF0000)));
  ROILowCh = MakeControl<QCheckBox>(ROISet, "ROILowCh", "L_Ch", 4, 54, 58, 17);
  EditROILow = MakeAt<QLineEdit>(ROISet, "EditROILow", 62, 52, 60, 21);
  ROIHighCh = MakeControl<QCheckBox>(ROISet, "ROIHighCh", "H_Ch ", 4, 76, 58, 17);
  EditROIHigh = MakeAt<QLineEdit>(ROISet, "EditROIHigh", 62, 74, 60, 21);

  AcqMode = MakeAt<QGroupBox>(ROISCA, "AcqMode", 4, 2, 150, 94);
  AcqMode->setTitle(" ROISCA");
  SCAGATE = MakeControl<QRadioButton>(AcqMode, "SCAGATE", "SCAGATE", 8, 20, 120, 18);
  SCAFAST = MakeControl<QRadioButton>(AcqMode, "SCAFAST", "SCAFAST", 8, 42, 120, 18);
  MCA = MakeControl<QRadioButton>(AcqMode, "MCA", "MCA", 8, 64, 120, 18);
  MCA->setChecked(true);
}

void TForm1::CreatePanel(QWidget* client) {
  Panel1 = MakeAt<QWidget>(client, "Panel1", 562, 136, 169, 97);
  GroupBox1 = MakeAt<QGroupBox>(Panel1, "GroupBox1", 2, 2, 80, 93);
  GroupBox1->setTitle("VFS");
  UpDown1 = new UpDownArrows(GroupBox1);
  UpDown1->setObjectName("UpDown1");
  UpDown1->setGeometry(6, 20, 20, 46);
  AutoVfs = MakeControl<QPushButton>(GroupBox1, "AutoVfs", "Auto", 30, 20, 46, 22);
  LogDisp = MakeControl<QPushButton>(GroupBox1, "LogDisp", "LOG", 30, 44, 46, 22);
  GroupBox2 = MakeAt<QGroupBox>(Panel1, "GroupBox2", 86, 2, 81, 93);
  GroupBox2->setTitle("X-Axis");
  Expand = MakeControl<QPushButton>(GroupBox2, "Expand", "<< >>", 6, 20, 69, 22);
  Compres = MakeControl<QPushButton>(GroupBox2, "Compres", ">> <<", 6, 44, 69, 22);
  SnapPeak = MakeControl<QPushButton>(GroupBox2, "SnapPeak", "Snap Peak", 6, 68, 69, 22);
}

void TForm1::CreatePageControl(QWidget* client) {
  PageControl1 = MakeAt<QTabWidget>(client, "PageControl1", 562, 240, 169, 121);
  PageControl1->setStyleSheet(kCompactTabs);
  TabSheet1 = MakePage(PageControl1, "TabSheet1", "Eng.Calib");
  TabSheet2 = MakePage(PageControl1, "TabSheet2", "Calic. Plot");
  TabSheet3 = MakePage(PageControl1, "TabSheet3", "Rada");

  // Three captions and texts side by side in the narrow page: a size smaller, so that each of
  // them shows whole.
  TabSheet1->setStyleSheet("* { font-size: 10px; } QCheckBox { spacing: 2px; }");
  LengCh = MakeControl<QCheckBox>(TabSheet1, "LengCh", "L_Ch.", 2, 3, 52, 17);
  LowCh = MakeControl<QLineEdit>(TabSheet1, "LowCh", "Low Ch", 54, 1, 46, 20);
  LoEng = MakeControl<QLineEdit>(TabSheet1, "LoEng", "Low Energy", 100, 1, 64, 20);
  HengCh = MakeControl<QCheckBox>(TabSheet1, "HengCh", "H_Ch.", 2, 25, 52, 17);
  HiCh = MakeControl<QLineEdit>(TabSheet1, "HiCh", "High Ch", 54, 23, 46, 20);
  HiEng = MakeControl<QLineEdit>(TabSheet1, "HiEng", "Hi Energy", 100, 23, 64, 20);
  Unit = MakeLabel(TabSheet1, "Unit", "Unit:", 4, 50);
  ChKev = MakeControl<QLineEdit>(TabSheet1, "ChKev", "keV", 36, 47, 40, 20);
  EngCalib = MakeControl<QPushButton>(TabSheet1, "EngCalib", "Exec Calib", 82, 46, 80, 22);

  RadioGroup1 = MakeAt<QGroupBox>(TabSheet2, "RadioGroup1", 2, 0, 78, 94);
  RadioGroup1->setTitle("Mem");
  McaMem = MakeControl<QRadioButton>(RadioGroup1, "McaMem", "MCA", 6, 16, 68, 17);
  Mem1Spec = MakeControl<QRadioButton>(RadioGroup1, "Mem1Spec", "Mem1", 6, 34, 68, 17);
  Mem2Spec = MakeControl<QRadioButton>(RadioGroup1, "Mem2Spec", "Mem2", 6, 52, 68, 17);
  Mem3Spec = MakeControl<QRadioButton>(RadioGroup1, "Mem3Spec", "Mem3", 6, 70, 68, 17);
  McaMem->setChecked(true);
  OverLapON = MakeControl<QPushButton>(TabSheet2, "OverLapON", "SnapShot", 84, 2, 78, 20);
  FWHM = MakeControl<QPushButton>(TabSheet2, "FWHM", "FWHM Calic.", 84, 24, 78, 20);
  FwhmVal = MakeControl<QLineEdit>(TabSheet2, "FwhmVal", "Ch [ keV ]", 84, 46, 78, 20);
  PrintSpec = MakeControl<QPushButton>(TabSheet2, "PrintSpec", "H.Copy", 84, 70, 48, 20);
  PlotLpt = MakeControl<QPushButton>(TabSheet2, "PlotLpt", "Plot", 133, 70, 30, 20);

  AddStd = MakeControl<QPushButton>(TabSheet3, "AddStd", "Add Std", 4, 8, 65, 20);
  EditStd = MakeControl<QPushButton>(TabSheet3, "EditStd", "Edit Std", 4, 35, 65, 20);
  ListStd = MakeControl<QPushButton>(TabSheet3, "ListStd", "List Std", 4, 64, 65, 20);
  LoadStd = MakeControl<QPushButton>(TabSheet3, "LoadStd", "Load Std", 80, 64, 73, 20);
  MLSQfit = MakeControl<QPushButton>(TabSheet3, "MLSQfit", "MLSQ Fit", 80, 8, 73, 45);
}

void TForm1::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  auto item = [this](QMenu* menu, const char* name, const char* caption) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(name);
    return a;
  };
  File1 = bar->addMenu("&File");
  File1->setObjectName("File1");
  Read1 = item(File1, "Read1", "&Read");
  Write2 = item(File1, "Write2", "&AsciiWrite");
  Write1 = item(File1, "Write1", "&Write");
  SetupPrint = item(File1, "SetupPrint", "&SetUp Print");
  N1 = File1->addSeparator();
  N1->setObjectName("N1");
  Exit1 = item(File1, "Exit1", "&Exit");
  Config1 = bar->addMenu("&System");
  Config1->setObjectName("Config1");
  Utility = item(Config1, "Utility", "&Utility");
  DefaultVal1 = item(Config1, "DefaultVal1", "&DefaultParam.");
  Option1 = item(Config1, "Option1", "&Option");
  Connect1 = bar->addMenu("&Connect");
  Connect1->setObjectName("Connect1");
  Open1 = item(Connect1, "Open1", "&OpenMca");
  Scan1 = item(Connect1, "Scan1", "&ScanMca");
  Analysis1 = bar->addMenu("&Analysis");
  Analysis1->setObjectName("Analysis1");
  Elements1 = item(Analysis1, "Elements1", "&Elements...");
  Help1 = bar->addMenu("&Help");
  Help1->setObjectName("Help1");
  About1 = item(Help1, "About1", "&About");
}

void TForm1::CreateNonVisual() {
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(100);
  auto fileDialog = [this](const char* name, QFileDialog::AcceptMode mode, const char* filter,
                           const char* ext) {
    auto* d = new QFileDialog(this);
    d->setObjectName(name);
    d->setAcceptMode(mode);
    d->setOption(QFileDialog::DontUseNativeDialog, false);
    d->setNameFilters(QtNameFilters(filter));
    d->setDefaultSuffix(ext);
    return d;
  };
  OpenDialog1 = fileDialog("OpenDialog1", QFileDialog::AcceptOpen, "spectrum(*.dat)|*.dat", "dat");
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  SaveDialog1 = fileDialog("SaveDialog1", QFileDialog::AcceptSave, "spectrum(*.dat)|*.dat", "dat");
  SaveDialog2 = fileDialog("SaveDialog2", QFileDialog::AcceptSave, "Spectrumn(*.txt)|*.txt", "txt");
  SaveDialog2->setSizeGripEnabled(true);
  // Finished scans are saved beside this name; nothing is ever written over, so no question.
  SxfmDataDialog =
      fileDialog("SxfmDataDialog", QFileDialog::AcceptSave, "spectrum(*.dat)|*.dat", "dat");
  SxfmDataDialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  PrinterSetupDialog1 = new QObject(this);
  PrinterSetupDialog1->setObjectName("PrinterSetupDialog1");
}

}  // namespace tavlex
