#include "ui/McaSetupDialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>

#include "app/Convert.h"
#include "ui/Controls.h"

namespace tavlex {
namespace {

constexpr int kSizes[5] = {256, 512, 1024, 2048, 4096};
// The comment and the sample ID live in 32-byte slots with their NUL.
constexpr int kTextLimit = 31;

}  // namespace

TXMCA1SetUp::TXMCA1SetUp(McaSetup& setup, ErrorReporter reportError, QWidget* parent)
    : QDialog(parent), setup_(setup), reportError_(std::move(reportError)) {
  setObjectName("XMCA1SetUp");
  setWindowTitle("XMCA1 SetUp");
  setFixedSize(396, 179);
  CreateControls();
  FormCreate();
}

void TXMCA1SetUp::CreateControls() {
  McaMemory = MakeGroup(this, "McaMemory", "McaMemory", 8, 6, 104, 132);
  m256ch = MakeControl<QRadioButton>(McaMemory, "m256ch", "256  ch", 10, 20, 88, 18);
  m512ch = MakeControl<QRadioButton>(McaMemory, "m512ch", "512  ch", 10, 42, 88, 18);
  m1024ch = MakeControl<QRadioButton>(McaMemory, "m1024ch", "1024 ch", 10, 64, 88, 18);
  m2048ch = MakeControl<QRadioButton>(McaMemory, "m2048ch", "2048 ch", 10, 86, 88, 18);
  m4096ch = MakeControl<QRadioButton>(McaMemory, "m4096ch", "4096 ch", 10, 108, 88, 18);
  m4096ch->setChecked(true);

  Label1 = MakeControl<QLabel>(this, "Label1", "Preset Time", 124, 14, 120, 16);
  PresetRT = MakeControl<QLineEdit>(this, "PresetRT", "1000.0", 250, 10, 90, 22);
  Label2 = MakeControl<QLabel>(this, "Label2", "sec", 346, 14, 40, 16);
  Label4 = MakeControl<QLabel>(this, "Label4", "Dead Time per Event", 124, 42, 124, 16);
  DeadTime = MakeControl<QLineEdit>(this, "DeadTime", "1.2", 250, 38, 90, 22);
  Label5 = MakeControl<QLabel>(this, "Label5", "usec", 346, 42, 40, 16);
  Comment1 = MakeControl<QLabel>(this, "Comment1", "McaData ", 124, 68, 60, 16);
  Label6 = MakeControl<QLabel>(this, "Label6", "Comment", 124, 82, 60, 16);
  SpcLabel1 = MakeControl<QLineEdit>(this, "SpcLabel1", "", 190, 72, 196, 22);
  Comment2 = MakeControl<QLabel>(this, "Comment2", "Sample", 124, 102, 60, 16);
  Label3 = MakeControl<QLabel>(this, "Label3", "ID. Code", 124, 116, 60, 16);
  SpcLabel2 = MakeControl<QLineEdit>(this, "SpcLabel2", "", 190, 106, 196, 22);
  for (QLineEdit* e : {PresetRT, DeadTime}) e->setAlignment(Qt::AlignRight);
  // The edit boxes refuse more characters than the record can hold.
  SpcLabel1->setMaxLength(kTextLimit);
  SpcLabel2->setMaxLength(kTextLimit);

  OkButton = MakeControl<QPushButton>(this, "OkButton", "Ok", 220, 146, 75, 25);
  CancelButton = MakeControl<QPushButton>(this, "CancelButton", "Cancel", 308, 146, 75, 25);
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &TXMCA1SetUp::OkButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(PresetRT, &QLineEdit::textChanged, this, &TXMCA1SetUp::PresetRTChange);
  connect(DeadTime, &QLineEdit::textChanged, this, &TXMCA1SetUp::DeadTimeChange);
}

void TXMCA1SetUp::FormCreate() {
  if (setup_.memorySize > 4096) setup_.memorySize = 4096;
  if (setup_.presetTime <= 0) setup_.presetTime = 100;
  QRadioButton* buttons[5] = {m256ch, m512ch, m1024ch, m2048ch, m4096ch};
  for (int i = 0; i < 5; ++i)
    if (setup_.memorySize == kSizes[i]) buttons[i]->setChecked(true);
  char text[64];
  std::snprintf(text, sizeof text, "%9.1f", setup_.presetTime * 0.1);
  PresetRT->setText(text);
  std::snprintf(text, sizeof text, "%9.1f", static_cast<double>(setup_.deadTimePerEvent));
  DeadTime->setText(text);
  SpcLabel1->setText(QString::fromLatin1(setup_.comment));
  SpcLabel2->setText(QString::fromLatin1(setup_.sampleId));
}

void TXMCA1SetUp::Store() {
  QRadioButton* buttons[5] = {m256ch, m512ch, m1024ch, m2048ch, m4096ch};
  for (int i = 0; i < 5; ++i)
    if (buttons[i]->isChecked()) setup_.memorySize = kSizes[i];
  const std::string preset = PresetRT->text().toStdString();
  const double seconds = StrToFloat(preset);
  if (!PresetSecondsValid(seconds))
    throw ConvertError("'" + preset + "' is out of range for the preset");
  setup_.presetTime = PresetTenthsFromSeconds(seconds);
  const std::string deadTime = DeadTime->text().toStdString();
  const double us = StrToFloat(deadTime);
  // A negative dead time would show a live time longer than the real time.
  if (!DeadTimeFits(us))
    throw ConvertError("'" + deadTime + "' is out of range for the dead time per event");
  setup_.deadTimePerEvent = static_cast<float>(us);
  CopyText(setup_.comment, sizeof setup_.comment, SpcLabel1->text().toLatin1().toStdString());
  CopyText(setup_.sampleId, sizeof setup_.sampleId, SpcLabel2->text().toLatin1().toStdString());
}

bool TXMCA1SetUp::StoreReporting() {
  try {
    Store();
    storedCleanly_ = true;
  } catch (const ConvertError& e) {
    storedCleanly_ = false;
    if (reportError_) reportError_(e.what());
  }
  return storedCleanly_;
}

void TXMCA1SetUp::OkButtonClick() {
  // A number that does not convert keeps the dialog open, so the operator can correct it
  // instead of having half the settings sent to the analyser.
  if (StoreReporting()) accept();
}

void TXMCA1SetUp::done(int result) {
  if (result != QDialog::Accepted) StoreReporting();
  QDialog::done(result);
}

void TXMCA1SetUp::PresetRTChange() {
  double ignored;
  TryStrToFloat(PresetRT->text().toStdString(), ignored);
}

void TXMCA1SetUp::DeadTimeChange() {
  double ignored;
  TryStrToFloat(DeadTime->text().toStdString(), ignored);
}

}  // namespace tavlex
