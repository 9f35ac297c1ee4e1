// tavlex: the desktop program for the USB multichannel analyser, and its command line.

#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/Analyser.h"
#include "cli/Cli.h"
#include "cli/Output.h"
#include "ui/Application.h"

namespace {

bool HasDisplay() {
#if defined(__linux__)
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return true;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
#else
  return true;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  if (tavlex::IsCommandLine(argc, argv)) return tavlex::RunCommandLine(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  tavlex::cli::AnalyserChoice choice;
  // A spectrum file to open, as the desktop passes a double-clicked one; after --, every
  // argument is a file, for names that start with -.
  std::vector<std::string> files;
  bool filesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (filesOnly || (!a.empty() && a[0] != '-')) {
      files.push_back(a);
    } else if (a == "--") {
      filesOnly = true;
    } else if (tavlex::cli::ReadAnalyserOption(args, i, choice, error)) {
      if (!error.empty()) {
        std::fprintf(stderr, "tavlex: %s (see tavlex --help)\n", error.c_str());
        return 2;
      }
    } else if (a == "--version") {
      std::signal(SIGPIPE, SIG_IGN);
      std::printf("tavlex %s\n", TAVLEX_VERSION);
      return tavlex::cli::WithStdout(0);
    } else if (a == "--help" || a == "-h") {
      std::signal(SIGPIPE, SIG_IGN);
      std::fputs(tavlex::CommandLineOverview(), stdout);
      return tavlex::cli::WithStdout(0);
    } else {
      std::fprintf(stderr, "tavlex: unknown option or command '%s' (see tavlex --help)\n",
                   a.c_str());
      return 2;
    }
  }
  if (files.size() > 1) {
    std::fprintf(stderr, "tavlex: the window opens one spectrum file (see tavlex --help)\n");
    return 2;
  }
  const QString file = files.empty() ? QString() : QFile::decodeName(files.front().c_str());
  // The dialog of File -> Read offers only files that are there; a name that is not one is more
  // likely a mistyped command than a spectrum.
  if (!file.isEmpty() && !QFileInfo(file).isFile()) {
    std::fprintf(stderr,
                 "tavlex: '%s' is neither a command nor a spectrum file (see tavlex --help)\n",
                 files.front().c_str());
    return 2;
  }
  std::string error;
  const std::unique_ptr<tavlex::Driver> driver = tavlex::cli::MakeAnalyserDriver(choice, error);
  if (!driver) {
    std::fprintf(stderr, "tavlex: %s\n", error.c_str());
    return 2;
  }
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "tavlex: no display found (DISPLAY is not set); to run without a screen, start it "
                 "with xvfb-run, for example: xvfb-run -a ./scripts/run.sh\n");
    return 1;
  }
  return tavlex::RunWindow(argc, argv, *driver, file);
}
