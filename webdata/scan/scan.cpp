#include "webdata/scan/scan.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// Field widths of the values the scan cuts.
constexpr std::size_t kTitleWidth = 80;
constexpr std::size_t kSourceWidth = 200;  // image source, link
constexpr std::size_t kSizeWidth = 20;     // height, width
constexpr std::size_t kMetaNameWork = 40;  // tested for blank at this width
constexpr std::size_t kMetaNameWidth = 20;
constexpr std::size_t kMetaContentWidth = 128;
constexpr std::size_t kBlockLineWidth = 200;
constexpr std::size_t kImagePathWidth = 80;

// Markers, in lower case. Each starts with '<' or ends with '=', which is
// what the search anchors on; letters match in either case, ASCII only, so
// every position found is a byte position of the unchanged line.
constexpr std::string_view kTitle = "<title>";
constexpr std::string_view kTitleEnd = "</title>";
constexpr std::string_view kImage = "img src=";
constexpr std::string_view kHeight = "height=";
constexpr std::string_view kWidth = "width=";
constexpr std::string_view kLink = "href=";
constexpr std::string_view kMeta = "meta name=";
constexpr std::string_view kContent = "content=";
constexpr std::string_view kScript = "<script";
constexpr std::string_view kScriptEnd = "</script";
constexpr std::string_view kForm = "<form";
constexpr std::string_view kFormEnd = "</form";

inline unsigned char fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

inline bool equalAt(std::string_view hay, std::size_t at, std::string_view lower) {
  if (at > hay.size() || hay.size() - at < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i)
    if (fold(static_cast<unsigned char>(hay[at + i])) != static_cast<unsigned char>(lower[i]))
      return false;
  return true;
}

// First occurrence of a marker starting at or after `from`.
std::size_t findMarker(std::string_view hay, std::string_view lower, std::size_t from) {
  const std::size_t anchor = lower.front() == '<' ? 0 : lower.size() - 1;
  const char key = lower[anchor];
  std::size_t pos = from + anchor;
  while (pos < hay.size()) {
    const void* hit = std::memchr(hay.data() + pos, key, hay.size() - pos);
    if (!hit) return npos;
    const std::size_t a = static_cast<std::size_t>(static_cast<const char*>(hit) - hay.data());
    if (equalAt(hay, a - anchor, lower)) return a - anchor;
    pos = a + 1;
  }
  return npos;
}

// The markers tested on every line and the line's first carriage return,
// found in one pass.
struct Primaries {
  std::size_t title = npos, image = npos, link = npos, meta = npos, script = npos, form = npos;
  std::size_t cr = npos;
};

// Looks at one '<', '=' or carriage return at i; returns true once all
// seven positions are known. The letter next to the sign picks the marker.
inline bool onHit(std::string_view s, std::size_t i, Primaries& p, int& left) {
  const char c = s[i];
  if (c == '<') {
    if (i + 1 >= s.size()) return false;
    switch (fold(static_cast<unsigned char>(s[i + 1]))) {
      case 't':
        if (p.title != npos || !equalAt(s, i, kTitle)) return false;
        p.title = i;
        break;
      case 's':
        if (p.script != npos || !equalAt(s, i, kScript)) return false;
        p.script = i;
        break;
      case 'f':
        if (p.form != npos || !equalAt(s, i, kForm)) return false;
        p.form = i;
        break;
      default:
        return false;
    }
  } else if (c == '=') {
    if (i == 0) return false;
    const std::size_t end = i + 1;
    switch (fold(static_cast<unsigned char>(s[i - 1]))) {
      case 'f':
        if (p.link != npos || end < kLink.size() || !equalAt(s, end - kLink.size(), kLink)) return false;
        p.link = end - kLink.size();
        break;
      case 'c':
        if (p.image != npos || end < kImage.size() || !equalAt(s, end - kImage.size(), kImage)) return false;
        p.image = end - kImage.size();
        break;
      case 'e':
        if (p.meta != npos || end < kMeta.size() || !equalAt(s, end - kMeta.size(), kMeta)) return false;
        p.meta = end - kMeta.size();
        break;
      default:
        return false;
    }
  } else {
    if (p.cr != npos) return false;
    p.cr = i;
  }
  return --left == 0;
}

