// Handlers of the spectrum files and printing (main window TForm1, unit Xmca).

#include <QFile>
#include <QFileDialog>
#include <QRadioButton>

#include "files/SpectrumFile.h"
#include "ui/MainWindow.h"

namespace tavlex {
namespace {

// The program's records hold 8-bit paths; this is the file system's own encoding of the name.
std::string PathBytes(const QString& chosen) {
  return QFile::encodeName(chosen).toStdString();
}

}  // namespace

void TForm1::Read1Click() {
  const std::optional<QString> chosen = ChooseFile(*OpenDialog1);
  if (!chosen) return;
  int checked = kMcaView;
  if (Mem1Spec->isChecked()) checked = 0;
  if (Mem2Spec->isChecked()) checked = 1;
  if (Mem3Spec->isChecked()) checked = 2;
  // A file that could not be opened still gave its name to the header band; every other read
  // repaints itself.
  if (ReadSpectrumFile(*state_, *this, PathBytes(*chosen), checked).status ==
      FileStatus::CannotOpen)
    PaintBox1Paint();
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
