#include "runtime/values/text.h"

#include <cstdint>
#include <cstring>

namespace qm {

namespace {
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

void assignText(char* dst, std::size_t width, std::string_view src) {
  const std::size_t n = std::min(width, src.size());
  if (n) std::memcpy(dst, src.data(), n);
  if (width > n) std::memset(dst + n, ' ', width - n);
}

std::string_view clip(std::string_view s) {
  std::size_t n = s.size();
  // Blanks a word at a time, four words a step: wide fields are mostly blank.
  constexpr uint64_t kBlanks = 0x2020202020202020ull;
  for (uint64_t w[4]; n >= 32; n -= 32) {
    std::memcpy(w, s.data() + n - 32, 32);
    if (((w[0] ^ kBlanks) | (w[1] ^ kBlanks) | (w[2] ^ kBlanks) | (w[3] ^ kBlanks)) != 0) break;
  }
  for (uint64_t w; n >= 8; n -= 8) {
    std::memcpy(&w, s.data() + n - 8, 8);
    if (w != kBlanks) break;
  }
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

bool textEqual(std::string_view a, std::string_view b) { return clip(a) == clip(b); }

int compareNoCase(std::string_view a, std::string_view b) {
  a = clip(a);
  b = clip(b);
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(lowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(lowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = upperAscii(c);
  return r;
}

std::string lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = lowerAscii(c);
  return r;
}

}  // namespace qm
