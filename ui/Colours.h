#pragma once
// The toolkit's standard named colours as 0x00BBGGRR values, and conversions for widgets.

#include <QColor>
#include <QStringList>

#include "app/AppState.h"

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
