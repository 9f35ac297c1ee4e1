#pragma once
// What the export writers share: the spectrum gathered once from the state, the CR LF line
// writer, and the header texts made fit for a text line.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/AppState.h"
#include "files/LineWriter.h"

namespace tavlex::exportfile {

// The displayed spectrum as an export sees it: what a save would store.
struct Spectrum {
  const std::int32_t* counts = nullptr;
  int channels = 0;
  bool calibrated = false;
  float slope = 0, offset = 0;  // energy = channel x slope + offset
  const char* unit = "keV";
  std::int32_t liveTime = 0, realTime = 0, presetTime = 0;  // 0.1 s
  bool hasDate = false;  // a header never stamped by Start holds no date
  AcqDate date;
  std::string_view comment, sampleId;  // the header's 8-bit texts, at most 31 characters
};

Spectrum FromState(const AppState& s);

// A header text made safe for one line of a text file: control characters become blanks, and
// the Latin-1 characters above ASCII are either written as UTF-8 or, where a format is plain
// ASCII, replaced by '?'. At most 31 input characters, so 64 bytes hold the longest result.
enum class Charset { Ascii, Utf8 };
struct LineText {
  char text[64];
  int size = 0;
};
LineText MakeLineText(std::string_view latin1, Charset charset);

// Seconds from tenths: "100" for a whole number, else one decimal ("97.5").
struct Seconds {
  char text[16];
};
Seconds SecondsText(std::int32_t tenths);

// The shortest text that reads back as the same float ("0.02").
struct FloatText {
  char text[24];
};
FloatText ShortFloat(float value);

void WriteMsa(LineWriter& out, const Spectrum& sp);
void WriteMca(LineWriter& out, const Spectrum& sp);
void WriteSpe(LineWriter& out, const Spectrum& sp);
void WriteCsv(LineWriter& out, const Spectrum& sp);

}  // namespace tavlex::exportfile
