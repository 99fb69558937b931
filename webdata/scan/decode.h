#pragma once
// A page's bytes as UTF-8 text, before any scanning rule sees them.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace qm {

struct PageText {
  std::string_view text;          // UTF-8, without a byte order mark
  std::unique_ptr<char[]> owned;  // the decoded copy `text` views, when one was made
  std::string encoding;           // what the bytes were read as ("UTF-8", "windows-1252", ...)
};

// UTF-16 and UTF-32 by their byte order mark; UTF-8 when the bytes are valid
// UTF-8 (a mark dropped), viewed in place without a copy; otherwise the
// charset a <meta> tag declares, where it is known; otherwise Windows-1252.
// A decoded copy has `pad` zero bytes behind its text.
PageText decodePage(std::string_view bytes, std::size_t pad = 0);

}  // namespace qm
