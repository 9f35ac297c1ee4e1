// Handlers of the standards commands on the "Rada" page.
// Part of the main window TForm1 (window definition unit Xmca).

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>

#include "standards/StandardsCommands.h"
#include "ui/Colours.h"
#include "ui/MainWindow.h"
#include "ui/StandardsEditor.h"

namespace tavlex {
namespace {

QFileDialog* MakeStdDialog(QWidget* owner, const char* name, QFileDialog::AcceptMode mode,
                           const char* filter, const char* ext) {
  auto* d = new QFileDialog(owner);
  d->setObjectName(name);
  d->setAcceptMode(mode);
  if (*filter) d->setNameFilters(QtNameFilters(filter));
  d->setDefaultSuffix(ext);
  d->setProperty("filter", QString::fromLatin1(filter));
  return d;
}

}  // namespace

void TForm1::SetDataModule(TDmSMTX* dm) {
  dmSmtx_ = dm;
  if (!dm) return;
  if (!DmSMTX) {
    DmSMTX = new QWidget(this);
    DmSMTX->setObjectName("DmSMTX");
    DmSMTX->hide();
    StdOpenDialog = MakeStdDialog(DmSMTX, "OpenDialog1", QFileDialog::AcceptOpen,
                                  TDmSMTX::kOpenDialogFilter, TDmSMTX::kOpenDialogDefaultExt);
    StdOpenDialog->setFileMode(QFileDialog::ExistingFile);
    StdSaveDialog = MakeStdDialog(DmSMTX, "SaveDialog1", QFileDialog::AcceptSave, "", "");
  }
  dm->SetPathChooser([this](StdDialog which) -> std::optional<std::string> {
    QFileDialog* d = which == StdDialog::Open ? StdOpenDialog : StdSaveDialog;
    // Every load starts on the table filter; whatever is chosen is read as a table.
    if (which == StdDialog::Open) d->selectNameFilter(d->nameFilters().front());
    const std::optional<QString> chosen = ChooseFile(*d);
    if (!chosen) return std::nullopt;
    return QFile::encodeName(*chosen).toStdString();
  });
}

void TForm1::AddStdClick() {
  if (dmSmtx_) AddStandardFromRoi(*state_, *this, *dmSmtx_);
}

void TForm1::EditStdClick() {
  if (!dmSmtx_) return;
  int result = 0;
  {
    TEditStd dialog(*dmSmtx_, this, this);
    result = dialog.exec();
  }
  if (result == TEditStd::kResultOk) PaintBox1Paint();
}

void TForm1::ListStdClick() {}

void TForm1::LoadStdClick() {
  // The regions the standards go to are switched off: the plot no longer shades them.
  if (dmSmtx_ && LoadStandardsIntoRois(*state_, *this, *dmSmtx_) > 0) PaintBox1Paint();
}

void TForm1::MLSQfitClick() {
  if (!dmSmtx_) return;
  if (!FitShowsEditor(FitDisplayedSpectrum(*state_, *this, *dmSmtx_))) return;
  EditStdClick();
}

}  // namespace tavlex
