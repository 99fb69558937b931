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
