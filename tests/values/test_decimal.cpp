#include <gtest/gtest.h>

#include <cstring>

#include "runtime/values/decimal.h"

using namespace qm;

namespace {
Decimal42 d(int64_t cents) { return *Decimal42::fromCents(cents); }
}  // namespace

TEST(Decimal, Parse) {
  struct Case {
    std::string_view text;
    std::optional<int64_t> cents;
  };
  const Case cases[] = {
      {"12.5", 1250},
      {"-3", -300},
      {"1,234.56", 123456},
      {" +0.05 ", 5},
      {".5", 50},
      {"7.", 700},
      {"", 0},
      {"   ", 0},
      {"99999.99", 9999999},
      {"-99999.99", -9999999},
      {"12,345,6", std::nullopt},
      {"100000", std::nullopt},
      {"1.234", std::nullopt},
      {"12a", std::nullopt},
      {"abc", std::nullopt},
      {"1,23", std::nullopt},
      {",123", std::nullopt},
      {"1234,567", std::nullopt},
      {"-", std::nullopt},
      {".", std::nullopt},
      {"1.2.3", std::nullopt},
      {"--1", std::nullopt},
      {"1 000", std::nullopt},
      {"99999999999999999999999", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto v = Decimal42::parse(c.text);
    ASSERT_EQ(v.has_value(), c.cents.has_value()) << '"' << c.text << '"';
    if (v) {
      EXPECT_EQ(v->cents(), *c.cents) << c.text;
    }
  }
}

TEST(Decimal, TextAndLimits) {
  EXPECT_EQ(d(1250).toString(), "12.50");
  EXPECT_EQ(d(-5).toString(), "-0.05");
  EXPECT_EQ(d(0).toString(), "0.00");
  EXPECT_EQ(d(9999999).toString(), "99999.99");
  EXPECT_DOUBLE_EQ(d(-123456).toDouble(), -1234.56);
  EXPECT_FALSE(Decimal42::fromCents(10000000));
  EXPECT_FALSE(Decimal42::fromCents(-10000000));
  EXPECT_EQ(d(9999998).plus(d(1))->cents(), 9999999);
  EXPECT_FALSE(d(9999999).plus(d(1)));  // refused, never wraps
  EXPECT_FALSE(d(-9999999).minus(d(1)));
  EXPECT_EQ(d(-9999999).minus(d(-9999999))->cents(), 0);
  EXPECT_LT(d(-1), d(0));
  EXPECT_EQ(d(5), *Decimal42::parse("0.05"));
}

TEST(Decimal, PackedRoundTrip) {
  struct Case {
    int64_t cents;
    unsigned char bytes[4];
  };
  const Case cases[] = {
      {0, {0x00, 0x00, 0x00, 0x0C}},        {1250, {0x00, 0x01, 0x25, 0x0C}},
      {-1250, {0x00, 0x01, 0x25, 0x0D}},    {9999999, {0x99, 0x99, 0x99, 0x9C}},
      {-9999999, {0x99, 0x99, 0x99, 0x9D}}, {1234567, {0x12, 0x34, 0x56, 0x7C}},
  };
  for (const auto& c : cases) {
    unsigned char b[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    d(c.cents).store(b);
    EXPECT_EQ(0, std::memcmp(b, c.bytes, 4)) << c.cents;
    EXPECT_EQ(Decimal42::load(b).cents(), c.cents);
  }
  struct Load {
    unsigned char bytes[4];
    int64_t cents;
  };
  const Load loads[] = {
      {{0x00, 0x00, 0x01, 0x0F}, 10},   // 0xF positive
      {{0x00, 0x00, 0x01, 0x0B}, -10},  // 0xB negative
      {{0x00, 0x00, 0x00, 0x00}, 0},    // all zero (a fresh record)
      {{0x00, 0x00, 0x01, 0x05}, 0},    // digit where the sign goes
      {{0x0A, 0x00, 0x01, 0x0C}, 0},    // non-digit nibble
      {{0xFF, 0xFF, 0xFF, 0xFF}, 0},
  };
  for (const auto& l : loads) EXPECT_EQ(Decimal42::load(l.bytes).cents(), l.cents);
}
