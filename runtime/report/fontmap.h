#pragma once
// The fonts that window and report definitions name, mapped to installed
// metric-compatible fonts. The one table for every window and report.
#include <QFont>
#include <QString>
#include <string_view>

namespace qm {

struct FontMapping {
  std::string_view name;    // as a definition names it
  std::string_view family;  // installed family
  int weight;               // QFont::Weight
};

// Looks a definition's font name up (letter case ignored); an unknown name is
// passed through unchanged with normal weight.
FontMapping mapFont(std::string_view name);

// The installed font for a definition's font, sized in points.
QFont mappedFont(std::string_view name, double pointSize, bool bold = false, bool italic = false);

}  // namespace qm
