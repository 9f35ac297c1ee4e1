#include "display/RoiColours.h"

namespace tavlex {

std::int32_t RoiColourFromHeader(std::int16_t stored) {
  const auto bits = static_cast<std::uint16_t>(stored);
  if ((kRoiPickColour & 0xFFFFu) == bits) return static_cast<std::int32_t>(kRoiPickColour);
  for (const NamedColour& c : kStandardColours)
    if ((c.value & 0xFFFFu) == bits) return static_cast<std::int32_t>(c.value);
  return stored;
}

}  // namespace tavlex
