#pragma once
// Runs the built tavlex program and collects what it printed.

#include <QProcess>
#include <QStringList>
#include <string>

namespace tavlex::e2e {

struct CliResult {
  int exitCode = -1;
  QString out, err;
};

// `workDir`: the folder the program runs in; empty = the test's own.
inline CliResult RunTavlex(const QStringList& args, int timeoutMs = 60000,
                           const QString& workDir = {}) {
  QProcess p;
  if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM");  // the command line must not need it
  env.remove("DISPLAY");
  p.setProcessEnvironment(env);
  p.start(TAVLEX_BINARY, args);
  CliResult r;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(5000);
    r.err = "timed out";
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

}  // namespace tavlex::e2e
