#include "webdata/scan/decode.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <cstring>

#include "runtime/values/text.h"

namespace qm {
namespace {

inline char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::size_t findNoCase(std::string_view hay, std::string_view lower, std::size_t from) {
  for (std::size_t i = from; i + lower.size() <= hay.size(); ++i) {
    std::size_t k = 0;
    while (k < lower.size() && foldAscii(hay[i + k]) == lower[k]) ++k;
    if (k == lower.size()) return i;
  }
  return std::string_view::npos;
}

// The charset a <meta charset=...> or http-equiv content type names, in
// lower case; "" when the head declares none. Only the first bytes are
// searched, as the declaration must come early.
std::string declaredCharset(std::string_view bytes) {
  constexpr std::size_t kHead = 64 * 1024;
  const std::string_view head = bytes.substr(0, kHead);
  constexpr std::size_t npos = std::string_view::npos;
  for (std::size_t at = findNoCase(head, "<meta", 0); at != npos;
       at = findNoCase(head, "<meta", at + 5)) {
    const std::size_t end = head.find('>', at);
    const std::string_view tag = head.substr(at, end == npos ? npos : end - at);
    std::size_t c = findNoCase(tag, "charset", 0);
    if (c == npos) continue;
    c += 7;
    while (c < tag.size() && (tag[c] == ' ' || tag[c] == '\t')) ++c;
    if (c >= tag.size() || tag[c] != '=') continue;
    ++c;
    while (c < tag.size() && (tag[c] == ' ' || tag[c] == '\t' || tag[c] == '"' || tag[c] == '\''))
      ++c;
    std::string name;
    for (; c < tag.size(); ++c) {
      const char ch = tag[c];
      const bool word = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                        (ch >= '0' && ch <= '9') || ch == '-' || ch == '_' || ch == '.' ||
                        ch == ':';
      if (!word) break;
      name += foldAscii(ch);
    }
    if (!name.empty()) return name;
  }
  return {};
}

PageText owning(const std::string& utf8, std::size_t pad, std::string encoding) {
  PageText t;
  t.owned = std::make_unique<char[]>(utf8.size() + pad);  // zeroed, the pad too
  if (!utf8.empty()) std::memcpy(t.owned.get(), utf8.data(), utf8.size());
  t.text = std::string_view(t.owned.get(), utf8.size());
  t.encoding = std::move(encoding);
  return t;
}

PageText viaQt(std::string_view bytes, QStringConverter::Encoding e, std::size_t pad,
               const char* name) {
  QStringDecoder decoder(e, QStringConverter::Flag::Stateless);
  const QString s =
      decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return owning(s.toStdString(), pad, name);
}

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

}  // namespace

PageText decodePage(std::string_view bytes, std::size_t pad) {
  using E = QStringConverter::Encoding;
  // The marks, UTF-32's before UTF-16's: "FF FE 00 00" begins both.
  if (startsWith(bytes, std::string_view("\xFF\xFE\0\0", 4)))
    return viaQt(bytes.substr(4), E::Utf32LE, pad, "UTF-32LE");
  if (startsWith(bytes, std::string_view("\0\0\xFE\xFF", 4)))
    return viaQt(bytes.substr(4), E::Utf32BE, pad, "UTF-32BE");
  if (startsWith(bytes, "\xFF\xFE")) return viaQt(bytes.substr(2), E::Utf16LE, pad, "UTF-16LE");
  if (startsWith(bytes, "\xFE\xFF")) return viaQt(bytes.substr(2), E::Utf16BE, pad, "UTF-16BE");
  if (startsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (validUtf8(bytes)) return PageText{bytes, nullptr, "UTF-8"};

  std::string charset = declaredCharset(bytes);
  // Latin-1 and ASCII pages are read as Windows-1252, which has the same
  // letters and gives the bytes 0x80-0x9F the quotes and dashes such pages
  // mean by them; a UTF-8 or UTF-16 declaration the bytes belie is no help.
  const bool useful = !charset.empty() && charset.find("utf") == std::string::npos &&
                      charset != "iso-8859-1" && charset != "latin1" && charset != "us-ascii" &&
                      charset != "ascii" && charset != "windows-1252";
  if (useful) {
    QStringDecoder decoder(charset.c_str(), QStringConverter::Flag::Stateless);
    if (decoder.isValid()) {
      const QString s =
          decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
      return owning(s.toStdString(), pad, charset);
    }
  }
  std::string utf8;
  utf8.reserve(bytes.size() + bytes.size() / 8);
  appendWindows1252(utf8, bytes);
  return owning(utf8, pad, "windows-1252");
}

}  // namespace qm
