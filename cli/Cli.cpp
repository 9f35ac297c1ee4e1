#include "cli/Cli.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli/Output.h"

namespace tavlex {
namespace {

struct Command {
  const char* name;
  int (*run)(const cli::Args&);
  const char* help;
};

const Command kCommands[] = {
    {"info", cli::Info,
     "usage: tavlex info [--json] [--] FILE.dat...\n"
     "Reads spectrum files as File -> Read does and prints each one's header, regions and\n"
     "totals, one 'key: value' line each (a blank line between files), or with --json one\n"
     "JSON object per file, one per line. A file that cannot be read is reported and the\n"
     "others are still printed; the exit status is then 1. After --, every argument is a file.\n"},
    {"dump", cli::Dump,
     "usage: tavlex dump FILE.dat OUT.txt\n"
     "       tavlex dump --out-dir DIR [--] FILE.dat...\n"
     "Reads a spectrum file and writes its ASCII dump, byte for byte as File -> AsciiWrite;\n"
     "with --out-dir each file's dump goes to DIR under its name with .txt. A file that fails\n"
     "is reported and the others are still done; the exit status is then 1. A dump never\n"
     "replaces the file it is made from.\n"},
    {"render", cli::Render,
     "usage: tavlex render FILE.dat OUT.png [--view START-END] [--cursor C]\n"
     "                     [--log | --linear STEP] [--large]\n"
     "                     [--roi I:LOW:HIGH[:LABEL[:0xBBGGRR]]]...\n"
     "                     [--expand N] [--compress N] [--markers Fe,Cr,Ni]\n"
     "Reads a spectrum file and writes the plot as the window shows it (530 x 320 pixels,\n"
     "1050 x 620 with --large) as a PNG. STEP is the full-scale step 1..22 (1 = 100 counts,\n"
     "13 = 1M, 22 = 1B); a region is switched on with its label (default Xx-NN) and colour\n"
     "(default blue, 0xFF0000 in 0xBBGGRR). The view and cursor must lie inside the file's\n"
     "channels. After the other options, --expand presses '<< >>' N times around the cursor,\n"
     "then --compress '>> <<' N times, as the window does. --markers marks the X-ray lines\n"
     "of the elements named, as Analysis -> Elements... does (the file must be calibrated).\n"},
    {"report", cli::Report,
     "usage: tavlex report FILE.dat OUT.pdf|OUT.png [--view START-END]\n"
     "                     [--log | --linear STEP] [--page WxH] [--markers Fe,Cr,Ni]\n"
     "Reads a spectrum file as File -> Read does, sets the view and the scale as the window's\n"
     "controls do (the whole spectrum on the log scale unless given; STEP is the full-scale\n"
     "step 1..22) and draws the report page exactly as Plot prints it: one A4 portrait page\n"
     "at 300 dots per inch for .pdf, or a PNG image page of W x H pixels (default 2480 x 3508)\n"
     "on white for .png. The reporting date is the time of the run. The page is drawn turned:\n"
     "channels run down the page, so turn it a quarter turn anticlockwise to read it.\n"
     "--markers marks the X-ray lines of the elements named, as the plot does.\n"},
    {"acquire", cli::Acquire,
     "usage: tavlex acquire OUT.dat --preset SECONDS [--driver=sim|d2xx|ftdi | --simulate]\n"
     "                      [--channels N] [--dead-time US] [--comment TEXT]\n"
     "                      [--sample-id TEXT] [--seed N] [--sim-unplug-after S]\n"
     "                      [--sim-link=LATENCY_MS,BYTES_PER_S]\n"
     "                      [--sim-sample NAME|COMPOSITION] [--sim-tube ANODE]\n"
     "Opens the analyser, sends the setup (memory of N channels, default 4096; preset time;\n"
     "dead time per event, default 1.8 us), clears, starts, follows the acquisition until the\n"
     "preset ends it and saves the spectrum. OUT.dat is checked before the analyser is opened\n"
     "(its folder exists and is writable; it is not a folder, device or pipe). Ctrl-C, SIGTERM\n"
     "and SIGHUP stop the analyser and still save what was acquired; the exit status is then\n"
     "130 (a signal ignored at the start, as under nohup, stays ignored). If the save fails\n"
     "all the same, the spectrum goes to a recovery copy in the user's data folder\n"
     "(tavlex/recovered), which the message names, and the exit status is 1.\n"
     "TEXT holds up to 31 Latin-1 characters. --seed chooses the simulated analyser's random\n"
     "sequence; --sim-unplug-after S pulls its cable S seconds into the run, to see (or test)\n"
     "what a lost analyser does: the run ends, what was acquired is saved, the exit status is "
     "1.\n"
     "--sim-link gives the simulated analyser a slow link: LATENCY_MS per exchange and\n"
     "BYTES_PER_S, e.g. --sim-link=1,1000000 (1 ms, 1 MB/s).\n"
     "--sim-sample is what the simulated analyser measures: steel (the default), brass, or a\n"
     "composition in weight per cent such as Fe=70,Cr=18,Ni=10,Mn=2; --sim-tube is its tube's\n"
     "anode (default Rh; e.g. Mo, W, Ag, Cu, Cr). The same --seed, sample, tube and setup count\n"
     "the same spectrum, whatever the link's timing.\n"
     "Like every run, it also leaves an automatic copy of its spectrum in tavlex/recovered\n"
     "(the newest 50 are kept).\n"},
    {"scan", cli::Scan,
     "usage: tavlex scan PREFIX --scans N [--scan-time SECONDS] [--memory 512|1024|2048]\n"
     "                   [--refresh MS] [--driver=sim|d2xx|ftdi | --simulate] [--seed N]\n"
     "                   [--sim-link=LATENCY_MS,BYTES_PER_S]\n"
     "                   [--sim-sample NAME|COMPOSITION] [--sim-tube ANODE]\n"
     "Opens the analyser, sends the setup as the SXFM SetUp dialog's OK does (memory of two\n"
     "banks, default 2048 channels; scan time, default 1.0 s, in 0.1 s steps; refresh, default\n"
     "100 ms, shorter than a scan), clears, starts, and runs the SXFM tab's scan loop until N\n"
     "scans have finished, then aborts. Each finished scan is saved as PREFIX-0001.dat,\n"
     "PREFIX-0002.dat, ... and PREFIX.csv gets one line per scan: scan,real_s,events,kcps\n"
     "(the scan's real time and the counts of its spectrum). Nothing is measured when one\n"
     "of these files is already there or cannot be written. Ctrl-C, SIGTERM and SIGHUP abort\n"
     "the scans and keep those already saved (exit status 130); a signal ignored at the start,\n"
     "as under nohup, stays ignored. The last finished scan is also copied to tavlex/recovered\n"
     "in the user's data folder (the newest 50 are kept).\n"
     "--sim-link gives the simulated analyser a slow link: LATENCY_MS per exchange and\n"
     "BYTES_PER_S, e.g. --sim-link=1,1000000. --sim-sample and --sim-tube choose its sample\n"
     "and anode as for acquire; the same --seed gives the same scans whatever the refresh.\n"},
    {"calibrate", cli::Calibrate,
     "usage: tavlex calibrate IN.dat OUT.dat --low CH:ENERGY --high CH:ENERGY [--unit TEXT]\n"
     "                        [--json]\n"
     "Reads a spectrum file as File -> Read does, calibrates energy on the two points as the\n"
     "Eng.Calib tab's Exec Calib does (energy = channel x slope + offset, the line through the\n"
     "high point) and writes the spectrum with its calibration as File -> Write does. Prints\n"
     "slope, offset and unit (default keV, at most 7 characters), or one JSON object with\n"
     "--json. A channel or energy that is no number, or two equal channels, writes nothing.\n"},
    {"export", cli::Export,
     "usage: tavlex export IN.dat OUT [--format msa|mca|spe|csv]\n"
     "       tavlex export IN.dat... FOLDER --format msa|mca|spe|csv\n"
     "Reads each spectrum file as File -> Read does and writes it in a format other spectrum\n"
     "programs open: msa (EMSA/MAS 1.0), mca (PMCA spectrum), spe (IAEA SPE) or csv\n"
     "(channel,energy,counts; channel,counts without a calibration). The format is --format's\n"
     "or OUT's extension. With several inputs, or when OUT is a folder, each file goes into the\n"
     "folder under its own base name with the format's extension. A file that was there is\n"
     "replaced only once the new one is written whole.\n"},
    {"identify", cli::Identify,
     "usage: tavlex identify FILE [--tube ANODE] [--json]\n"
     "Reads a calibrated spectrum file as File -> Read does and identifies its elements as the\n"
     "window's Analysis -> Elements... does: one line per peak (energy, net area and its standard\n"
     "deviation, what explains it: an element's line, the escape or sum peak of others, or with\n"
     "--tube the anode's Rayleigh or Compton scatter; 'unidentified' otherwise) and one line per\n"
     "element found (its families, a confidence from 0 to 1, each line's measured energy and the\n"
     "library's in brackets). --json prints {\"peaks\": [...], \"elements\": [...]}.\n"
     "A spectrum without an energy calibration is refused: calibrate it with tavlex calibrate.\n"},
    {"peak", cli::Peak,
     "usage: tavlex peak FILE.dat --cursor C [--view START-END] [--json]\n"
     "Reads a spectrum file as File -> Read does, puts the cursor on channel C (the view is the\n"
     "whole spectrum unless given), then runs Snap Peak and, at the cursor it leaves, FWHM\n"
     "Calic., as the window does. Prints the peak channel, its 11-channel centroid, the new\n"
     "cursor, FWHM's peak, 5-channel centroid and width in channels ('undefined' when a\n"
     "half-maximum crossing cannot be interpolated) and, for a calibrated file, the centroid's\n"
     "energy and the width in energy. Exit 1 when no channel near C holds a count.\n"},
    {"fit", cli::Fit,
     "usage: tavlex fit SAMPLE.dat TABLE.ref [--json]\n"
     "Reads a spectrum file as File -> Read does, loads the standards table and its standards'\n"
     "spectra (from the table's folder) as Load Std does, and fits the spectrum as MLSQ Fit\n"
     "does. Prints one line per active standard: slot, element, K-ratio +/- its uncertainty\n"
     "(3 sigma, per cent) and the weight per cent (K-ratio x cf); or one JSON object with\n"
     "--json. Fails on a missing spectrum file, a table without active standards or a\n"
     "singular fit.\n"},
};

const char* kOverview =
    "usage: tavlex [--driver=sim|d2xx|ftdi | --simulate]   open the window\n"
    "              [--seed N] [--sim-link=LATENCY_MS,BYTES_PER_S]\n"
    "              [--sim-sample NAME|COMPOSITION] [--sim-tube ANODE]\n"
    "              [FILE.dat]                              and read FILE.dat in it\n"
    "       tavlex COMMAND [ARGS...]                        batch work, without a window\n"
    "\n"
    "commands:\n"
    "  info      print a spectrum file's header, regions and totals\n"
    "  dump      write the ASCII dump of a spectrum file\n"
    "  render    draw a spectrum file as the window's plot, to PNG\n"
    "  report    draw a spectrum file's report page, as Plot prints it, to PDF or PNG\n"
    "  acquire   run one acquisition to its preset and save it\n"
    "  scan      run a series of SXFM scans and save each one\n"
    "  calibrate calibrate a spectrum file's energy on two points\n"
    "  export    write spectrum files as .msa, .mca, .spe or .csv for other programs\n"
    "  peak      snap to a peak and measure its centroid and FWHM\n"
    "  identify  name the elements and artefacts of a calibrated spectrum file\n"
    "  fit       quantify a spectrum file against a standards table\n"
    "\n"
    "The simulated analyser measures --sim-sample: steel (the default), brass, or weight per\n"
    "cent such as Fe=70,Cr=18,Ni=10,Mn=2, excited by a 40 kV tube of anode --sim-tube (Rh).\n"
    "\n"
    "tavlex COMMAND --help shows the options of a command; tavlex --version the version.\n"
    "\n"
    "A spectrum file is the program's .dat or another program's text spectrum (.msa, .mca,\n"
    ".spe, .csv, .txt). Every command that reads one takes --rebin N (1 to 16): N channels\n"
    "of the file summed into one, for spectra of more than 4096 channels.\n"
    "\n"
    "exit status: 0 done, 1 a failure (with several files: any of them failed, or standard\n"
    "output could not be written), 2 a usage error, 130 an acquisition ended by Ctrl-C,\n"
    "SIGTERM or SIGHUP (what it had acquired is saved).\n";

// Commands that only read and write files: they start without the drawing toolkit, so that a
// batch over thousands of files costs little more than the program's start per file.
bool Draws(const char* name) {
  return std::strcmp(name, "info") != 0 && std::strcmp(name, "dump") != 0 &&
         std::strcmp(name, "export") != 0;
}

const Command* Find(const char* name) {
  for (const Command& c : kCommands)
    if (std::strcmp(c.name, name) == 0) return &c;
  return nullptr;
}

// Only the program's own one-line messages reach the terminal; the toolkit's notes about its
// environment (no runtime folder, no fonts cache) would read like errors in a script's log.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "tavlex: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

namespace cli {
void Complain(const std::string& text) {
  std::fprintf(stderr, "tavlex: %s\n", text.c_str());
}

int UsageError(const std::string& command, const std::string& text) {
  Complain(command + ": " + text + " (see tavlex " + command + " --help)");
  return kExitUsage;
}
}  // namespace cli

bool IsCommandLine(int argc, char** argv) {
  if (argc < 2) return false;
  const char* first = argv[1];
  return Find(first) != nullptr || std::strcmp(first, "help") == 0;
}

int RunCommandLine(int argc, char** argv) {
  // A standard stream the caller closed (>&-) is held by /dev/null opened for reading: no file
  // the command opens takes its number and receives what is printed, and printing to it fails
  // as it should.
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) ::open("/dev/null", O_RDONLY);
  // A reader that has gone away (tavlex info *.dat | head) is a write error to report, not a
  // signal that ends the program before it can say so.
  std::signal(SIGPIPE, SIG_IGN);
  const char* name = argv[1];
  if (std::strcmp(name, "help") == 0) {
    const Command* c = argc > 2 ? Find(argv[2]) : nullptr;
    std::fputs(c ? c->help : kOverview, stdout);
    return cli::WithStdout(kExitOk);
  }
  const Command* command = Find(name);
  cli::Args args(argv + 2, argv + argc);
  for (const std::string& a : args) {
    // After "--" every argument is a file, also one named --help.
    if (a == "--") break;
    if (a == "--help" || a == "-h") {
      std::fputs(command->help, stdout);
      return cli::WithStdout(kExitOk);
    }
  }
  if (!Draws(name)) return cli::WithStdout(command->run(args));
  // The commands draw and read files without a screen; the user sets nothing for it.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietMessages);
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QGuiApplication app(qtArgc, qtArgv);
  return cli::WithStdout(command->run(args));
}

const char* CommandLineOverview() {
  return kOverview;
}

}  // namespace tavlex
