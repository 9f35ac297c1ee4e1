#pragma once
// The spectrum file (.dat: the 1024-byte header, then one little-endian int32 per channel) and
// the ASCII dump (.txt). One function per file command, shared by the window, the command line
// and the tests; none of them touches a widget.

#include <QIODevice>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/AppState.h"
#include "app/MainWindowPort.h"
#include "app/RunTimes.h"
#include "files/FileAccess.h"
#include "files/SafeWrite.h"

namespace tavlex {

// The checked view for a read: 0, 1, 2 = Mem1, Mem2, Mem3; this value = MCA (no memory copy).
inline constexpr int kMcaView = -1;
// dataFilePath holds 255 characters and a NUL.
inline constexpr int kMaxPathLength = 255;

namespace filetext {
inline constexpr const char* kWriteError = "File Write Error !";
inline constexpr const char* kOpenError = "Error ! File Open";
inline constexpr const char* kPathTooLong = "Error ! Path Too Long";
}  // namespace filetext

enum class FileStatus {
  Ok,
  PathTooLong,      // refused before anything changed
  CannotOpen,       // the file could not be opened (or, for a write, created)
  ChannelMismatch,  // the counts found differ from the header, or there are none
  TooManyChannels,  // header and counts agree on more than the 4096 the program holds
  WriteError,       // writing failed; a file that was there before is kept
  BadContent,       // a text spectrum with a line that is no count (negative, no number, ...)
  TooLarge,         // a file too big to be a spectrum, refused before it is read
};

struct FileResult {
  FileStatus status = FileStatus::Ok;
  int channelsFound = 0;   // whole counts found after the header (reads)
  int headerChannels = 0;  // channel size declared by the header (reads)
  std::string message;     // the one-line text shown in Edit1; empty on success
  // Why a file could not be opened, when that is known.
  PathProblem problem = PathProblem::None;
  // Reads: what was wrong with the content (BadContent: "line 12: a negative count"), or on
  // success what the read changed (padded, binned, calibration terms dropped).
  std::string detail;

