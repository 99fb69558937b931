#pragma once
// Decimal 4.2: seven digits, two after the point, held as exact cents.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

class Decimal42 {
 public:
  static constexpr int64_t kMaxCents = 9999999;  // 99999.99
  static constexpr int64_t kMinCents = -9999999;

  constexpr Decimal42() = default;

  // nullopt outside -99999.99..99999.99.
  static std::optional<Decimal42> fromCents(int64_t cents);
  // Accepts blanks around, a leading sign, "," between groups of three and at most
  // two decimals: "12.5", "-3", "1,234.56", ".5". Blank text is zero.
  static std::optional<Decimal42> parse(std::string_view text);

  int64_t cents() const { return cents_; }
  double toDouble() const { return static_cast<double>(cents_) / 100.0; }
  // "12.50", "-0.05", "1234.00" (no grouping).
  std::string toString() const;

  // nullopt when the result leaves the range; never wraps.
  std::optional<Decimal42> plus(Decimal42 o) const;
  std::optional<Decimal42> minus(Decimal42 o) const;

  auto operator<=>(const Decimal42&) const = default;
  bool operator==(const Decimal42&) const = default;

  // Packed form: 4 bytes, seven BCD digit nibbles most significant first, then the
  // sign nibble: 0xC positive (also written for zero), 0xD negative. On load 0xA,
  // 0xE, 0xF count as positive and 0xB as negative; a damaged nibble loads as 0.
  void store(unsigned char* dst4) const;
  static Decimal42 load(const unsigned char* src4);

 private:
  constexpr explicit Decimal42(int32_t c) : cents_(c) {}
  int32_t cents_ = 0;
};

}  // namespace qm
