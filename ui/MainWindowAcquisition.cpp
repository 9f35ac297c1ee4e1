// Handlers of the MCA acquisition, its setup and the SXFM scans (main window TForm1, unit Xmca).

#include <QDialog>
#include <QFile>

#include "acq/Acquisition.h"
#include "app/Convert.h"
#include "files/SpectrumFile.h"
#include "ui/ErrorBox.h"
#include "ui/MainWindow.h"
#include "ui/McaSetupDialog.h"
#include "ui/ScanSetupDialog.h"

namespace tavlex {

void TForm1::McaStartClick() {
  tavlex::McaStart(link_);
}

void TForm1::McaStopClick() {
  tavlex::McaStop(link_);
}

void TForm1::McaClearClick() {
  tavlex::McaClear(link_);
}

void TForm1::SCAGATEClick() {
  SetAcqMode(link_, 'G');
}

void TForm1::SCAFASTClick() {
  SetAcqMode(link_, 'S');
}

void TForm1::MCAClick() {
  SetAcqMode(link_, 'M');
}

void TForm1::Timer1Timer() {
  AppState& s = State();
  // A finished scan is saved when "Save Spectrum Data" named a place; a failed save says so in
  // the status box and the scans go on.
  if (Timer1Tick(link_) && s.sxfmSetup.savePrefix[0] != '\0')
    SaveFinishedScan(s, *this, s.sxfmSetup.savePrefix, s.scanFileBase + s.scanCount);
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
  if (!ok) {
    CommandDeclined();
    return;
  }
  ApplyMcaSetup(link_);
}

void TForm1::SxfmStartClick() {
  NumberScanFiles();
  tavlex::SxfmStart(link_);
}

void TForm1::SxfmStopClick() {
  tavlex::SxfmStop(link_);
}

void TForm1::SxfmClearClick() {
  tavlex::SxfmClear(link_);
  NumberScanFiles();
}

void TForm1::NumberScanFiles() {
  // A series under a name used before goes on after its files instead of running into them.
  AppState& s = State();
  s.scanFileBase =
      s.sxfmSetup.savePrefix[0] != '\0' ? LastScanFileNumber(s.sxfmSetup.savePrefix) : 0;
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
  if (!ok) {
    CommandDeclined();
    // The memory may have come down to 2048 channels, and the region sums with it.
    PaintBox1Paint();
    return;
  }
  ApplySxfmSetup(link_);
}

}  // namespace tavlex
