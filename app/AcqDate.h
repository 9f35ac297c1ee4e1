#pragma once
// The acquisition date a spectrum header carries, and the two rules every date of the program
// follows: "now" as such a date, and whether a date read from somewhere is one at all.

#include <cstdint>

namespace tavlex {

struct AcqDate {
  std::int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The local date and time, to the second.
AcqDate AcqDateNow();

// Whether every field is in its range (years 1 to 9999, a day of 1 to 31, seconds 0 to 59):
// a header from a file may hold anything there.
bool ValidAcqDate(const AcqDate& d);

}  // namespace tavlex
