#include <gtest/gtest.h>

#include "runtime/values/text.h"

using namespace qm;

TEST(Text, AssignPadsOrCuts) {
  struct Case {
    std::string_view src;
    std::size_t width;
    std::string want;
  };
  const Case cases[] = {
      {"abc", 5, "abc  "}, {"abcdef", 4, "abcd"}, {"", 3, "   "}, {"abc", 3, "abc"}, {"abc", 0, ""},
  };
  for (const auto& c : cases) {
    std::string buf(c.width + 1, '#');  // the byte past the field must survive
    assignText(buf.data(), c.width, c.src);
    EXPECT_EQ(buf.substr(0, c.width), c.want) << c.src;
    EXPECT_EQ(buf.back(), '#');
  }
}

TEST(Text, ClipAndCompare) {
  EXPECT_EQ(clip("ab  "), "ab");
  EXPECT_EQ(clip("  ab"), "  ab");  // leading blanks stay
  EXPECT_EQ(clip("   "), "");
  EXPECT_TRUE(textEqual("abc", "abc   "));
  EXPECT_FALSE(textEqual("abc", " abc"));
  EXPECT_FALSE(textEqual("abc", "ABC"));

  struct Case {
    std::string_view a, b;
    int sign;
  };
  const Case cases[] = {
      {"Domain", "DOMAIN  ", 0},
      {"abc", "abd", -1},
      {"b", "A", 1},
      {"ab", "abc", -1},
      {"", "   ", 0},
      {"a", "", 1},
      {"[", "a", -1},       // '[' sorts before letters once folded
      {"\xe9", "\xc9", 1},  // bytes past ASCII are not folded
  };
  for (const auto& c : cases) {
    const int r = compareNoCase(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ(-((r > 0) - (r < 0)), [&] {
      int q = compareNoCase(c.b, c.a);
      return (q > 0) - (q < 0);
    }());
  }
}

TEST(Text, ClipFindsTheLastNonBlankAtEveryPlaceOfAWideField) {
  // Wide fields are trimmed many bytes at a time: every place of the last
  // non-blank, in fields around each step's size, must still be found.
  for (std::size_t width : {1u, 7u, 8u, 9u, 31u, 32u, 33u, 40u, 200u, 255u}) {
    EXPECT_EQ(clip(std::string(width, ' ')), "") << width;
    for (std::size_t last = 0; last < width; ++last) {
      std::string field(width, ' ');
      field[last] = last % 2 ? '\t' : 'x';  // a tab is no blank
      if (last > 3) field[last / 2] = 'y';
      EXPECT_EQ(clip(field).size(), last + 1) << width << " " << last;
    }
  }
}

TEST(Text, UpperLowerAsciiOnly) {
  EXPECT_EQ(upper("aBc-1\xe9z"), "ABC-1\xe9Z");
  EXPECT_EQ(lower("AbC-1\xc9Z"), "abc-1\xc9z");
}

TEST(Text, FixedText) {
  FixedText<5> t;
  EXPECT_TRUE(t.blank());
  EXPECT_EQ(t.view(), "     ");
  t = "abcdefg";
  EXPECT_EQ(t.view(), "abcde");
  t = std::string("ab");
  EXPECT_EQ(t.view(), "ab   ");
  EXPECT_EQ(t.clipped(), "ab");
  EXPECT_EQ(t.str(), "ab");
  EXPECT_TRUE(t == "ab");
  EXPECT_TRUE(t == "ab      ");
  EXPECT_FALSE(t == "abc");
  EXPECT_FALSE(t.blank());
  static_assert(FixedText<5>::size() == 5);
  t.data()[4] = 'z';
  EXPECT_EQ(t.str(), "ab  z");
  FixedText<8> wide("ab");
  EXPECT_TRUE(wide == FixedText<3>("ab"));
  FixedText<3> fromChars = "xyz!";
  EXPECT_EQ(fromChars.view(), "xyz");
}

// Cuts at a width fall between characters: 2-, 3- and 4-byte ones at the cut.
TEST(Text, CutsCountCharactersAndNeverSplitOne) {
  struct Case {
    std::string_view src;
    std::size_t chars;
    std::size_t bytes;  // the room in bytes
    std::string_view want;
  };
  const Case cases[] = {
      {"xxx\xD1\x91", 4, 10, "xxx\xD1\x91"},                              // 2 bytes, whole
      {"xxx\xD1\x91", 4, 4, "xxx"},                                       // no room for both bytes
      {"xx\xE2\x80\x93y", 3, 10, "xx\xE2\x80\x93"},                       // 3 bytes at the cut
      {"xx\xE2\x80\x93y", 3, 4, "xx"},                                    //
      {"x\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 2, 10, "x\xF0\x9F\x98\x80"},  // 4 bytes
      {"x\xF0\x9F\x98\x80", 2, 3, "x"},                                   //
      {"\xD1\x91\xD1\x91\xD1\x91", 2, 100, "\xD1\x91\xD1\x91"},           // two of three
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cutChars(c.src, c.chars, c.bytes), c.want) << c.src << " " << c.chars;
    EXPECT_TRUE(validUtf8(cutChars(c.src, c.chars, c.bytes)));
  }
  // A fixed-width buffer cuts the same way and pads what is left.
  std::string buf(5, '#');
  assignText(buf.data(), 4, "xxx\xD1\x91");
  EXPECT_EQ(buf, "xxx #");
  EXPECT_EQ(charCount("x\xD1\x91\xE2\x80\x93\xF0\x9F\x98\x80"), 4u);
}

TEST(Text, InvalidUtf8IsReadAsWindows1252) {
  struct Case {
    std::string in;
    bool valid;
    std::string utf8;
  };
  const Case cases[] = {
      {"plain", true, "plain"},
      {"Caf\xC3\xA9", true, "Caf\xC3\xA9"},
      {"Caf\xE9 \x93q\x94 \x96", false, "Caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93"},
      {"\xC0\xAF", false, "\xC3\x80\xC2\xAF"},                                  // overlong
      {"\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                  // a surrogate
      {"\xF4\x90\x80\x80", false, "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // past U+10FFFF
      {"xxxxxxxx\xD1", false, "xxxxxxxx\xC3\x91"},  // cut short after a full word
      // Across the 32 bytes the check takes at once.
      {std::string(31, 'x') + "\xD1\x91" + std::string(40, 'y'), true,
       std::string(31, 'x') + "\xD1\x91" + std::string(40, 'y')},
      {std::string(31, 'x') + "\xD1" + std::string(40, 'y'), false,
       std::string(31, 'x') + "\xC3\x91" + std::string(40, 'y')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(validUtf8(c.in), c.valid) << c.in;
    EXPECT_EQ(toUtf8(c.in), c.utf8) << c.in;
  }
}