// `readable` is how many bytes from s.data() may be loaded (at least s.size()).
Primaries findPrimaries(std::string_view s, std::size_t readable) {
  Primaries p;
  int left = 7;
  const char* d = s.data();
  const std::size_t n = s.size();
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time; bits past the text are masked off, and a tail
  // with nothing readable behind it goes through a zeroed copy.
  const __m128i lt = _mm_set1_epi8('<');
  const __m128i eq = _mm_set1_epi8('=');
  const __m128i cr = _mm_set1_epi8('\r');
  alignas(16) char tail[16];
  while (i < n) {
    const char* at = d + i;
    unsigned keep = 0xFFFFu;
    if (n - i < 16) {
      keep = (1u << (n - i)) - 1;
      if (readable - i < 16) {
        std::memset(tail, 0, sizeof tail);
        std::memcpy(tail, d + i, n - i);
        at = tail;
      }
    }
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i any =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, eq)), _mm_cmpeq_epi8(v, cr));
    unsigned m = static_cast<unsigned>(_mm_movemask_epi8(any)) & keep;
    while (m) {
      if (onHit(s, i + static_cast<std::size_t>(__builtin_ctz(m)), p, left)) return p;
      m &= m - 1;
    }
    i += 16;
  }
#else
  (void)readable;
  for (; i < n; ++i) {
    const char c = d[i];
    if ((c == '<' || c == '=' || c == '\r') && onHit(s, i, p, left)) return p;
  }
#endif
  return p;
}

// Copies through the library's memcpy: the compiler's inline expansion of
// short variable-length copies is slow on common processors.
std::string str(std::string_view v) {
  std::string out(v.size(), '\0');
  if (!v.empty()) std::memcpy(out.data(), v.data(), v.size());
  return out;
}

inline std::string_view trimRight(std::string_view v) {
  std::size_t e = v.size();
  while (e > 0 && v[e - 1] == ' ') --e;
  return v.substr(0, e);
}

inline std::string_view trimLeft(std::string_view v) {
  std::size_t b = 0;
  while (b < v.size() && v[b] == ' ') ++b;
  return v.substr(b);
}

inline bool blank(std::string_view v) { return trimRight(v).empty(); }

// Cut to a field's width; trailing blanks are the field's padding.
inline std::string_view fit(std::string_view v, std::size_t width) {
  return trimRight(v.substr(0, std::min(width, v.size())));
}

// Characters from `start` (0-based) for `len` (npos: to the end), stopping
// at the end of the text.
inline std::string_view cut(std::string_view src, std::size_t start, std::size_t len) {
  if (start >= src.size()) return {};
  return src.substr(start, len);
}

// One record and the views the steps work on.
struct Line {
  std::string_view clip;  // the record without trailing blanks
  std::string_view text;  // clip up to its first carriage return

  void set(std::string_view rec) {
    setClip(rec);
    text = clip;
    if (!clip.empty()) {
      if (const void* cr = std::memchr(clip.data(), '\r', clip.size()))
        text = clip.substr(0, static_cast<std::size_t>(static_cast<const char*>(cr) - clip.data()));
    }
  }

  // Sets the clipped record only; the caller sets the text from the first
  // carriage return it found.
  void setClip(std::string_view rec) {
    if (rec.size() > kLineRecordWidth) rec = rec.substr(0, kLineRecordWidth);
    clip = trimRight(rec);
  }
  void setText(std::size_t cr) { text = clip.substr(0, cr); }
};

// The value in double quotes after a marker at `at` of length `n`. Quotes are
// found in the whole line; the value is cut from `source`. Without a closing
// quote it runs to the end; without an opening quote it is the text in front
// of the line's first quote, or the whole line.
std::string_view quoted(const Line& line, std::size_t at, std::size_t n, std::string_view source) {
  const std::size_t q1 = line.clip.find('"', at + n);
  if (q1 != npos) {
    const std::size_t q2 = line.clip.find('"', q1 + 1);
    return cut(source, q1 + 1, q2 == npos ? npos : q2 - q1 - 1);
  }
  const std::size_t q2 = line.clip.find('"');
  return cut(source, 0, q2);
}

