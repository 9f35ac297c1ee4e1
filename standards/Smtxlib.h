#pragma once
// The standards data module: the table of sixteen reference standards, the active list built by a
// load, the filtered reference spectra and the fit state. Fixed in size, allocated once.

#include <cstdint>
#include <string>

#include "app/Records.h"
#include "standards/StandardRecord.h"

namespace tavlex {

inline constexpr int kStandardSlots = 16;

class TDmSMTX {
 public:
  // File dialogs owned by the data module (filter, default extension).
  static constexpr const char* kOpenDialogFilter = "Std Reference(*.ref)|*.ref|MCA Data(*.dat)|*.dat";
  static constexpr const char* kOpenDialogDefaultExt = "dat";
  static constexpr const char* kNewTableLabel = " [ New File  ]";

  TDmSMTX() { DataModuleCreate(); }

  // The initial state: sixteen empty slots, the label of a new table, no active standards.
  void DataModuleCreate();

  StandardRecord table[kStandardSlots];
  std::string tableLabel;
  StandardRecord activeStandards[kStandardSlots];
  int activeSlot[kStandardSlots] = {};
  int activeCount = 0;
  double referenceSpectra[kStandardSlots][kMaxChannels] = {};
  int filterSideWidth = 8;
  int filterCentreWidth = 16;
  std::int32_t scratchCounts[kMaxChannels] = {};
  double scratchFiltered[kMaxChannels] = {};

  // Fit state
  std::int32_t sampleCounts[kMaxChannels] = {};
  std::int32_t sampleChannels = 0;
  double sampleFiltered[kMaxChannels] = {};
  double sampleVariance[kMaxChannels] = {};
  double normalMatrix[kStandardSlots][2 * kStandardSlots] = {};
  double rightHandSide[kStandardSlots] = {};
  double fitCoefficients[kStandardSlots] = {};
  double fitErrors[kStandardSlots] = {};
};

}  // namespace tavlex
