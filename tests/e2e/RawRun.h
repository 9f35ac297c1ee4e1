#pragma once
// Runs the built tavlex with its arguments as raw bytes (names in any encoding) and its standard
// streams as a test needs them: a file or device, a pipe whose reader is gone, or a terminal for
// stderr (where the progress bar shows that a run is under way). Every wait is bounded.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern char** environ;

namespace tavlex::e2e {

struct RawOptions {
  std::string stdoutPath;         // empty: a pipe the test reads
  bool stdoutReaderGone = false;  // the pipe's reader is closed before the program writes
  bool stdoutClosed = false;      // no standard output at all (>&-)
  bool stderrTerminal = false;    // stderr is a pseudo-terminal
  std::vector<std::string> env;   // NAME=VALUE, added to the test's environment
  std::string cwd;                // the program's working folder; empty: the test's
};

inline RawOptions StdoutTo(std::string path) {
  RawOptions o;
  o.stdoutPath = std::move(path);
  return o;
}
inline RawOptions StdoutReaderGone() {
  RawOptions o;
  o.stdoutReaderGone = true;
  return o;
}
inline RawOptions StdoutClosed() {
  RawOptions o;
  o.stdoutClosed = true;
  return o;
}
inline RawOptions StderrTerminal(std::vector<std::string> env = {}) {
  RawOptions o;
  o.stderrTerminal = true;
  o.env = std::move(env);
  return o;
}

class RawChild {
 public:
  RawChild() = default;
  RawChild(const RawChild&) = delete;
  RawChild& operator=(const RawChild&) = delete;
  ~RawChild() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    CloseFd(outFd_);
    CloseFd(errFd_);
  }

  bool Start(const std::vector<std::string>& args, const RawOptions& o = {}) {
    out.clear();
    err.clear();
    std::vector<std::string> argStore = {TAVLEX_BINARY};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<std::string> envStore;
    // A variable the test gives replaces the inherited one: the first of a name is the one read.
    auto givenByTest = [&o](std::string_view v) {
      for (const std::string& mine : o.env)
        if (v.substr(0, v.find('=') + 1) == mine.substr(0, mine.find('=') + 1)) return true;
      return false;
    };
    for (char** e = environ; *e; ++e) {
      const std::string_view v(*e);
      // The command line must need neither a platform setting nor a display. XDG_DATA_HOME comes
      // from the test main (a folder of the test run), so its copies never reach the real home.
      if (!v.starts_with("QT_QPA_PLATFORM=") && !v.starts_with("DISPLAY=") && !givenByTest(v))
        envStore.emplace_back(v);
    }
    envStore.insert(envStore.end(), o.env.begin(), o.env.end());
    std::vector<char*> argv, envp;
    for (std::string& a : argStore) argv.push_back(a.data());
    for (std::string& e : envStore) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    int out[2] = {-1, -1}, err[2] = {-1, -1};
    if (!o.stdoutPath.empty()) {
      out[1] = ::open(o.stdoutPath.c_str(), O_WRONLY | O_CLOEXEC);
    } else if (::pipe2(out, O_CLOEXEC) != 0) {
      return false;
    }
    if (o.stderrTerminal) {
      if (::openpty(&err[0], &err[1], nullptr, nullptr, nullptr) != 0) return false;
      ::fcntl(err[0], F_SETFD, FD_CLOEXEC);
      ::fcntl(err[1], F_SETFD, FD_CLOEXEC);
    } else if (::pipe2(err, O_CLOEXEC) != 0) {
      return false;
    }
    const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    pid_ = ::fork();
    if (pid_ == 0) {
      // Only calls that are safe after fork in a threaded program.
      ::dup2(in, 0);
      ::dup2(out[1], 1);
      ::dup2(err[1], 2);
      if (o.stdoutClosed) ::close(1);
      if (!o.cwd.empty() && ::chdir(o.cwd.c_str()) != 0) ::_exit(126);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(in);
    CloseFd(out[1]);
    CloseFd(err[1]);
    if (o.stdoutReaderGone) CloseFd(out[0]);
    outFd_ = out[0];
    errFd_ = err[0];
    return pid_ > 0;
  }

  // Reads until what came on stderr satisfies `done`; false when the program ends or timeoutMs
  // pass first.
  template <typename Done>
  bool WaitForErr(Done done, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done(err)) {
      if (Clock::now() >= end || (outFd_ < 0 && errFd_ < 0)) return false;
      Pump(50);
    }
    return true;
  }

  void Signal(int sig) { ::kill(pid_, sig); }

  // The exit status (128 + the signal's number when a signal ended it), or -1 when the program
  // did not end within timeoutMs and was killed.
  int Finish(int timeoutMs = 60000) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (true) {
      if (outFd_ >= 0 || errFd_ >= 0)
        Pump(50);
      else
        ::poll(nullptr, 0, 20);  // both streams closed: a bounded wait for the end
      if (::waitpid(pid_, &status, WNOHANG) == pid_) break;
      if (Clock::now() >= end) return -1;  // the destructor kills it
    }
    pid_ = -1;
    while (outFd_ >= 0 || errFd_ >= 0) Pump(200);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string out, err;

 private:
  using Clock = std::chrono::steady_clock;

  static void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }

  void Pump(int timeoutMs) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) <= 0) {
      // Nothing within the time: once the program has ended, nothing more will come.
      if (pid_ < 0) {
        CloseFd(outFd_);
        CloseFd(errFd_);
      }
      return;
    }
    Drain(fds[0], outFd_, out);
    Drain(fds[1], errFd_, err);
  }

  static void Drain(const pollfd& p, int& fd, std::string& to) {
    if (fd < 0 || p.revents == 0) return;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0)
      to.append(buffer, static_cast<std::size_t>(n));
    else
      CloseFd(fd);  // end of the stream (a terminal says EIO)
  }

  pid_t pid_ = -1;
  int outFd_ = -1, errFd_ = -1;
};

// Runs to the end and returns the exit status; the streams are in child.out and child.err.
inline int RunRaw(RawChild& child, const std::vector<std::string>& args, const RawOptions& o = {}) {
  return child.Start(args, o) ? child.Finish() : -1;
}

}  // namespace tavlex::e2e
