// Handlers of the MCA acquisition, its setup and the SXFM scans.

#include <QDialog>
#include <QFile>

#include "acq/Acquisition.h"
#include "acq/Dlgsxfm.h"
#include "acq/Xmca1.h"
#include "app/Convert.h"
#include "files/SpectrumFile.h"
#include "ui/ErrorBox.h"
#include "ui/Xmca.h"

namespace tavlex {
namespace {
LinkContext LinkOf(TForm1& form) {
  return LinkContext{form.State(), form, form.LinkDriver(), form.LinkClock()};
}
}  // namespace

void TForm1::McaStartClick() {
  LinkContext link = LinkOf(*this);
  tavlex::McaStart(link);
}

void TForm1::McaStopClick() {
  LinkContext link = LinkOf(*this);
  tavlex::McaStop(link);
}

void TForm1::McaClearClick() {
  LinkContext link = LinkOf(*this);
  tavlex::McaClear(link);
}

void TForm1::SCAGATEClick() {
  LinkContext link = LinkOf(*this);
  SetAcqMode(link, 'G');
}

void TForm1::SCAFASTClick() {
  LinkContext link = LinkOf(*this);
  SetAcqMode(link, 'S');
}

void TForm1::MCAClick() {
  LinkContext link = LinkOf(*this);
  SetAcqMode(link, 'M');
}

void TForm1::Timer1Timer() {
  LinkContext link = LinkOf(*this);
  AppState& s = State();
  // A finished scan is saved when "Save Spectrum Data" named a place; a failed save says so in
  // the status box and the scans go on.
  if (Timer1Tick(link) && s.sxfmSetup.savePrefix[0] != '\0')
    SaveFinishedScan(s, *this, s.sxfmSetup.savePrefix, s.scanCount);
}

void TForm1::Button10Click() {
  AppState& s = State();
  // The dialog shows the texts of the displayed spectrum.
  CopyText(s.mcaSetup.comment, sizeof s.mcaSetup.comment, s.currentHeader.Comment());
  CopyText(s.mcaSetup.sampleId, sizeof s.mcaSetup.sampleId, s.currentHeader.SampleId());
  bool ok = false;
  {
    TXMCA1SetUp dialog(
        s.mcaSetup, [this](const std::string& m) { ShowErrorBox(this, QString::fromStdString(m)); },
        this);
    ok = dialog.exec() == QDialog::Accepted && dialog.StoredCleanly();
  }
  if (!ok) return;
  LinkContext link = LinkOf(*this);
  ApplyMcaSetup(link);
}

void TForm1::SxfmStartClick() {
  LinkContext link = LinkOf(*this);
  tavlex::SxfmStart(link);
}

void TForm1::SxfmStopClick() {
  LinkContext link = LinkOf(*this);
  tavlex::SxfmStop(link);
}

void TForm1::SxfmClearClick() {
  LinkContext link = LinkOf(*this);
  tavlex::SxfmClear(link);
}

void TForm1::Button7Click() {
  AppState& s = State();
  PrepareSxfmSetup(s);
  bool ok = false;
  {
    TSXFMSetUp dialog(
        s.sxfmSetup,
        [this](const std::string& m) { ShowErrorBox(this, QString::fromStdString(m)); },
        [this]() -> std::optional<std::string> {
          const std::optional<QString> chosen = ChooseFile(*SxfmDataDialog);
          if (!chosen) return std::nullopt;
          return ScanPrefixFromChosen(QFile::encodeName(*chosen).toStdString());
        },
        this);
    ok = dialog.exec() == QDialog::Accepted;
  }
  if (!ok) return;
  LinkContext link = LinkOf(*this);
  ApplySxfmSetup(link);
}

}  // namespace tavlex
