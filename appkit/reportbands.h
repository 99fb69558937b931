#pragma once
// What the report layouts of every feature folder build their bands from:
// values read from the record being printed, fields looked up by label, fonts.
#include <functional>
#include <string_view>

#include "runtime/report/layout.h"
#include "runtime/store/store.h"

namespace qm {

// The record the bands print; read each time a band prints.
using RecordAccess = std::function<const RecordBuffer&()>;

// The field's index; a layout naming a field its file lacks is a program error (throws).
int fieldOf(const FileDef& file, std::string_view label);

// The field's value as its picture writes it, read when the band prints.
ReportControl valueAt(int x, int y, int w, int h, const RecordAccess& record, int field,
                      std::string_view picture, Align align = Align::Left);

FontSpec bandFont(double size, bool bold = false);
ReportControl withFont(ReportControl c, FontSpec f);

}  // namespace qm
