#include "cli/Cli.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstring>

namespace tavlex {
namespace {

struct Command {
  const char* name;
  int (*run)(const cli::Args&);
  const char* help;
};

const Command kCommands[] = {
    {"info", cli::Info,
     "usage: tavlex info FILE.dat [--json]\n"
     "Reads a spectrum file as File -> Read does and prints its header, regions and totals,\n"
     "one 'key: value' line each, or one JSON object with --json.\n"},
    {"dump", cli::Dump,
     "usage: tavlex dump FILE.dat OUT.txt\n"
     "Reads a spectrum file and writes its ASCII dump, byte for byte as File -> AsciiWrite.\n"},
    {"render", cli::Render,
     "usage: tavlex render FILE.dat OUT.png [--view START-END] [--cursor C]\n"
     "                     [--log | --linear STEP] [--large]\n"
     "                     [--roi I:LOW:HIGH[:LABEL[:0xBBGGRR]]]...\n"
     "Reads a spectrum file and writes the plot as the window shows it (530 x 320 pixels,\n"
     "1050 x 620 with --large) as a PNG. STEP is the full-scale step 1..22 (1 = 100 counts,\n"
     "13 = 1M, 22 = 1B); a region is switched on with its label (default Xx-NN) and colour\n"
     "(default blue, 0xFF0000 in 0xBBGGRR).\n"},
    {"acquire", cli::Acquire,
     "usage: tavlex acquire OUT.dat --preset SECONDS [--driver=sim|d2xx|ftdi | --simulate]\n"
     "                      [--channels N] [--dead-time US] [--comment TEXT]\n"
     "                      [--sample-id TEXT] [--seed N]\n"
     "Opens the analyser, sends the setup (memory of N channels, default 4096; preset time;\n"
     "dead time per event, default 1.8 us), clears, starts, follows the acquisition until the\n"
     "preset ends it and saves the spectrum. Ctrl-C stops the analyser and still saves what\n"
     "was acquired. --seed chooses the simulated analyser's random sequence.\n"},
    {"calibrate", cli::Calibrate,
     "usage: tavlex calibrate IN.dat OUT.dat --low CH:ENERGY --high CH:ENERGY [--unit TEXT]\n"
     "                        [--json]\n"
     "Reads a spectrum file as File -> Read does, calibrates energy on the two points as the\n"
     "Eng.Calib tab's Exec Calib does (energy = channel x slope + offset, the line through the\n"
     "high point) and writes the spectrum with its calibration as File -> Write does. Prints\n"
     "slope, offset and unit (default keV, at most 7 characters), or one JSON object with\n"
     "--json. A channel or energy that is no number, or two equal channels, writes nothing.\n"},
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
    "       tavlex COMMAND [ARGS...]                        batch work, without a window\n"
    "\n"
    "commands:\n"
    "  info      print a spectrum file's header, regions and totals\n"
    "  dump      write the ASCII dump of a spectrum file\n"
    "  render    draw a spectrum file as the window's plot, to PNG\n"
    "  acquire   run one acquisition to its preset and save it\n"
    "  calibrate calibrate a spectrum file's energy on two points\n"
    "  fit       quantify a spectrum file against a standards table\n"
    "\n"
    "tavlex COMMAND --help shows the options of a command; tavlex --version the version.\n";

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
  const char* name = argv[1];
  if (std::strcmp(name, "help") == 0) {
    const Command* c = argc > 2 ? Find(argv[2]) : nullptr;
    std::fputs(c ? c->help : kOverview, stdout);
    return kExitOk;
  }
  const Command* command = Find(name);
  cli::Args args(argv + 2, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(command->help, stdout);
      return kExitOk;
    }
  }
  // The commands draw and read files without a screen; the user sets nothing for it.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietMessages);
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QGuiApplication app(qtArgc, qtArgv);
  return command->run(args);
}

const char* CommandLineOverview() {
  return kOverview;
}

}  // namespace tavlex
