// Writing the displayed spectrum as a .dat file: its header record, then the counts.

#include <QtEndian>
#include <algorithm>

#include "display/Memories.h"
#include "files/SafeWrite.h"
#include "files/SpectrumFile.h"

namespace tavlex {
namespace {

bool WriteCounts(SafeWriter& out, const std::int32_t* counts, int n) {
  // Encoded a block at a time into a small fixed buffer: the file is little-endian on any host.
  constexpr int kBlock = 256;
  std::uint8_t block[4 * kBlock];
  for (int done = 0; done < n;) {
    const int m = std::min(kBlock, n - done);
    for (int i = 0; i < m; ++i) qToLittleEndian(counts[done + i], block + 4 * i);
    if (!out.Write(block, std::int64_t{4} * m)) return false;
    done += m;
  }
  return true;
}

}  // namespace

void FillHeaderForWrite(AppState& s) {
  FillHeaderForWrite(s, s.currentHeader);
}

void FillHeaderForWrite(const AppState& s, SpectrumHeader& h) {
  h.SetChannelSize(static_cast<std::int16_t>(s.channelSize));
  h.SetCompany(header::kCompanyText);
  if (s.calibrated == 1) {
    h.SetNoCalibrationMarker(0.0f);
    h.SetCalSlope(s.calSlope);
    h.SetCalOffset(s.calOffset);
  } else {
    // The offset field keeps what it held: only the marker and the slope say "none".
    h.SetNoCalibrationMarker(1.0f);
    h.SetCalSlope(0.0f);
  }
  StoreRegions(s, h);
  h.SetLiveTime(s.liveTime);
  h.SetRealTime(s.realTime);
  h.SetPresetTime(s.presetTime);
  TerminateHeaderTexts(h);
}

FileResult CheckSpectrumOutput(std::string_view path, std::span<const std::string_view> inputs) {
  FileResult r;
  if (path.size() > static_cast<std::size_t>(kMaxPathLength)) {
    r.status = FileStatus::PathTooLong;
    r.message = filetext::kPathTooLong;
  } else if (r.problem = CheckOutputPath(path, inputs); r.problem != PathProblem::None) {
    r.status = FileStatus::CannotOpen;
    r.message = filetext::kWriteError;
  }
  return r;
}

FileResult WriteSpectrumFile(AppState& s, MainWindowPort& window, std::string_view path) {
  if (!SplitFileName(s, path))
    return ShowFailure(window, FileStatus::PathTooLong, filetext::kPathTooLong);
  FillHeaderForWrite(s);
  return WriteDatFile(window, path, s.currentHeader, s.spectrumCounts, s.channelSize);
}

FileResult WriteDatFile(MainWindowPort& window, std::string_view path, const SpectrumHeader& header,
                        const std::int32_t* counts, int channels, Existing existing) {
  if (path.size() > static_cast<std::size_t>(kMaxPathLength))
    return ShowFailure(window, FileStatus::PathTooLong, filetext::kPathTooLong);
  SafeWriter out(path, existing);
  // Success is silent, so a file that cannot be created must say so.
  if (!out.Open()) {
    FileResult r = ShowFailure(window, FileStatus::CannotOpen, filetext::kWriteError);
    r.problem = out.Problem();
    return r;
  }
  if (!WriteDat(out, header, counts, channels)) {
    // A name taken while the file was written is a file that could not be made, not a failed
    // write that kept an old one.
    const bool taken = out.Problem() == PathProblem::Taken;
    FileResult r = ShowFailure(window, taken ? FileStatus::CannotOpen : FileStatus::WriteError,
                               filetext::kWriteError);
    r.problem = out.Problem();
    return r;
  }
  return {};
}

bool WriteDat(SafeWriter& out, const SpectrumHeader& header, const std::int32_t* counts,
              int channels) {
  out.Write(header.data(), SpectrumHeader::kSize);
  WriteCounts(out, counts, std::clamp(channels, 0, kReadBufferChannels));
  return out.Commit();
}

}  // namespace tavlex
