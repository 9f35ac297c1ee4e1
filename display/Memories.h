#pragma once
// The three memory spectra and the snapshot overlays: choosing a memory as the displayed
// spectrum, the state a spectrum's header brings back, and freezing the plot as drawn.

#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex {

inline constexpr int kMemories = 3;
inline constexpr int kMcaOverlay = 3;     // the overlay of the "MCA" button, after Mem1..Mem3
inline constexpr int kMcaSlotShown = -1;  // AppState::shownMemory while no memory is shown

// Times, calibration (unless the header says none is stored) and region bounds and colours
// from a spectrum's header.
void RestoreFromHeader(AppState& s, const SpectrumHeader& h);

// The region bounds and colours into a header, each cut to 16 bits (as a spectrum file keeps
// them).
void StoreRegions(const AppState& s, SpectrumHeader& h);

// The analyser's slot keeps the regions in force: while it is the slot shown, its header takes
// the region table, so that a memory looked at in between does not wipe them when "MCA" is
// chosen again. Runs before either choice.
void HoldRegionsInMcaSlot(AppState& s);

// Whether memory k has been filled: a never filled memory has an all-zero header.
bool MemoryFilled(const AppState& s, int k);

// Memory k (0..2) becomes the displayed spectrum: name, header, counts, restored state and a
// repaint. A memory never filled is refused with a message in the status box and nothing
// changes; returns whether it was shown.
bool ShowMemory(AppState& s, MainWindowPort& window, int k);

// "SnapShot" for overlay k (0..2 the memories, 3 the MCA): switches it off when it is on, else
// freezes the rows of the last repaint into it (the MCA one at a third of the height in the top
// third) and switches it on; then a repaint.
void ToggleSnapshot(AppState& s, MainWindowPort& window, int k);

}  // namespace tavlex