std::string_view metaContent(const Line& line) {
  const std::size_t c = findMarker(line.clip, kContent, 0);
  if (c == npos) return {};
  return fit(quoted(line, c, kContent.size(), line.text), kMetaContentWidth);
}

std::vector<std::string> blockLines(const std::vector<std::string_view>& slots) {
  std::vector<std::string> out;
  out.reserve(slots.size());
  for (std::string_view s : slots) out.push_back(str(fit(trimLeft(trimRight(s)), kBlockLineWidth)));
  return out;
}

// Records from the bytes of a line file.
class ByteCursor {
 public:
  explicit ByteCursor(std::string_view bytes) : d_(bytes) {}

  bool next(std::string_view& rec) {
    if (lineEnd_ == npos) {
      if (pos_ >= d_.size()) return false;
      const void* lf = std::memchr(d_.data() + pos_, '\n', d_.size() - pos_);
      lineEnd_ = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - d_.data()) : d_.size();
    }
    const std::size_t len = std::min(lineEnd_ - pos_, kLineRecordWidth);
    rec = d_.substr(pos_, len);
    pos_ += len;
    if (pos_ == lineEnd_) {
      pos_ = std::min(lineEnd_ + 1, d_.size());
      lineEnd_ = npos;
    }
    return true;
  }

  // The rest of the buffer behind a record may be loaded too.
  std::size_t readable(std::string_view rec) const {
    return static_cast<std::size_t>(d_.data() + d_.size() - rec.data());
  }

 private:
  std::string_view d_;
  std::size_t pos_ = 0;
  std::size_t lineEnd_ = npos;  // end of the line being cut, npos between lines
};

class VectorCursor {
 public:
  explicit VectorCursor(const std::vector<std::string>& records) : r_(records) {}
  bool next(std::string_view& rec) {
    if (i_ >= r_.size()) return false;
    rec = r_[i_++];
    return true;
  }
  std::size_t readable(std::string_view rec) const { return rec.size(); }

 private:
  const std::vector<std::string>& r_;
  std::size_t i_ = 0;
};

template <class Cursor>
class Scanner {
 public:
  explicit Scanner(Cursor& cursor) : cur_(cursor) { slots_.reserve(kBlockSlots); }

  ScanResult run() {
    double counter = 1;  // the first line of the file is line 2
    std::string_view rec;
    while (cur_.next(rec)) {
      line_.setClip(rec);
      ++r_.progressSteps;
      counter += 1;
      ++r_.scannedLines;
      Primaries m = findPrimaries(line_.clip, cur_.readable(line_.clip));
      line_.setText(m.cr);
      const long lineNo = static_cast<long>(counter);

      if (m.title != npos) {
        const std::size_t from = m.title + kTitle.size();
        const std::size_t end = findMarker(line_.clip, kTitleEnd, from);
        r_.title = str(fit(cut(line_.text, from, end == npos ? npos : end - from), kTitleWidth));
        r_.hasTitle = true;
      }

      if (m.image != npos) {
        ScanImage im;
        im.src = str(fit(quoted(line_, m.image, kImage.size(), line_.clip), kSourceWidth));
        const std::size_t h = findMarker(line_.clip, kHeight, 0);
        if (h != npos) im.height = str(fit(quoted(line_, h, kHeight.size(), line_.clip), kSizeWidth));
        const std::size_t w = findMarker(line_.clip, kWidth, 0);
        if (w != npos) im.width = str(fit(quoted(line_, w, kWidth.size(), line_.clip), kSizeWidth));
        im.line = lineNo;
        r_.images.push_back(std::move(im));
        r_.marks[kMarkImages] = true;
        ++r_.progressSteps;
      }

      if (m.link != npos) {
        r_.links.push_back({str(fit(quoted(line_, m.link, kLink.size(), line_.clip), kSourceWidth)),
                            lineNo});
        r_.marks[kMarkLinks] = true;
        ++r_.progressSteps;
      }

      if (m.meta != npos) {
        const std::string_view name = fit(quoted(line_, m.meta, kMeta.size(), line_.text), kMetaNameWork);
        std::string_view content = metaContent(line_);
        bool moved = false;
        // The content may follow on later lines; those lines are consumed.
        while (content.empty() && !name.empty()) {
          if (!cur_.next(rec)) break;
          line_.set(rec);
          moved = true;
          content = metaContent(line_);
        }
        r_.metas.push_back({str(fit(name, kMetaNameWidth)), str(content)});
        r_.marks[kMarkMetas] = true;
        ++r_.progressSteps;
        if (moved) m = findPrimaries(line_.clip, cur_.readable(line_.clip));
      }

      if (m.script != npos) {
        if (capture(kScriptEnd)) m = findPrimaries(line_.clip, cur_.readable(line_.clip));
        if (!blank(slots_.front())) {
          r_.scripts.push_back({blockLines(slots_)});
          r_.marks[kMarkScripts] = true;
          ++r_.progressSteps;
        }
      }

      if (m.form != npos) {
        capture(kFormEnd);
        if (!blank(slots_.front())) {
          r_.forms.push_back({lineNo, blockLines(slots_)});
          r_.marks[kMarkForms] = true;
          ++r_.progressSteps;
        }
      }

      ++r_.progressSteps;  // end of line
    }
    return std::move(r_);
  }

