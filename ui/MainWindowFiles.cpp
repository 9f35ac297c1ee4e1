// Handlers of the spectrum files and printing (main window TForm1, unit Xmca).

#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QRadioButton>
#include <algorithm>

#include "app/Convert.h"
#include "files/SpectrumFile.h"
#include "ui/MainWindow.h"

namespace tavlex {
namespace {

// The program's records hold 8-bit paths; this is the file system's own encoding of the name.
std::string PathBytes(const QString& chosen) {
  return QFile::encodeName(chosen).toStdString();
}

// The spectra File -> Read takes: this program's and other programs' text spectra.
const QStringList kReadFilters = {"All spectra (*.dat *.msa *.mca *.spe *.csv *.txt)",
                                  "spectrum(*.dat)",
                                  "EMSA/MAS (*.msa *.emsa)",
                                  "PMCA or counts (*.mca)",
                                  "IAEA SPE (*.spe)",
                                  "Columns (*.csv *.txt)"};

// The factor to sum a spectrum's channels by so that it fits, asked with the smallest one that
// does; 0 when the user declines.
int AskRebin(QWidget* parent, int channels) {
  QInputDialog ask(parent);
  ask.setObjectName("RebinDialog");
  ask.setWindowTitle("Read");
  ask.setLabelText(QString::fromStdString(
      Format("The file has %d channels, more than the 4096 the program holds.\n"
             "Sum channels by:",
             channels)));
  ask.setInputMode(QInputDialog::IntInput);
  ask.setIntRange(2, kMaxRebin);
  ask.setIntValue(std::min(RebinToFit(channels), kMaxRebin));
  return ask.exec() == QDialog::Accepted ? ask.intValue() : 0;
}

}  // namespace

void TForm1::Read1Click() {
  OpenDialog1->setNameFilters(kReadFilters);
  const std::optional<QString> chosen = ChooseFile(*OpenDialog1);
  if (!chosen) return;
  int checked = kMcaView;
  if (Mem1Spec->isChecked()) checked = 0;
  if (Mem2Spec->isChecked()) checked = 1;
  if (Mem3Spec->isChecked()) checked = 2;
  const std::string path = PathBytes(*chosen);
  FileResult r = ReadSpectrumFile(*state_, *this, path, checked);
  // A larger spectrum is never cut: it is read again binned, if the user wants that.
  if (r.status == FileStatus::TooManyChannels && RebinToFit(r.channelsFound) <= kMaxRebin) {
    if (const int rebin = AskRebin(this, r.channelsFound); rebin > 0)
      r = ReadSpectrumFile(*state_, *this, path, checked, {rebin});
  }
  // A file that could not be opened still gave its name to the header band; every other read
  // repaints itself.
  if (r.status == FileStatus::CannotOpen) PaintBox1Paint();
}

void TForm1::Write1Click() {
  const std::optional<QString> chosen = ChooseFile(*SaveDialog1);
  if (!chosen) return;
  WriteSpectrumFile(*state_, *this, PathBytes(*chosen));
  // The header band names the file written.
  PaintBox1Paint();
}

void TForm1::Write2Click() {
  const std::optional<QString> chosen = ChooseFile(*SaveDialog2);
  if (!chosen) return;
  WriteAsciiDump(*state_, *this, PathBytes(*chosen));
  PaintBox1Paint();
}

}  // namespace tavlex