  bool ok() const { return status == FileStatus::Ok; }
};

// Why a command failed, for the command line's "tavlex: FILE: reason"; empty on success.
std::string FileResultReason(const FileResult& result);
// A command that failed with `status`: its message shown in the status box.
FileResult ShowFailure(MainWindowPort& window, FileStatus status, const char* message);

// How a spectrum file is to be read: `rebin` channels of the file summed into one (1 to 16).
struct SpectrumReadOptions {
  int rebin = 1;
};
inline constexpr int kMaxRebin = 16;
// Files of this size or more are refused before anything is read.
inline constexpr std::int64_t kMaxSpectrumFileBytes = std::int64_t{100} * 1024 * 1024;

// The refusal of a spectrum of more than 4096 channels: the count, and the smallest factor that
// would bring it within them. `cli` gives the command line's wording, else the status box's.
std::string TooManyChannelsText(std::int64_t channels, bool cli);
// The smallest power of two that bins `channels` into at most 4096.
int RebinToFit(std::int64_t channels);

// A spectrum as its file holds it: the header, then the counts.
struct SpectrumData {
  SpectrumHeader header;
  std::int32_t counts[kReadBufferChannels];
  int channels = 0;  // whole counts found after the header
  // The unit of the header's calibration when the file names it (text spectra are read in
  // keV); null for a .dat, which leaves the unit in effect as it is.
  const char* unit = nullptr;
};

// The program's one way to read a spectrum file: File -> Read, the command line and the
// standards' load all come here. Opens a regular file only (a pipe or device is refused, never
// waited on), and reads it in its format (SpectrumFormats.h: the program's .dat, or a text
// spectrum of another program, known by its content, then by its extension) into `into`.
// A .dat is checked as it is: the counts found agree with the header's channel size, 1 to 4096
// of them. Otherwise CannotOpen (with the path's problem), ChannelMismatch, TooManyChannels,
// BadContent or TooLarge, with the status box's message.
FileResult ReadSpectrum(std::string_view path, SpectrumData& into,
                        const SpectrumReadOptions& options = {});
// A .dat from an input already open (the fuzzer's bytes).
FileResult ReadSpectrum(QIODevice& in, SpectrumData& into);
// The checks of a read, on a header and the counts found after it.
FileResult CheckSpectrum(const SpectrumHeader& header, int found);
// Where reads go first, so that a file that is refused changes nothing: fixed, made once, for
// the program's one thread.
SpectrumData& SpectrumScratch();

// File -> "&Read". checkedMemory: 0..2 when Mem1..Mem3 is the checked view, else kMcaView.
// Fills Edit1 with the result's message; on success silent, unless the read changed the file's
// spectrum (padded, binned, calibration reduced to a line), which Edit1 then says. Ends with the
// log-scale repaint unless the file could not be opened.
FileResult ReadSpectrumFile(AppState& s, MainWindowPort& window, std::string_view path,
                            int checkedMemory, const SpectrumReadOptions& options = {});
// File -> "&Write": the displayed spectrum, replacing the file only once it is written whole.
FileResult WriteSpectrumFile(AppState& s, MainWindowPort& window, std::string_view path);
// A .dat file of this header and these counts, written as File -> Write writes (a failure shown
// in the status box as it shows it) without touching the state. With Existing::Keep a file at
// that name, even one that appears while this one is written, stays and the write fails.
FileResult WriteDatFile(MainWindowPort& window, std::string_view path, const SpectrumHeader& header,
                        const std::int32_t* counts, int channels,
                        Existing existing = Existing::Replace);
// The scans of an SXFM run: PREFIX-0001.dat, PREFIX-0002.dat, ... The prefix is the chosen
// name without its extension. A file that is already there is never written over: that scan is
// refused with the write error in the status box. The state is left as it is.
std::string ScanFilePath(std::string_view prefix, int scanNumber);
std::string ScanPrefixFromChosen(std::string_view chosen);
// The highest number N of the PREFIX-N.dat files already there (0 for none), after which a new
// series under the same name goes on.
int LastScanFileNumber(std::string_view prefix);
FileResult SaveFinishedScan(AppState& s, MainWindowPort& window, std::string_view prefix,
                            int scanNumber);

// File -> "&AsciiWrite": the text dump of the displayed spectrum, replaced the same way.
FileResult WriteAsciiDump(AppState& s, MainWindowPort& window, std::string_view path);
// The same, refusing to write over any of `inputs` (the files the dump was made from).
FileResult WriteAsciiDump(AppState& s, MainWindowPort& window, std::string_view path,
                          std::span<const std::string_view> inputs);

// Whether a write command could write `path`, checked before anything is measured or read:
// the path's length, its folder, and a target that is a regular file and none of `inputs`.
FileResult CheckSpectrumOutput(std::string_view path,
                               std::span<const std::string_view> inputs = {});

// The pieces the commands are made of, for the standards library, the fuzzer and the tests.

// Copies path into dataFilePath and the text after its last separator ('\\' or '/') into
// dataFileName. Refuses (false, nothing changed) a path longer than kMaxPathLength.
bool SplitFileName(AppState& s, std::string_view path);

// Reads the header (zero where the input ends early) and up to `capacity` counts.
// Returns the number of whole counts found.
int ReadDat(QIODevice& in, SpectrumHeader& header, std::int32_t* counts, int capacity);

// Takes a spectrum read into the displayed slot (and into memory checkedMemory), or rejects it
// as CheckSpectrum does; everything of File -> Read except the file and the repaint.
FileResult ApplyDat(AppState& s, MainWindowPort& window, const SpectrumData& read,
                    int checkedMemory);

// Fills company, channel size, calibration, ROIs and times of currentHeader as a save does.
void FillHeaderForWrite(AppState& s);
// The same on a copy of a header, leaving the state as it is.
void FillHeaderForWrite(const AppState& s, SpectrumHeader& header);

// The .dat bytes (the header, then up to kReadBufferChannels counts) through an opened writer,
// put in place. False when any of it failed; an old file then stays.
bool WriteDat(SafeWriter& out, const SpectrumHeader& header, const std::int32_t* counts,
              int channels);

// A scan's own times, as its file carries them: the scan preset as preset and real time, and
// the live time left by the dead time of its counts (ScanLiveTime: to the nearest 0.1 s).
RunTimes FinishedScanTimes(const AppState& s);
// The counts of the scan just read, summed over its channels.
std::int64_t FinishedScanCounts(const AppState& s);
// The header a finished scan is saved with: the displayed one filled as a save fills it, with
// the scan's own times and the time it was saved.
SpectrumHeader FinishedScanHeader(const AppState& s);

// Cuts the comment and sample ID to 31 characters so each ends inside its slot.
void TerminateHeaderTexts(SpectrumHeader& header);

}  // namespace tavlex
