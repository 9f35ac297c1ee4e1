#include "ui/ScanSetupDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

#include "app/Convert.h"
#include "ui/Controls.h"

namespace tavlex {
namespace {

constexpr const char* kRefreshWarning = "Warning ! Refresh >= Scan Time";

int StoredInt(const QLineEdit* edit, bool (*valid)(int), const char* what) {
  const std::string text = edit->text().toStdString();
  const int value = StrToInt(text);
  if (!valid(value)) throw ConvertError("'" + text + "' is out of range for the " + what);
  return value;
}

}  // namespace

TSXFMSetUp::TSXFMSetUp(SxfmSetup& setup, ErrorReporter reportError, FileChooser chooseFile,
                       QWidget* parent)
    : QDialog(parent),
      setup_(setup),
      reportError_(std::move(reportError)),
      chooseFile_(std::move(chooseFile)) {
  setObjectName("SXFMSetUp");
  setWindowTitle("SXFM SetUp");
  setFixedSize(420, 300);
  CreateControls();
  FormCreate();
}

void TSXFMSetUp::CreateControls() {
  McaMemSize = MakeGroup(this, "McaMemSize", "MCA Memory Size", 8, 6, 150, 92);
  MemSize512 =
      MakeControl<QRadioButton>(McaMemSize, "MemSize512", " 512ch x 2 Bank", 8, 20, 136, 18);
  MemSize1024 =
      MakeControl<QRadioButton>(McaMemSize, "MemSize1024", "1024ch x 2 Bank", 8, 44, 136, 18);
  MemSize2048 =
      MakeControl<QRadioButton>(McaMemSize, "MemSize2048", "2048ch x 2 Bank", 8, 68, 136, 18);
  MemSize1024->setChecked(true);

  McaTimers = MakeGroup(this, "McaTimers", "PreSet Time", 166, 6, 246, 92);
  Label1 = MakeControl<QLabel>(McaTimers, "Label1", "PreSet Time", 8, 24, 80, 16);
  SXFMPreSetTime = MakeControl<QLineEdit>(McaTimers, "SXFMPreSetTime", "10", 92, 20, 60, 22);
  SXFMPreSetTime->setMaxLength(8);
  Label2 = MakeControl<QLabel>(McaTimers, "Label2", "[ x 100msec]", 156, 24, 86, 16);
  Label3 = MakeControl<QLabel>(McaTimers, "Label3", "ReFlesh Timer", 8, 56, 80, 16);
  DispRefTimer = MakeControl<QLineEdit>(McaTimers, "DispRefTimer", "100", 92, 52, 60, 22);
  Label4 = MakeControl<QLabel>(McaTimers, "Label4", "[ Unit : msec]", 156, 56, 86, 16);

  ScanSkipOption =
      MakeControl<QCheckBox>(this, "ScanSkipOption", "Skip Blank[ Ref.ROI # 0 ]", 8, 104, 200, 18);
  ScanSkipOption->setEnabled(false);

  XrayMapPara = MakeGroup(this, "XrayMapPara", "Elements Mapping", 8, 126, 404, 134);
  SaveRawData =
      MakeControl<QCheckBox>(XrayMapPara, "SaveRawData", "Save Spectrum Data", 8, 20, 150, 18);
  Edit3 = MakeControl<QLineEdit>(XrayMapPara, "Edit3", "File Name", 160, 18, 236, 22);
  Edit3->setEnabled(false);
  ElementMapON =
      MakeControl<QCheckBox>(XrayMapPara, "ElementMapON", "X-ray Mapping ON", 8, 46, 150, 18);
  Label5 = MakeControl<QLabel>(XrayMapPara, "Label5", "X :", 8, 72, 20, 16);
  XMapSize = MakeControl<QLineEdit>(XrayMapPara, "XMapSize", "100", 30, 68, 50, 22);
  Label7 = MakeControl<QLabel>(XrayMapPara, "Label7", "Pixs", 84, 72, 30, 16);
  Label6 = MakeControl<QLabel>(XrayMapPara, "Label6", "Y :", 8, 100, 20, 16);
  YMapSize = MakeControl<QLineEdit>(XrayMapPara, "YMapSize", "100", 30, 96, 50, 22);
  Label8 = MakeControl<QLabel>(XrayMapPara, "Label8", "Pixs", 84, 100, 30, 16);
  XMapSize->setEnabled(false);
  YMapSize->setEnabled(false);
  for (int i = 0; i < 8; ++i) {
    const std::string name = "MapROI" + std::to_string(i + 1);
    const std::string text = "ROI #" + std::to_string(i + 1);
    MapROI[i] = MakeControl<QCheckBox>(XrayMapPara, name.c_str(), text.c_str(), 130 + (i % 4) * 68,
                                       72 + (i / 4) * 28, 66, 18);
    MapROI[i]->setEnabled(false);
  }

  RefreshWarning = MakeControl<QLabel>(this, "RefreshWarning", kRefreshWarning, 8, 272, 232, 18);
  QPalette warning = RefreshWarning->palette();
  warning.setColor(QPalette::WindowText, Qt::red);
  RefreshWarning->setPalette(warning);
  RefreshWarning->hide();

  OkButton = MakeControl<QPushButton>(this, "OkButton", "OK", 246, 268, 75, 25);
  CancelButton = MakeControl<QPushButton>(this, "CancelButton", "Cancel", 330, 268, 75, 25);
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &TSXFMSetUp::OkButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &TSXFMSetUp::CancelButtonClick);
  connect(SaveRawData, &QCheckBox::clicked, this, &TSXFMSetUp::SaveRawDataClick);
  connect(SXFMPreSetTime, &QLineEdit::textChanged, this, &TSXFMSetUp::SXFMPreSetTimeChange);
  connect(DispRefTimer, &QLineEdit::textChanged, this, &TSXFMSetUp::DispRefTimerChange);
}

