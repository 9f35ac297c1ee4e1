#include "standards/Smtxlib.h"

#include <cstring>

namespace tavlex {
namespace {

void MakeEmptySlot(StandardRecord& r) {
  r.Clear();
  std::memcpy(r.data() + stdrec::kSpecFileName, "       ", 8);  // seven spaces and a NUL
  std::memcpy(r.data() + stdrec::kElementName, "     ", 6);    // five spaces and a NUL
  r.SetFitOn(0);
  r.SetCf(1.0f);
  r.SetChemWtPercent(0.0f);
}

}  // namespace

void TDmSMTX::DataModuleCreate() {
  for (int i = 0; i < kStandardSlots; ++i) {
    MakeEmptySlot(table[i]);
    activeStandards[i].SetFitOn(0);
    activeStandards[i].SetCf(1.0f);
    activeStandards[i].SetChemWtPercent(0.0f);
    activeSlot[i] = 0;
  }
  tableLabel = kNewTableLabel;
  activeCount = 0;
  filterSideWidth = 8;
  filterCentreWidth = 16;
  sampleChannels = 0;
  for (int k = 0; k < kStandardSlots; ++k) {
    fitCoefficients[k] = 0;
    fitErrors[k] = 0;
    rightHandSide[k] = 0;
  }
}

}  // namespace tavlex
