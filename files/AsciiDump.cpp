// The ASCII dump of the displayed spectrum: a header block, then one line per channel.

#include <algorithm>

#include "files/LineWriter.h"
#include "files/SpectrumFile.h"

namespace tavlex {
namespace {

// At most 31 characters: the slot's last byte belongs to the NUL.
std::string_view SlotText(std::string_view t) {
  return t.substr(0, 31);
}

}  // namespace

FileResult WriteAsciiDump(AppState& s, MainWindowPort& window, std::string_view path) {
  return WriteAsciiDump(s, window, path, {});
}

FileResult WriteAsciiDump(AppState& s, MainWindowPort& window, std::string_view path,
                          std::span<const std::string_view> inputs) {
  FileResult r;
  if (!SplitFileName(s, path)) {
    r.status = FileStatus::PathTooLong;
    r.message = filetext::kPathTooLong;
  } else if (SafeWriter out(path, inputs); !out.Open()) {
    r.status = FileStatus::CannotOpen;
    r.message = filetext::kWriteError;
    r.problem = out.Problem();
  } else {
    LineWriter dump(out);
    SpectrumHeader& h = s.currentHeader;
    const std::string_view comment = SlotText(h.Comment());
    const std::string_view sampleId = SlotText(h.SampleId());
    const AcqDate d = h.Date();
    dump.Line("*** Orvanel Co., MCA Binary Data to ASCII Data Dump ***");
    dump.Line("%s", "");
    dump.Line("Data File Name, %s", s.dataFileName);
    dump.Line("Data Comment, %.*s", static_cast<int>(comment.size()), comment.data());
    dump.Line("Sample ID, %.*s", static_cast<int>(sampleId.size()), sampleId.data());
    dump.Line("Acq. Date, %4d/%2d/%2d, %2d:%2d:%2d", d.year, d.month, d.day, d.hour, d.minute,
              d.second);
    h.SetLiveTime(s.liveTime);
    h.SetRealTime(s.realTime);
    h.SetPresetTime(s.presetTime);
    dump.Line("Live Time, %8.1f", s.liveTime * 0.1);
    dump.Line("Real Time, %8.1f", s.realTime * 0.1);
    dump.Line("Mca Ch Size, %4d", s.channelSize);
    dump.Line("%s", "");
    dump.Line("ch  ,  data");
    const int n = std::clamp(s.channelSize, 0, kReadBufferChannels);
    for (int ch = 0; ch < n; ++ch) dump.Line("%4d,%8d", ch, s.spectrumCounts[ch]);
    if (!out.Commit()) {
      r.status = FileStatus::WriteError;
      r.message = filetext::kWriteError;
    }
  }
  if (!r.ok()) window.SetText(Field::Edit1, r.message);
  return r;
}

}  // namespace tavlex
