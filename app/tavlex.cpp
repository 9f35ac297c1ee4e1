// tavlex: the desktop program for the USB multichannel analyser, and its command line.

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
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (tavlex::cli::ReadAnalyserOption(args, i, choice, error)) {
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
  return tavlex::RunWindow(argc, argv, *driver);
}
