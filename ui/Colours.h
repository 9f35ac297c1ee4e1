#pragma once
// Colours for widgets: the region colour list (display/RoiColours.h) and conversions.

#include <QColor>
#include <QStringList>

#include "app/AppState.h"
#include "display/RoiColours.h"

namespace tavlex {

inline QColor ToQColor(Colour c) { return QColor::fromRgb(ToQRgb(c)); }

// "description|pattern|description|pattern" as the file dialogs are defined, as Qt name filters.
inline QStringList QtNameFilters(const char* filter) {
  const QStringList parts = QString::fromLatin1(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    out << (description.contains('(') ? description : description + " (" + parts[i + 1] + ")");
  }
  return out;
}

}  // namespace tavlex
