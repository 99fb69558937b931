#include "runtime/values/decimal.h"

namespace qm {

std::optional<Decimal42> Decimal42::fromCents(int64_t cents) {
  if (cents < kMinCents || cents > kMaxCents) return std::nullopt;
  return Decimal42(static_cast<int32_t>(cents));
}

std::optional<Decimal42> Decimal42::parse(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  std::string_view s = text.substr(b, e - b);
  if (s.empty()) return Decimal42();
  bool negative = false;
  if (s.front() == '-' || s.front() == '+') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  const std::size_t dot = s.find('.');
  std::string_view whole = s.substr(0, dot);
  std::string_view frac = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
  if (whole.empty() && frac.empty()) return std::nullopt;
  if (frac.size() > 2) return std::nullopt;

  int64_t units = 0;
  // Commas are accepted only between groups of three digits.
  const bool grouped = whole.find(',') != std::string_view::npos;
  int sinceComma = 0;
  bool firstGroup = true;
  for (char c : whole) {
    if (c == ',') {
      if (sinceComma == 0 || (!firstGroup && sinceComma != 3) || (firstGroup && sinceComma > 3))
        return std::nullopt;
      firstGroup = false;
      sinceComma = 0;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    units = units * 10 + (c - '0');
    ++sinceComma;
    if (units > kMaxCents) return std::nullopt;  // stops runaway digit strings early
  }
  if (grouped && sinceComma != 3) return std::nullopt;
  int64_t cents = units * 100;
  for (std::size_t i = 0; i < 2; ++i) {
    int digit = 0;
    if (i < frac.size()) {
      if (frac[i] < '0' || frac[i] > '9') return std::nullopt;
      digit = frac[i] - '0';
    }
    cents += digit * (i == 0 ? 10 : 1);
  }
  return fromCents(negative ? -cents : cents);
}

std::string Decimal42::toString() const {
  const int64_t a = cents_ < 0 ? -static_cast<int64_t>(cents_) : cents_;
  std::string r = cents_ < 0 ? "-" : "";
  r += std::to_string(a / 100);
  r += '.';
  r += static_cast<char>('0' + (a % 100) / 10);
  r += static_cast<char>('0' + a % 10);
  return r;
}

std::optional<Decimal42> Decimal42::plus(Decimal42 o) const {
  return fromCents(static_cast<int64_t>(cents_) + o.cents_);
}

std::optional<Decimal42> Decimal42::minus(Decimal42 o) const {
  return fromCents(static_cast<int64_t>(cents_) - o.cents_);
}

void Decimal42::store(unsigned char* dst4) const {
  int64_t a = cents_ < 0 ? -static_cast<int64_t>(cents_) : cents_;
  unsigned char nib[8];
  nib[7] = cents_ < 0 ? 0xD : 0xC;
  for (int i = 6; i >= 0; --i) {
    nib[i] = static_cast<unsigned char>(a % 10);
    a /= 10;
  }
  for (int i = 0; i < 4; ++i)
    dst4[i] = static_cast<unsigned char>((nib[2 * i] << 4) | nib[2 * i + 1]);
}

Decimal42 Decimal42::load(const unsigned char* src4) {
  int32_t v = 0;
  for (int i = 0; i < 7; ++i) {
    const int nib = (i % 2 == 0) ? (src4[i / 2] >> 4) : (src4[i / 2] & 0xF);
    if (nib > 9) return Decimal42();
    v = v * 10 + nib;
  }
  const int sign = src4[3] & 0xF;
  if (sign == 0xB || sign == 0xD) return Decimal42(-v);
  if (sign >= 0xA) return Decimal42(v);
  return Decimal42();
}

}  // namespace qm
