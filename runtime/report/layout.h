#pragma once
// A report definition as data: bands of controls placed in thousandths of an
// inch from the band's top left corner.
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

// The date-stamp text of a definition; replaced by today's date when the report opens.
inline constexpr const char* DateStampText = "<-- Date Stamp -->";
inline constexpr const char* DateStampPicture = "@d17";
inline constexpr const char* PageNumberPicture = "pPage <<<#p";

enum class Align { Left, Center, Right };

struct FontSpec {
  std::string name = "Arial";
  double size = 8;  // points
  bool bold = false;
  bool italic = false;
  bool operator==(const FontSpec&) const = default;
};

enum class ControlKind {
  Text,      // fixed text or a field through its picture, cut to its width
  CheckBox,  // a box ticked when the value equals trueValue, caption in text
  Line,      // from (x, y) to (x + w, y + h)
  Box,       // a frame of w by h
  Memo,      // the value wrapped inside w by h
  Image,     // the picture in the file the value names, at its own size
};

struct ReportControl {
  ControlKind kind = ControlKind::Text;
  int x = 0, y = 0, w = 0, h = 0;  // w 0: as wide as the text
  std::optional<FontSpec> font;    // the report's font when not set
  Align align = Align::Left;
  std::string text;                    // fixed text; a check box's caption
  std::function<std::string()> value;  // field getter, read when the band prints
  std::string picture;                 // applied to value()
  std::string trueValue = "Y";         // check box mark that shows ticked
  bool pageNumber = false;             // the page's number through picture
};

struct Band {
  int x = 0, y = 0;  // page position of a page header or footer; unused for details
  int w = 0, h = 0;
  std::vector<ReportControl> controls;
};

struct Area {
  int x = 0, y = 0, w = 0, h = 0;
};

struct ReportLayout {
  FontSpec font;
  Area detailArea{500, 1500, 7500, 8500};  // where detail bands flow, page coordinates
  Band header;                             // printed as each page begins
  Band detail;
  Band footer;  // printed as each page ends
};

// Builders that keep report definitions short tables.
inline ReportControl placed(ControlKind kind, int x, int y, int w, int h) {
  ReportControl c;
  c.kind = kind;
  c.x = x;
  c.y = y;
  c.w = w;
  c.h = h;
  return c;
}
inline ReportControl textAt(int x, int y, int w, int h, std::string text, Align a = Align::Left) {
  ReportControl c = placed(ControlKind::Text, x, y, w, h);
  c.text = std::move(text);
  c.align = a;
  return c;
}
inline ReportControl fieldAt(int x, int y, int w, int h, std::function<std::string()> value,
                             std::string picture = {}, Align a = Align::Left) {
  ReportControl c = placed(ControlKind::Text, x, y, w, h);
  c.value = std::move(value);
  c.picture = std::move(picture);
  c.align = a;
  return c;
}
inline ReportControl checkBoxAt(int x, int y, int w, int h, std::string caption,
                                std::function<std::string()> mark, std::string trueValue = "Y") {
  ReportControl c = placed(ControlKind::CheckBox, x, y, w, h);
  c.text = std::move(caption);
  c.value = std::move(mark);
  c.trueValue = std::move(trueValue);
  return c;
}
inline ReportControl lineAt(int x, int y, int w, int h) {
  return placed(ControlKind::Line, x, y, w, h);
}
inline ReportControl boxAt(int x, int y, int w, int h) {
  return placed(ControlKind::Box, x, y, w, h);
}
inline ReportControl memoAt(int x, int y, int w, int h, std::function<std::string()> text) {
  ReportControl c = placed(ControlKind::Memo, x, y, w, h);
  c.value = std::move(text);
  return c;
}
inline ReportControl imageAt(int x, int y, std::function<std::string()> fileName) {
  ReportControl c = placed(ControlKind::Image, x, y, 0, 0);
  c.value = std::move(fileName);
  return c;
}
inline ReportControl dateStampAt(int x, int y, int w, int h) {
  return textAt(x, y, w, h, DateStampText);
}
inline ReportControl pageNumberAt(int x, int y, int w, int h, Align a = Align::Left) {
  ReportControl c = textAt(x, y, w, h, {}, a);
  c.pageNumber = true;
  c.picture = PageNumberPicture;
  return c;
}

}  // namespace qm
