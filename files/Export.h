#pragma once
// Exports of the displayed spectrum in the text formats other spectrum programs read: EMSA/MAS
// (.msa), the PMCA spectrum (.mca), IAEA SPE (.spe) and CSV. One writer per format, each through
// the safe writer, so a failed export never destroys a file that was there.

#include <optional>
#include <string_view>

#include "app/AppState.h"
#include "files/SpectrumFile.h"

namespace tavlex {

enum class ExportFormat { Msa, Mca, Spe, Csv };

// "msa", "mca", "spe" or "csv", in any case.
std::optional<ExportFormat> ExportFormatFromName(std::string_view name);
// The format named by the extension of a path's file name.
std::optional<ExportFormat> ExportFormatFromPath(std::string_view path);
// The extension without its dot ("msa").
const char* ExportExtension(ExportFormat format);

// Writes the displayed spectrum (counts, channel size, calibration, live and real time of the
// state; date, comment and sample ID of currentHeader) in `format` to `path`. Touches no field
// of the state and no widget; a failure comes back as CannotOpen or WriteError with the status
// box's "File Write Error !". A target that is one of `inputs` is refused (CannotOpen).
FileResult ExportSpectrum(const AppState& s, ExportFormat format, std::string_view path,
                          const InputFiles& inputs = {});

}  // namespace tavlex
