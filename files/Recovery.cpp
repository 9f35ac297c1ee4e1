// The automatic recovery copies of ended runs, and the care of their folder.

#include "files/Recovery.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string_view>
#include <vector>

#include "app/Convert.h"
#include "files/SafeWrite.h"
#include "files/SpectrumFile.h"

namespace tavlex {
namespace {

constexpr std::string_view kMcaKind = "mca", kScanKind = "scan";
constexpr std::size_t kStampSize = 15;  // YYYYMMDD-HHMMSS

struct OwnCopy {
  std::string name;
  int number = 1;
};

bool Digits(std::string_view t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether `name` is one of the program's own copies: STAMP-KIND.dat or STAMP-KIND-N.dat. Any
// other file in the folder (a failed save's copy, something the user put there) is not.
bool ParseOwnCopy(std::string_view name, OwnCopy& copy) {
  if (name.size() < kStampSize + 1 || !name.ends_with(".dat")) return false;
  const std::string_view stamp = name.substr(0, kStampSize);
  if (!Digits(stamp.substr(0, 8)) || stamp[8] != '-' || !Digits(stamp.substr(9, 6)) ||
      name[kStampSize] != '-')
    return false;
  std::string_view rest = name.substr(kStampSize + 1, name.size() - kStampSize - 5);
  int number = 1;
  if (const std::size_t dash = rest.find('-'); dash != std::string_view::npos) {
    const std::string_view digits = rest.substr(dash + 1);
    if (!Digits(digits) || digits.size() > 3 || digits[0] == '0') return false;
    number = std::stoi(std::string(digits));
    if (number < 2) return false;
    rest = rest.substr(0, dash);
  }
  if (rest != kMcaKind && rest != kScanKind) return false;
  copy.number = number;
  return true;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Removes the oldest of the program's own copies (by the start in their names) until `keep`
// are left; `current` is never among those removed, whatever its name says.
void KeepNewest(const std::string& folder, const std::string& current, int keep) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<OwnCopy> copies;
  while (const dirent* entry = ::readdir(dir)) {
    OwnCopy copy;
    copy.name = entry->d_name;
    if (copy.name == current || !ParseOwnCopy(copy.name, copy)) continue;
    if (!IsRegularFile(folder + "/" + copy.name)) continue;
    copies.push_back(std::move(copy));
  }
  ::closedir(dir);
  // The current copy counts among those kept.
  const std::size_t others = static_cast<std::size_t>(std::max(keep - 1, 0));
  if (copies.size() <= others) return;
  std::sort(copies.begin(), copies.end(), [](const OwnCopy& a, const OwnCopy& b) {
    const std::string_view sa(a.name.data(), kStampSize), sb(b.name.data(), kStampSize);
    if (sa != sb) return sa < sb;
    if (a.number != b.number) return a.number < b.number;
    return a.name < b.name;
  });
  for (std::size_t i = 0; i + others < copies.size(); ++i) {
    const std::string path = folder + "/" + copies[i].name;
    if (::unlink(path.c_str()) != 0)
      std::fprintf(stderr, "tavlex: %s: an old recovery copy could not be removed: %s\n",
                   path.c_str(), std::strerror(errno));
  }
}

// The run's file name: its stem as it is, or with the first number that makes it new.
bool ChooseFile(const std::string& folder, RunCopy& copy) {
  const std::string path = FirstFreeName(folder + "/" + copy.stem, ".dat");
  if (path.empty()) return false;
  CopyText(copy.file, sizeof copy.file, std::string_view(path).substr(folder.size() + 1));
  return true;
}

std::string Complain(const std::string& what, const char* reason) {
  std::fprintf(stderr, "tavlex: the run's recovery copy could not be written (%s): %s\n",
               what.c_str(), reason);
  return {};
}

std::string Save(const AppState& s, RunCopy& copy) {
  // A run that never went through a start (none should) is still kept.
  if (copy.stem[0] == '\0') NameRecoveryCopy(copy, AcqDateNow(), copy.scan == 1);
  const std::string folder = RecoveryFolder();
  if (folder.empty()) return Complain("tavlex/recovered", "the user's data folder cannot be made");
  SpectrumHeader header = s.currentHeader;
  if (copy.scan == 1)
    header = FinishedScanHeader(s);
  else
    FillHeaderForWrite(s, header);

  // The run's first copy takes a free name and never replaces a file that took it meanwhile;
  // later ends of the same run rewrite their own copy.
  const bool first = copy.file[0] == '\0';
  if (first && !ChooseFile(folder, copy))
    return Complain(folder + "/" + copy.stem, "every numbered name is taken");
  const std::string path = folder + "/" + copy.file;
  SafeWriter out(path, first ? Existing::Keep : Existing::Replace);
  if (!out.Open() || !WriteDat(out, header, s.spectrumCounts, s.channelSize)) {
    // The next end of the run chooses its name again.
    if (first) copy.file[0] = '\0';
    return Complain(path, out.Problem() == PathProblem::None
                              ? "the file could not be written whole"
                              : PathProblemReason(out.Problem()).c_str());
  }
  KeepNewest(folder, copy.file, kRecoveryCopiesKept);
  return path;
}

void NameRun(AppState& s, const AcqDate& start, bool scan) {
  NameRecoveryCopy(s.runCopy, start, scan);
}

void KeepRun(AppState& s) {
  if (s.runCopy.scan == 1 && s.scanCount == 0) return;
  SaveRecoveryCopy(s, s.runCopy);
}

}  // namespace

void NameRecoveryCopy(RunCopy& copy, const AcqDate& start, bool scan) {
  const AcqDate d = ValidAcqDate(start) ? start : AcqDateNow();
  std::snprintf(copy.stem, sizeof copy.stem, "%s-%s", RecoveryStampOf(d).text,
                scan ? kScanKind.data() : kMcaKind.data());
  copy.file[0] = '\0';
  copy.scan = scan ? 1 : 0;
}

std::string SaveRecoveryCopy(const AppState& s, RunCopy& copy) {
  // The end of a run goes on whatever happens to its copy.
  try {
    return Save(s, copy);
  } catch (const std::exception& e) {
    return Complain(copy.file, e.what());
  }
}

RunEvents RecoveryCopyWriter() {
  RunEvents events;
  events.started = NameRun;
  events.ended = KeepRun;
  return events;
}

}  // namespace tavlex
