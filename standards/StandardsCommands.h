#pragma once
// The standards commands of the "Rada" page (window definition unit Rada) and the texts of the
// standards editor, without widgets: the window's handlers and the command line call these.

#include <string>
#include <string_view>

#include "app/AppState.h"
#include "app/MainWindowPort.h"
#include "standards/StandardsTable.h"

namespace tavlex {

namespace stdtext {
inline constexpr const char* kNameTooLong = "Error ! Std FileName";
inline constexpr const char* kLoadFailed = "Error ! Std Load";
inline constexpr const char* kNoSample = "Error ! MLSQ No Data";
inline constexpr const char* kSingular = "Error ! MLSQ Singular";
inline constexpr const char* kSampleNegative = "Error ! MLSQ Sample < 0";
inline constexpr const char* kSaveFirst = "Error ! Save Spectrum First";
inline constexpr const char* kCountsCompared = "Live Time 0: Counts Fitted";
// The analyser's slot shows under this name until the spectrum is written to a file.
inline constexpr std::string_view kAnalyserSlotName = "MCA";
}  // namespace stdtext

// Add Std: slot currentRoi becomes a standard from region currentRoi and dataFileName. A file
// name longer than the record's 31 characters would name another file, and a spectrum not yet
// saved ("MCA", or nothing read) none that a load can find: refused with a message in Edit1,
// the slot unchanged. Returns the slot written, or -1.
int AddStandardFromRoi(const AppState& s, MainWindowPort& window, TDmSMTX& dm);

// Load Std: loads a table (with the dialog), shows the count in Edit1 (or the spectrum file that
// stopped it), and on success makes the region of each active standard's slot a hidden blue
// region with its label and range. Returns the count.
int LoadStandardsIntoRois(AppState& s, MainWindowPort& window, TDmSMTX& dm);
// The part of Load Std after the load itself, given its count n.
int ApplyLoadedStandards(AppState& s, MainWindowPort& window, const TDmSMTX& dm, int n);

// MLSQ Fit without the editor: the displayed spectrum with its live time becomes the sample and
// is fitted. A fit that stops says why in Edit1; one that ran clears it, or says that counts were
// compared for want of a live time.
FitStatus FitDisplayedSpectrum(const AppState& s, MainWindowPort& window, TDmSMTX& dm);
// The Edit1 text of a fit that stopped; empty for a fit that ran or had nothing to fit.
std::string FitMessage(FitStatus status, const TDmSMTX& dm);

// Save Table: writes the table through the save dialog; a failure says "File Write Error !" in
// Edit1, a save clears it.
SaveStatus SaveStandardsTable(MainWindowPort& window, TDmSMTX& dm);
// Whether the editor opens after the fit: not when the fit stopped on a failure.
bool FitShowsEditor(FitStatus status);

// The editor's texts of one slot.
std::string CfText(const StandardRecord& r);                      // "%8.3f"
std::string KRatioText(const StandardRecord& r, bool wtPercent);  // "%9.2f  +/-%9.3f"
// The weight per cent of a slot, kRatio x cf, in single precision.
float WtPercent(const StandardRecord& r);

// Whether a weight per cent can be typed for the slot: only once a fit has given it a K-ratio.
bool TakesWtPercent(const StandardRecord& r);
// A typed chemical weight per cent: stored with the cf it gives, or ignored when the text is not
// a number or the slot takes none yet. Returns whether it was stored.
bool StoreWtPercent(StandardRecord& r, std::string_view text);

}  // namespace tavlex
