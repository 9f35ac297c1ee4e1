#pragma once
// The colours the "ROI" tab offers for a region (the toolkit's sixteen standard colours, as
// 0x00BBGGRR values), and how a region colour comes back from a spectrum header, which keeps
// only its low 16 bits.

#include <cstdint>

#include "app/Records.h"

namespace tavlex {

struct NamedColour {
  const char* name;
  Colour value;
};

inline constexpr NamedColour kStandardColours[] = {
    {"black", 0x000000},  {"maroon", 0x000080}, {"green", 0x008000},   {"olive", 0x008080},
    {"navy", 0x800000},   {"purple", 0x800080}, {"teal", 0x808000},    {"gray", 0x808080},
    {"silver", 0xC0C0C0}, {"red", 0x0000FF},    {"lime", 0x00FF00},    {"yellow", 0x00FFFF},
    {"blue", 0xFF0000},   {"fuchsia", 0xFF00FF}, {"aqua", 0xFFFF00},   {"white", 0xFFFFFF},
};

// The colour the list offers for a new region.
inline constexpr Colour kRoiPickColour = 0xFF0000;  // blue

// A header's 16-bit region colour as the list colour that was written. Pairs of list colours
// share their low 16 bits; the list's own first choice, blue, wins over black and navy (a black
// region would vanish on the black plot), otherwise the one listed first. A value no list colour
// gives keeps its sign-extended meaning.
std::int32_t RoiColourFromHeader(std::int16_t stored);

}  // namespace tavlex
