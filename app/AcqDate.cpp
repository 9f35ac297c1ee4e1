#include "app/AcqDate.h"

#include <QDateTime>

namespace tavlex {

AcqDate AcqDateNow() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return {static_cast<std::int16_t>(d.year()),   static_cast<std::int16_t>(d.month()),
          static_cast<std::int16_t>(d.day()),    static_cast<std::int16_t>(t.hour()),
          static_cast<std::int16_t>(t.minute()), static_cast<std::int16_t>(t.second())};
}

bool ValidAcqDate(const AcqDate& d) {
  return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= 31 && d.hour >= 0 && d.hour <= 23 && d.minute >= 0 && d.minute <= 59 &&
         d.second >= 0 && d.second <= 59;
}

}  // namespace tavlex
