#pragma once
// Fixed-length, blank-padded text as the record buffers hold it.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace qm {

// Copies src into the width bytes at dst: blank-padded when shorter, cut when
// longer, never inside a character.
void assignText(char* dst, std::size_t width, std::string_view src);

// Text is UTF-8. Bytes of s that make its first `chars` characters (all of s
// when it holds fewer); a byte that starts no valid sequence counts as one.
std::size_t charPrefix(std::string_view s, std::size_t chars);
// The longest prefix of s of at most `chars` characters and `bytes` bytes
// that ends between characters.
std::string_view cutChars(std::string_view s, std::size_t chars,
                          std::size_t bytes = std::string_view::npos);
// Characters in s.
std::size_t charCount(std::string_view s);
// True when s is well-formed UTF-8.
bool validUtf8(std::string_view s);
// s as valid UTF-8: unchanged when valid, otherwise read as Windows-1252
// (which takes every byte), the encoding such text most often comes in.
std::string toUtf8(std::string_view s);
// Appends the UTF-8 of the Windows-1252 bytes to out.
void appendWindows1252(std::string& out, std::string_view bytes);
// The Windows-1252 bytes whose reading is the UTF-8 text utf8; false when a
// character has none (or utf8 is not valid UTF-8).
bool toWindows1252(std::string_view utf8, std::string* out);

// s without its trailing blanks.
std::string_view clip(std::string_view s);

// Equal once trailing blanks are ignored ("abc" equals "abc  ").
bool textEqual(std::string_view a, std::string_view b);

// ASCII case-insensitive comparison blind to trailing blanks; <0, 0 or >0.
int compareNoCase(std::string_view a, std::string_view b);

// ASCII letters only; every other byte is kept as it is.
std::string upper(std::string_view s);
std::string lower(std::string_view s);

// Exactly N characters, blank-padded.
template <std::size_t N>
class FixedText {
 public:
  FixedText() { std::memset(buf_, ' ', N); }
  FixedText(std::string_view s) { assignText(buf_, N, s); }  // NOLINT: implicit on purpose
  FixedText(const char* s) {
    assignText(buf_, N, s ? std::string_view(s) : std::string_view());
  }  // NOLINT

  FixedText& operator=(std::string_view s) {
    assignText(buf_, N, s);
    return *this;
  }
  FixedText& operator=(const char* s) {
    return *this = (s ? std::string_view(s) : std::string_view());
  }

  std::string_view view() const { return std::string_view(buf_, N); }
  std::string_view clipped() const { return clip(view()); }
  std::string str() const { return std::string(clipped()); }
  char* data() { return buf_; }
  const char* data() const { return buf_; }
  static constexpr std::size_t size() { return N; }
  bool blank() const { return clipped().empty(); }

  bool operator==(std::string_view s) const { return textEqual(view(), s); }
  bool operator==(const char* s) const {
    return textEqual(view(), s ? std::string_view(s) : std::string_view());
  }
  template <std::size_t M>
  bool operator==(const FixedText<M>& o) const {
    return textEqual(view(), o.view());
  }

 private:
  char buf_[N];
};

}  // namespace qm
