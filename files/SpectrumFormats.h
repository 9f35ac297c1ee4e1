#pragma once
// The spectrum files the program reads: its own .dat and the text spectra of other programs.
// Which one a file is comes from its content (the first lines of the text formats are their own),
// then from its extension; a .dat is always taken as the program's binary file.

#include <QIODevice>
#include <string_view>

#include "files/SpectrumFile.h"

namespace tavlex {

enum class SpectrumFormat {
  Dat,      // the program's binary file
  Msa,      // EMSA/MAS 1.0 (.msa, .emsa)
  Pmca,     // the <<PMCA SPECTRUM>> tag file (.mca)
  Spe,      // IAEA SPE (.spe)
  Columns,  // numbers in columns (.csv, .txt, and the plain count-per-line .mca)
};

// The format of a file named `name` whose text starts with `head`.
SpectrumFormat DetectSpectrumFormat(std::string_view name, std::string_view head);

// Reads a file of any format from an open input: refused (TooLarge) when the input holds
// kMaxSpectrumFileBytes or more, which is known from its size before anything is read.
FileResult ReadAnySpectrum(QIODevice& in, std::string_view name, SpectrumData& into,
                           const SpectrumReadOptions& options = {});
// A text spectrum in a format known beforehand (the fuzzer and the tests).
FileResult ReadTextSpectrum(SpectrumFormat format, std::string_view text, SpectrumData& into,
                            const SpectrumReadOptions& options = {});

}  // namespace tavlex
