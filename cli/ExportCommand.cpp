// tavlex export: spectrum files read as File -> Read does, written in a format other spectrum
// programs open (EMSA/MAS, PMCA, IAEA SPE, CSV) by the export writers.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/Cli.h"
#include "cli/Options.h"
#include "cli/Session.h"
#include "files/Export.h"
#include "files/SafeWrite.h"

namespace tavlex::cli {
namespace {

// The 8-bit path as the file system's name.
QString FileNameFromPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

constexpr const char* kCommand = "export";

struct ExportOptions {
  std::vector<std::string> files;  // the inputs, then OUT
  std::optional<ExportFormat> format;
};

int Parse(const Args& args, ExportOptions& o) {
  return OptionParser(kCommand)
      .ReadsSpectra()
      .Value("--format", "--format needs msa, mca, spe or csv",
             [&o](const std::string& name, std::string& why) {
               o.format = ExportFormatFromName(name);
               if (!o.format) why = "unknown format '" + name + "' (msa, mca, spe, csv)";
               return o.format.has_value();
             })
      .Files(2, -1, "needs IN.dat and OUT")
      .Parse(args, o.files);
}

std::string Local(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// Where each input goes: OUT itself, or OUT/<base name>.<extension> when OUT is a folder (with
// several inputs, or one input and an existing folder or a name ending in '/').
int Targets(const ExportOptions& o, bool& toFolder, std::vector<std::string>& targets) {
  const std::string& out = o.files.back();
  const std::size_t inputs = o.files.size() - 1;
  const QString outName = FileNameFromPath(out);
  toFolder = inputs > 1 || QFileInfo(outName).isDir() || outName.endsWith('/');
  if (!toFolder) {
    targets.push_back(out);
    return 0;
  }
  if (!o.format) return UsageError(kCommand, "exports into a folder need --format");
  const QDir folder(outName);
  std::unordered_map<std::string, std::size_t> writtenBy;
  for (std::size_t i = 0; i < inputs; ++i) {
    const QString base = QFileInfo(FileNameFromPath(o.files[i])).completeBaseName();
    const std::string t = Local(folder.filePath(base + '.' + ExportExtension(*o.format)));
    if (const auto [at, isNew] = writtenBy.try_emplace(t, i); !isNew)
      return UsageError(kCommand,
                        o.files[at->second] + " and " + o.files[i] + " would both write " + t);
    targets.push_back(t);
  }
  return 0;
}

}  // namespace

int Export(const Args& args) {
  ExportOptions o;
  if (const int status = Parse(args, o)) return status;
  bool toFolder = false;
  std::vector<std::string> targets;
  if (const int status = Targets(o, toFolder, targets)) return status;
  if (!o.format) o.format = ExportFormatFromPath(targets.front());
  if (!o.format)
    return UsageError(kCommand, "cannot tell the format from " + targets.front() +
                                    "; name it .msa, .mca, .spe or .csv or give --format");
  // An export over one of its own inputs would replace a spectrum still to be read.
  const InputFiles inputs(std::span(o.files).first(o.files.size() - 1));
  for (const std::string& t : targets)
    if (const int i = inputs.IndexOf(t); i >= 0)
      return UsageError(kCommand, t + " is the input " + o.files[i]);
  if (toFolder && !QDir().mkpath(FileNameFromPath(o.files.back()))) {
    Complain(o.files.back() + ": cannot create the folder");
    return kExitFailure;
  }

  bool allDone = true;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    // A session per file: a file without a calibration must not take the previous one's. An
    // export draws nothing, so the session has no bitmaps to fill.
    Session session(false);
    if (!session.Read(o.files[i])) {
      allDone = false;
      continue;
    }
    const FileResult r = ExportSpectrum(session.State(), *o.format, targets[i], inputs);
    if (!r.ok()) {
      Complain(targets[i] + (r.status == FileStatus::CannotOpen ? ": cannot create the file"
                                                                : ": " + FileResultReason(r)));
      allDone = false;
    }
  }
  return allDone ? kExitOk : kExitFailure;
}

}  // namespace tavlex::cli