void TSXFMSetUp::FormCreate() {
  if (setup_.memorySize > 2048) setup_.memorySize = 2048;
  if (setup_.memorySize == 512) MemSize512->setChecked(true);
  if (setup_.memorySize == 1024) MemSize1024->setChecked(true);
  if (setup_.memorySize == 2048) MemSize2048->setChecked(true);
  SXFMPreSetTime->setText(QString::number(setup_.presetTime));
  DispRefTimer->setText(QString::number(setup_.refreshMs));
  chosen_ = setup_.savePrefix;
  SaveRawData->setChecked(!chosen_.empty());
  if (!chosen_.empty()) Edit3->setText(QString::fromLocal8Bit(chosen_.c_str()));
  ShowRefreshWarning();
}

void TSXFMSetUp::ShowRefreshWarning() {
  // Only two numbers can be compared; a text that is none is refused at OK anyway.
  int steps = 0, ms = 0;
  const bool numbers = TryStrToInt(SXFMPreSetTime->text().toStdString(), steps) &&
                       TryStrToInt(DispRefTimer->text().toStdString(), ms);
  RefreshWarning->setVisible(numbers && !RefreshSeesEveryScan(ms, steps));
}

void TSXFMSetUp::Store() {
  if (MemSize512->isChecked()) setup_.memorySize = 512;
  if (MemSize1024->isChecked()) setup_.memorySize = 1024;
  if (MemSize2048->isChecked()) setup_.memorySize = 2048;
  setup_.presetTime = StoredInt(SXFMPreSetTime, ScanStepsValid, "scan preset");
  setup_.refreshMs = StoredInt(
      DispRefTimer, [](int ms) { return ms >= kShortestRefreshMs; }, "refresh interval");
  CopyText(setup_.savePrefix, sizeof setup_.savePrefix,
           SaveRawData->isChecked() ? chosen_ : std::string());
}

void TSXFMSetUp::OkButtonClick() {
  try {
    Store();
  } catch (const ConvertError& e) {
    // The dialog stays open for a correction.
    if (reportError_) reportError_(e.what());
    return;
  }
  accept();
}

void TSXFMSetUp::CancelButtonClick() {
  reject();
}

void TSXFMSetUp::SaveRawDataClick() {
  // Every click asks for the name again, checking or unchecking.
  if (!chooseFile_) return;
  if (const std::optional<std::string> name = chooseFile_()) {
    chosen_ = *name;
    Edit3->setText(QString::fromLocal8Bit(name->c_str()));
  }
}

void TSXFMSetUp::SXFMPreSetTimeChange() {
  ShowRefreshWarning();
}

void TSXFMSetUp::DispRefTimerChange() {
  ShowRefreshWarning();
}

}  // namespace tavlex
