// The standards editor TEditStd (window definition unit Editref).

#include "ui/StandardsEditor.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "files/SpectrumFile.h"
#include "standards/StandardsCommands.h"
#include "ui/Controls.h"

namespace tavlex {
namespace {

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TEditStd::TEditStd(TDmSMTX& dm, QWidget* parent, MainWindowPort* status)
    : QDialog(parent), dm_(dm), status_(status) {
  setObjectName("EditStd");
  setWindowTitle("Rada Standard Element Editer");
  setFixedSize(604, 410);
  CreateControls();
  ConnectHandlers();
  FormCreate();
}

void TEditStd::CreateControls() {
  StdElemName = MakeLabel(this, "StdElemName", "Std Element", 8, 3);
  Kratio = MakeLabel(this, "Kratio", "K-Ratio", 120, 3);
  ChemiVal = MakeLabel(this, "ChemiVal", "Chemi. wt%", 232, 3);
  CfValue = MakeLabel(this, "CfValue", "CF", 328, 3);
  // The column of each row's spectrum file name, as the table stores it.
  StdSpecFile = MakeLabel(this, "StdSpecFile", "Std Spec. Filename", 384, 3);
  StdTableFile = MakeLabel(this, "StdTableFile", "StdTable Filename", 496, 3);
  Kratio->resize(80, Kratio->height());
  StdTableFile->resize(108, StdTableFile->height());
  Bevel1 = new QFrame(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(0, 18, 600, 2);
  for (int slot = 0; slot < kStandardSlots; ++slot) CreateRow(slot);
  CreatePanel();
}

void TEditStd::CreateRow(int slot) {
  const int n = slot + 1, y = 24 + 24 * slot;
  const QString row = QString::number(n);
  StdNo[slot] =
      MakeControl<QCheckBox>(this, "StdNo" + row, QString::asprintf("Std No.%2d", n), 8, y, 73, 17);
  // Empty until the table gives the row a value.
  auto edit = [&](const QString& name, int x, int w) {
    return MakeControl<QLineEdit>(this, name, QString(), x, y, w, 20);
  };
  StdKratio[slot] = edit("Std" + row + "Kratio", 80, 137);
  StdWtper[slot] = edit("Std" + row + "Wtper", 224, 73);
  StdCf[slot] = edit("Std" + row + "Cf", 304, 73);
  StdFileName[slot] = edit("Std" + row + "FileName", 384, 113);
}

void TEditStd::CreatePanel() {
  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  Panel1->setGeometry(505, 23, 95, 385);
  InitRef = MakeControl<QPushButton>(Panel1, "InitRef", "Initialize", 10, 8, 75, 25);
  UpDateRef = MakeControl<QPushButton>(Panel1, "UpDateRef", "Up Date", 10, 40, 75, 25);
  SaveRef = MakeControl<QPushButton>(Panel1, "SaveRef", "Save Table", 10, 72, 75, 25);
  SaveResult = MakeControl<QLabel>(Panel1, "SaveResult", QString(), 10, 99, 70, 34);
  SaveResult->setWordWrap(true);
  WtperON = MakeControl<QCheckBox>(Panel1, "WtperON", "wt% Disp.", 10, 136, 80, 17);
  XrayHV = MakeLabel(Panel1, "XrayHV", "XrayHV", 10, 160);
  HVinKV = MakeControl<QLineEdit>(Panel1, "HVinKV", "HVinKV", 10, 176, 75, 20);
  XrayCurrent = MakeLabel(Panel1, "XrayCurrent", "XrayCurrent", 10, 200);
  TubeuA = MakeControl<QLineEdit>(Panel1, "TubeuA", "TubeuA", 10, 216, 75, 20);
  EditOk = MakeControl<QPushButton>(Panel1, "EditOk", "Ok", 10, 320, 75, 25);
  EditCancel = MakeControl<QPushButton>(Panel1, "EditCancel", "Cancel", 10, 352, 75, 25);
  // Enter in a weight-per-cent box must not close the dialog.
  for (QPushButton* b : {InitRef, UpDateRef, SaveRef, EditOk, EditCancel}) b->setAutoDefault(false);
}

void TEditStd::ConnectHandlers() {
  void (TEditStd::*const wtper[kStandardSlots])() = {
      &TEditStd::Std1WtperChange,  &TEditStd::Std2WtperChange,  &TEditStd::Std3WtperChange,
      &TEditStd::Std4WtperChange,  &TEditStd::Std5WtperChange,  &TEditStd::Std6WtperChange,
      &TEditStd::Std7WtperChange,  &TEditStd::Std8WtperChange,  &TEditStd::Std9WtperChange,
      &TEditStd::Std10WtperChange, &TEditStd::Std11WtperChange, &TEditStd::Std12WtperChange,
      &TEditStd::Std13WtperChange, &TEditStd::Std14WtperChange, &TEditStd::Std15WtperChange,
      &TEditStd::Std16WtperChange};
  for (int slot = 0; slot < kStandardSlots; ++slot) {
    connect(StdWtper[slot], &QLineEdit::textChanged, this, wtper[slot]);
    connect(StdNo[slot], &QCheckBox::clicked, this, [this, slot] { StdNoClick(slot); });
  }
  connect(WtperON, &QCheckBox::clicked, this, &TEditStd::WtperONClick);
  connect(SaveRef, &QPushButton::clicked, this, &TEditStd::SaveRefClick);
  connect(InitRef, &QPushButton::clicked, this, &TEditStd::InitRefClick);
  connect(UpDateRef, &QPushButton::clicked, this, &TEditStd::UpDateRefClick);
  connect(EditOk, &QPushButton::clicked, this, &TEditStd::EditOkClick);
  connect(EditCancel, &QPushButton::clicked, this, &TEditStd::EditCancelClick);
}

void TEditStd::FormCreate() {
  StdTableFile->setText(Latin1(dm_.tableLabel));
  const bool wtPercent = WtperON->isChecked();
  for (int slot = 0; slot < kStandardSlots; ++slot) {
    const StandardRecord& r = dm_.table[slot];
    StdNo[slot]->setChecked(r.FitOn() == 1);
    // Typing is refused, visibly, until a fit has given the slot a K-ratio.
    StdWtper[slot]->setEnabled(TakesWtPercent(r));
    StdWtper[slot]->setPlaceholderText(TakesWtPercent(r) ? "" : "fit first");
    if (r.IsEmptySlot()) continue;
    StdNo[slot]->setText(Latin1(r.ElementName()));
    StdFileName[slot]->setText(Latin1(r.SpecFileName()));
    StdCf[slot]->setText(QString::fromStdString(CfText(r)));
    StdKratio[slot]->setText(QString::fromStdString(KRatioText(r, wtPercent)));
  }
}

void TEditStd::WtperONClick() {
  Kratio->setText(WtperON->isChecked() ? "Wt %" : "K-Ratio");
  FormCreate();
}

void TEditStd::SaveRefClick() {
  const SaveStatus saved = status_ ? SaveStandardsTable(*status_, dm_) : dm_.SaveStandards();
  SaveResult->setText(saved == SaveStatus::Failed ? filetext::kWriteError : "");
}

void TEditStd::StdWtperChange(int slot) {
  StoreWtPercent(dm_.table[slot], StdWtper[slot]->text().toLatin1().toStdString());
}

void TEditStd::EditOkClick() {
  done(kResultOk);
}
void TEditStd::EditCancelClick() {
  done(kResultCancel);
}
void TEditStd::reject() {
  done(kResultCancel);
}

}  // namespace tavlex
