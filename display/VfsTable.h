#pragma once
// The vertical full-scale steps of the linear display and the labels shown for them.

#include <cstdint>

namespace tavlex {

inline constexpr int kVfsSteps = 22;

struct VfsTable {
  // Entry 0 is the logarithmic scale: no full scale, label "Log".
  std::int32_t fullScale[kVfsSteps + 1];
  const char* label[kVfsSteps + 1];
};

inline constexpr VfsTable vfsTable = {
    {0,        100,      250,      500,       1000,      2500,      5000,      10000,
     25000,    50000,    100000,   250000,    500000,    1000000,   2500000,   5000000,
     10000000, 25000000, 50000000, 100000000, 250000000, 500000000, 1000000000},
    {"Log",  "100", "250",  "500", "1K",  "2.5K", "5K",  "10K",  "25K",  "50K",  "100K", "250K",
     "500K", "1M",  "2,5M", "5M",  "10M", "25M",  "50M", "100M", "250M", "500M", "1B"},
};

// The analyser can report any 16-bit step; a step outside 1..22 is drawn as the nearest one
// rather than read past the table.
constexpr int ClampVfsIndex(int index) {
  return index < 1 ? 1 : (index > kVfsSteps ? kVfsSteps : index);
}
constexpr std::int32_t VfsFullScale(int index) {
  return vfsTable.fullScale[ClampVfsIndex(index)];
}
constexpr const char* VfsLabel(int index) {
  return vfsTable.label[ClampVfsIndex(index)];
}

}  // namespace tavlex
