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
}  // namespace stdtext

// Add Std: slot currentRoi becomes a standard from region currentRoi and dataFileName. A file
// name longer than the record's 31 characters would name another file: refused with a message
// in Edit1, the slot unchanged. Returns the slot written, or -1.
int AddStandardFromRoi(const AppState& s, MainWindowPort& window, TDmSMTX& dm);

// Load Std: loads a table (with the dialog), shows the count in Edit1, and on success makes the
// region of each active standard's slot a hidden blue region with its label and range. Returns
// the count.
int LoadStandardsIntoRois(AppState& s, MainWindowPort& window, TDmSMTX& dm);
// The part of Load Std after the load itself, given its count n.
int ApplyLoadedStandards(AppState& s, MainWindowPort& window, const TDmSMTX& dm, int n);

// MLSQ Fit without the editor: the displayed spectrum becomes the sample and is fitted. A fit
// that stops says why in Edit1.
FitStatus FitDisplayedSpectrum(const AppState& s, MainWindowPort& window, TDmSMTX& dm);
// The Edit1 text of a fit that stopped; empty for a fit that ran or had nothing to fit.
const char* FitMessage(FitStatus status);
// Whether the editor opens after the fit: not when the fit stopped on a failure.
bool FitShowsEditor(FitStatus status);

// The editor's texts of one slot.
std::string CfText(const StandardRecord& r);                      // "%8.3f"
std::string KRatioText(const StandardRecord& r, bool wtPercent);  // "%9.2f  +/-%9.3f"
// The weight per cent of a slot, kRatio x cf, in single precision.
float WtPercent(const StandardRecord& r);

// A typed chemical weight per cent: stored with the cf it gives, or ignored when the text is not
// a number. cf stays as it is while kRatio is 0 (no fit yet). Returns whether it was stored.
bool StoreWtPercent(StandardRecord& r, std::string_view text);

}  // namespace tavlex
