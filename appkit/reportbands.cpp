#include "appkit/reportbands.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace qm {

int fieldOf(const FileDef& file, std::string_view label) {
  const int i = file.fieldIndex(label);
  if (i < 0) throw std::logic_error("report field not in layout: " + std::string(label));
  return i;
}

ReportControl valueAt(int x, int y, int w, int h, const RecordAccess& record, int field,
                      std::string_view picture, Align align) {
  return fieldAt(
      x, y, w, h, [record, field] { return record().valueText(field); }, std::string(picture),
      align);
}

FontSpec bandFont(double size, bool bold) {
  FontSpec f;
  f.size = size;
  f.bold = bold;
  return f;
}

ReportControl withFont(ReportControl c, FontSpec f) {
  c.font = std::move(f);
  return c;
}

}  // namespace qm
