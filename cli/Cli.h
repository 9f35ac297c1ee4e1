#pragma once
// The command line for batch work: info, dump, render, report, acquire, scan, calibrate, export,
// peak and fit, each a thin front end over the code the window runs (the same reader, writer,
// renderer, polling loop and AppState).

#include <string>
#include <vector>

namespace tavlex {

// Exit statuses of the command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// An acquisition stopped by Ctrl-C, SIGTERM or SIGHUP, its spectrum saved (the shell's 128 + 2).
inline constexpr int kExitInterrupted = 130;

// True when argv names a subcommand (or asks for the command line's help or version), so the
// program runs without a window.
bool IsCommandLine(int argc, char** argv);
// Runs the subcommand on the offscreen platform and returns the exit status.
int RunCommandLine(int argc, char** argv);

// The overview printed by tavlex --help.
const char* CommandLineOverview();

namespace cli {
using Args = std::vector<std::string>;
int Info(const Args& args);
int Dump(const Args& args);
int Render(const Args& args);
int Report(const Args& args);
int Acquire(const Args& args);
int Scan(const Args& args);
int Calibrate(const Args& args);
int Export(const Args& args);
int Peak(const Args& args);
int Identify(const Args& args);
int Fit(const Args& args);

// "tavlex: " + text on stderr.
void Complain(const std::string& text);
// A usage error: the complaint, a hint at --help, and exit status 2.
int UsageError(const std::string& command, const std::string& text);
}  // namespace cli

}  // namespace tavlex