 private:
  // Takes a block from the current line into the slots; returns whether it
  // read on, leaving the last line read as the current line.
  bool capture(std::string_view endMarker) {
    slots_.clear();
    slots_.push_back(line_.text);
    if (findMarker(line_.clip, endMarker, 0) != npos) return false;
    bool moved = false;
    std::string_view rec;
    while (cur_.next(rec)) {
      line_.set(rec);
      moved = true;
      ++r_.progressSteps;
      if (line_.clip.empty()) continue;
      const bool end = findMarker(line_.clip, endMarker, 0) != npos;
      if (slots_.size() == kBlockSlots - 1) {
        // The 40th line is kept only when it closes the block.
        if (end) slots_.push_back(line_.text);
        break;
      }
      slots_.push_back(line_.text);
      if (end) break;
    }
    return moved;
  }

  Cursor& cur_;
  Line line_;
  std::vector<std::string_view> slots_;
  ScanResult r_;
};

}  // namespace

std::vector<std::string> splitLineRecords(std::string_view bytes) {
  std::vector<std::string> out;
  ByteCursor cur(bytes);
  std::string_view rec;
  while (cur.next(rec)) out.emplace_back(rec);
  return out;
}

ScanResult scanLines(const std::vector<std::string>& records) {
  VectorCursor cur(records);
  return Scanner<VectorCursor>(cur).run();
}

ScanResult scanBytes(std::string_view bytes) {
  ByteCursor cur(bytes);
  return Scanner<ByteCursor>(cur).run();
}

ScanResult scanFile(const std::string& path, std::string* error) {
  if (error) error->clear();
  auto fail = [&](int err) {
    if (error) *error = path + ": " + std::strerror(err);
    return ScanResult{};
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return fail(err);
  }
  std::size_t cap = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  std::size_t size = 0;
  auto buf = std::make_unique_for_overwrite<char[]>(cap + 1);
  for (;;) {
    if (size == cap + 1) {  // the file grew, or it reports no size: make room
      const std::size_t bigger = std::max<std::size_t>(2 * (cap + 1), 65536);
      auto grown = std::make_unique_for_overwrite<char[]>(bigger);
      std::memcpy(grown.get(), buf.get(), size);
      buf = std::move(grown);
      cap = bigger - 1;
    }
    const ssize_t got = ::read(fd, buf.get() + size, cap + 1 - size);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return fail(err);
    }
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  ::close(fd);
  return scanBytes(std::string_view(buf.get(), size));
}

std::string scanImagePath(std::string_view localDirectory, std::string_view src) {
  if (!src.empty() && (src.front() == '/' || src.front() == '\\')) src.remove_prefix(1);
  std::string out(trimRight(localDirectory));
  out += '\\';
  out.append(src);
  return str(fit(out, kImagePathWidth));
}

std::int16_t clampLine(double line) {
  if (std::isnan(line)) return 0;
  const double t = std::trunc(line);
  if (t >= 32767.0) return 32767;
  if (t <= -32768.0) return -32768;
  return static_cast<std::int16_t>(t);
}

}  // namespace qm
