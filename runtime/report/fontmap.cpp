#include "runtime/report/fontmap.h"

#include <array>

#include "runtime/values/text.h"

namespace qm {

namespace {
constexpr std::array<FontMapping, 3> kFonts{{
    {"MS Sans Serif", "Liberation Sans", QFont::Normal},
    {"Arial", "Liberation Sans", QFont::Normal},
    {"Arial Black", "Liberation Sans", QFont::Black},
}};
}  // namespace

FontMapping mapFont(std::string_view name) {
  for (const auto& f : kFonts)
    if (compareNoCase(f.name, name) == 0) return f;
  return {name, name, QFont::Normal};
}

QFont mappedFont(std::string_view name, double pointSize, bool bold, bool italic) {
  const FontMapping m = mapFont(name);
  QFont f(QString::fromUtf8(m.family.data(), static_cast<qsizetype>(m.family.size())));
  if (pointSize > 0) f.setPointSizeF(pointSize);
  int weight = m.weight;
  if (bold && weight < QFont::Bold) weight = QFont::Bold;
  f.setWeight(static_cast<QFont::Weight>(weight));
  f.setItalic(italic);
  return f;
}

}  // namespace qm
