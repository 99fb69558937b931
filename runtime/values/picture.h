#pragma once
// Display pictures: format values for show and deformat typed text back.
// Numbers use "." and "," whatever the locale.
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/values/decimal.h"

namespace qm {

enum class PictureKind { Text, Number, Date, Time, Pattern, Unknown };

// Kind of a picture written with or without "@", in either case
// ("@s20", "n-7", "@D2", "t3", "@P####PB", "pPage <<<#p").
PictureKind pictureKind(std::string_view picture);

// The picture an entry of a text picture uses for a value `width` characters
// wide: the picture widened to the value when it is narrower, so the entry
// takes the whole value. Any other picture stays.
std::string widenedPicture(std::string_view picture, int width);

// "@nW.D" numbers: W wide with D decimals, right aligned, "," thousands when they fit,
// a leading "-" for negatives; "#" fill when the value cannot fit.
// Pattern pictures take the number too ("#" digit, "<" digit blank as a leading zero).
std::string formatNumber(std::string_view picture, double value);
std::string formatDecimal(std::string_view picture, Decimal42 v);
// Day numbers; no date formats as blank text.
std::string formatDate(std::string_view picture, int32_t day);
// Clock times; no time formats as blank text.
std::string formatTime(std::string_view picture, int32_t time);
// "@sN": the text blank-padded or cut to N.
std::string formatText(std::string_view picture, std::string_view text);
// Picks by the picture's kind; numbers, days and times come as their text ("12.5",
// "80000"). Unknown pictures give the text as it is.
std::string formatAny(std::string_view picture, std::string_view textOrNumberAsText);

struct Deformatted {
  bool ok = true;
  double number = 0;
  int32_t day = 0;
  int32_t time = 0;
  std::string text;   // the input, for text pictures (cut to the width)
  std::string error;  // why the input was refused
};

// Reads typed text under a picture. Blank input is ok: 0, no date, no time.
Deformatted deformat(std::string_view picture, std::string_view input);

}  // namespace qm
