#include "runtime/values/text.h"

#include <cstdint>
#include <cstring>
#include <iterator>

namespace qm {

namespace {
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Length of the well-formed UTF-8 sequence at p (n bytes readable), 0 when
// none starts there: no overlong forms, surrogates or values past U+10FFFF.
std::size_t sequenceAt(const unsigned char* p, std::size_t n) {
  const unsigned c = p[0];
  if (c < 0x80) return 1;
  auto cont = [&](std::size_t i) { return i < n && (p[i] & 0xC0) == 0x80; };
  if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    if (c == 0xE0 && p[1] < 0xA0) return 0;  // overlong
    if (c == 0xED && p[1] > 0x9F) return 0;  // surrogate
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    if (c == 0xF0 && p[1] < 0x90) return 0;  // overlong
    if (c == 0xF4 && p[1] > 0x8F) return 0;  // past U+10FFFF
    return 4;
  }
  return 0;
}

// Windows-1252's 0x80-0x9F; the five bytes it leaves undefined keep their
// C1 code points, so every byte reads as some character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::size_t charPrefix(std::string_view s, std::size_t chars) {
  if (s.size() <= chars) return s.size();  // never more characters than bytes
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  std::size_t at = 0;
  for (std::size_t k = 0; k < chars && at < s.size(); ++k) {
    const std::size_t len = sequenceAt(p + at, s.size() - at);
    at += len ? len : 1;
  }
  return at;
}

std::string_view cutChars(std::string_view s, std::size_t chars, std::size_t bytes) {
  std::string_view r = s.substr(0, charPrefix(s, chars));
  if (r.size() <= bytes) return r;
  // Back to the start of the character the byte limit falls in.
  std::size_t n = bytes;
  while (n > 0 && (static_cast<unsigned char>(r[n]) & 0xC0) == 0x80) --n;
  return r.substr(0, n);
}

std::size_t charCount(std::string_view s) {
  std::size_t count = 0;
  for (char c : s) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

bool validUtf8(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    // 32 ASCII bytes at a time: most text is mostly ASCII.
    if (n - i >= 32) {
      std::uint64_t w[4];
      std::memcpy(w, p + i, 32);
      if (((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ULL) == 0) {
        i += 32;
        continue;
      }
    }
    // Sequence by sequence through the rest of such a block.
    const std::size_t end = std::min(n, i + 32);
    while (i < end) {
      const std::size_t len = sequenceAt(p + i, n - i);
      if (len == 0) return false;
      i += len;
    }
  }
  return true;
}

void appendWindows1252(std::string& out, std::string_view bytes) {
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    const unsigned u = c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
}

bool toWindows1252(std::string_view utf8, std::string* out) {
  if (!validUtf8(utf8)) return false;
  out->clear();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t len = sequenceAt(p + i, utf8.size() - i);
    unsigned u = p[i];
    if (len == 2) u = ((u & 0x1F) << 6) | (p[i + 1] & 0x3F);
    if (len == 3) u = ((u & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F);
    if (len == 4) return false;
    i += len;
    if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
      *out += static_cast<char>(u);
      continue;
    }
    const char16_t* at = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
    if (at == std::end(kCp1252High)) return false;
    *out += static_cast<char>(0x80 + (at - std::begin(kCp1252High)));
  }
  return true;
}

std::string toUtf8(std::string_view s) {
  if (validUtf8(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() + s.size() / 2);
  appendWindows1252(out, s);
  return out;
}

void assignText(char* dst, std::size_t width, std::string_view src) {
  if (src.size() > width) src = cutChars(src, width, width);
  const std::size_t n = src.size();
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
