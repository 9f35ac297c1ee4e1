// tavlex: the desktop program for the USB multichannel analyser, and its command line.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
  std::string driver;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--simulate") == 0) {
      driver = "sim";
    } else if (std::strncmp(a, "--driver=", 9) == 0) {
      driver = a + 9;
    } else if (std::strcmp(a, "--version") == 0) {
      std::signal(SIGPIPE, SIG_IGN);
      std::printf("tavlex %s\n", TAVLEX_VERSION);
      return tavlex::cli::WithStdout(0);
    } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      std::signal(SIGPIPE, SIG_IGN);
      std::fputs(tavlex::CommandLineOverview(), stdout);
      return tavlex::cli::WithStdout(0);
    } else {
      std::fprintf(stderr, "tavlex: unknown option or command '%s' (see tavlex --help)\n", a);
      return 2;
    }
  }
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "tavlex: no display found (DISPLAY is not set); to run without a screen, start it "
                 "with xvfb-run, for example: xvfb-run -a ./scripts/run.sh\n");
    return 1;
  }
  return tavlex::RunWindow(argc, argv, driver);
}
