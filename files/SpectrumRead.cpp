// Reading a spectrum file: the one reader and its checks, File -> Read into the displayed slot,
// and the file-name split of every file command.

#include <QFile>
#include <QtEndian>
#include <algorithm>

#include "analysis/Calibration.h"
#include "app/Convert.h"
#include "display/Memories.h"
#include "display/Plot.h"
#include "files/FileAccess.h"
#include "files/SpectrumFile.h"
#include "files/SpectrumFormats.h"

namespace tavlex {
namespace {

void ShowWholeSpectrum(AppState& s, MainWindowPort& window, int channels) {
  s.channelSize = channels;
  s.viewStart = 0;
  s.viewEnd = channels - 1;
  s.cursorChannel = channels / 2;
  window.SetText(Field::Label1, "0ch");
  window.SetText(Field::Label2, Format("%dch", channels - 1));
  ShowCursorReadout(s, window);
}

}  // namespace

bool SplitFileName(AppState& s, std::string_view path) {
  if (path.size() > static_cast<std::size_t>(kMaxPathLength)) return false;
  CopyText(s.dataFilePath, sizeof s.dataFilePath, path);
  // Both count: a path picked here has the platform's separator, one from Windows backslashes.
  const std::size_t cut = path.find_last_of("\\/");
  const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  CopyText(s.dataFileName, sizeof s.dataFileName, name);
  return true;
}

void TerminateHeaderTexts(SpectrumHeader& h) {
  // Only a slot without any NUL is touched, so the bytes after a proper text stay as they are.
  if (h.Comment().size() >= header::kCommentSize)
    h.SetU8(header::kComment + header::kCommentSize - 1, 0);
  if (h.SampleId().size() >= header::kSampleIdSize)
    h.SetU8(header::kSampleId + header::kSampleIdSize - 1, 0);
}

int ReadDat(QIODevice& in, SpectrumHeader& header, std::int32_t* counts, int capacity) {
  header.Clear();
  const std::int64_t headerBytes =
      ReadFully(in, reinterpret_cast<char*>(header.data()), SpectrumHeader::kSize);
  if (headerBytes < static_cast<std::int64_t>(SpectrumHeader::kSize) || capacity <= 0) return 0;
  const std::int64_t bytes =
      ReadFully(in, reinterpret_cast<char*>(counts), std::int64_t{4} * capacity);
  const int found = static_cast<int>(bytes / 4);
  // The file is little-endian whatever the host is.
  for (int i = 0; i < found; ++i) counts[i] = qFromLittleEndian(counts[i]);
  return found;
}

FileResult CheckSpectrum(const SpectrumHeader& header, int found) {
  FileResult r;
  r.channelsFound = found;
  r.headerChannels = header.ChannelSize();
  if (found != r.headerChannels || found <= 0) {
    // An empty file is refused too: the display divides by the number of channels.
    r.status = FileStatus::ChannelMismatch;
    r.message = Format("%d", found);
  } else if (found > kMaxChannels) {
    r.status = FileStatus::TooManyChannels;
    r.message = TooManyChannelsText(found, false);
  }
  return r;
}

FileResult ReadSpectrum(QIODevice& in, SpectrumData& into) {
  into.channels = ReadDat(in, into.header, into.counts, kReadBufferChannels);
  return CheckSpectrum(into.header, into.channels);
}

FileResult ReadSpectrum(std::string_view path, SpectrumData& into,
                        const SpectrumReadOptions& options) {
  QFile file;
  if (const PathProblem problem = OpenInputFile(path, file); problem != PathProblem::None) {
    into.channels = 0;
    FileResult r;
    r.status = FileStatus::CannotOpen;
    r.message = filetext::kOpenError;
    r.problem = problem;
    return r;
  }
  return ReadAnySpectrum(file, path, into, options);
}

SpectrumData& SpectrumScratch() {
  static SpectrumData scratch{};
  return scratch;
}

FileResult ApplyDat(AppState& s, MainWindowPort& window, const SpectrumData& read,
                    int checkedMemory) {
  const FileResult r = CheckSpectrum(read.header, read.channels);
  if (!r.ok()) {
    s.currentHeader = s.mcaHeader;
    window.SetText(Field::Edit1, r.message);
    return r;
  }
  const int found = read.channels;
  // The file is now what the checked view shows: the analyser's slot keeps the regions it
  // brings, a memory its own.
  s.shownMemory = checkedMemory >= 0 && checkedMemory < 3 ? checkedMemory : kMcaSlotShown;
  s.currentHeader = read.header;
  TerminateHeaderTexts(s.currentHeader);
  std::copy_n(read.counts, found, s.spectrumCounts);
  RestoreFromHeader(s, s.currentHeader);
  ShowWholeSpectrum(s, window, found);
  if (checkedMemory >= 0 && checkedMemory < 3) {
    std::copy_n(s.spectrumCounts, found, s.memCounts[checkedMemory]);
    s.memHeader[checkedMemory] = s.currentHeader;
    CopyText(s.memFileName[checkedMemory], sizeof s.memFileName[checkedMemory], s.dataFileName);
  }
  return r;
}

FileResult ReadSpectrumFile(AppState& s, MainWindowPort& window, std::string_view path,
                            int checkedMemory, const SpectrumReadOptions& options) {
  if (!SplitFileName(s, path))
    return ShowFailure(window, FileStatus::PathTooLong, filetext::kPathTooLong);
  SpectrumData& read = SpectrumScratch();
  const FileResult got = ReadSpectrum(path, read, options);
  if (got.status == FileStatus::CannotOpen) {
    window.SetText(Field::Edit1, got.message);
    return got;
  }
  FileResult r;
  if (got.ok()) {
    r = ApplyDat(s, window, read, checkedMemory);
    if (read.unit != nullptr && read.header.HoldsCalibration())
      CopyText(s.energyUnit, sizeof s.energyUnit, read.unit);
  } else {
    // The display stays as it was; the header of the MCA slot comes back as for any refusal.
    r = got;
    s.currentHeader = s.mcaHeader;
    window.SetText(Field::Edit1, r.message);
  }
  if (r.ok() && !got.detail.empty()) {
    r.detail = got.detail;
    window.SetText(Field::Edit1, Format("Read %s: %s", s.dataFileName, got.detail.c_str()));
  }
  s.logScale = 1;
  ShowScaleAndRepaint(s, window);
  return r;
}

FileResult ShowFailure(MainWindowPort& window, FileStatus status, const char* message) {
  FileResult r;
  r.status = status;
  r.message = message;
  window.SetText(Field::Edit1, r.message);
  return r;
}

std::string FileResultReason(const FileResult& r) {
  switch (r.status) {
    case FileStatus::Ok:
      return {};
    case FileStatus::PathTooLong:
      return "path longer than 255 characters";
    case FileStatus::CannotOpen:
      if (r.problem != PathProblem::None) return PathProblemReason(r.problem);
      return "cannot open the file";
    case FileStatus::ChannelMismatch:
      if (r.channelsFound == 0 && r.headerChannels == 0) return "the file holds no channels";
      return Format("%d channels found, the header declares %d", r.channelsFound, r.headerChannels);
    case FileStatus::TooManyChannels:
      return TooManyChannelsText(r.channelsFound, true);
    case FileStatus::BadContent:
      return r.detail;
    case FileStatus::TooLarge:
      return "100 MB or more, too large for a spectrum file";
    case FileStatus::WriteError:
      return "write error; a file that was there is kept";
  }
  return {};
}

}  // namespace tavlex
