#include "webdata/scan/scan.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <span>

#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"
#include "webdata/scan/decode.h"

#if defined(__x86_64__)
#include <immintrin.h>
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
constexpr std::size_t kImagePathWidth = kPathWidth;

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

// Padding behind an owned buffer, so the search may load past the last byte.
constexpr std::size_t kPad = 32;

// What one pass over a record finds: the first position of each marker the
// steps test (the title end only from the title's end on) and of the first
// carriage return, relative to the record's start.
struct Primaries {
  std::size_t title = npos, titleEnd = npos, image = npos, link = npos, meta = npos;
  std::size_t script = npos, scriptEnd = npos, form = npos, formEnd = npos;
  std::size_t cr = npos;
};

inline unsigned char foldAt(const char* d, std::size_t n, std::size_t i) {
  return i < n ? fold(static_cast<unsigned char>(d[i])) : 0;
}

inline bool markerAt(const char* d, std::size_t n, std::size_t at, std::string_view lower) {
  return equalAt(std::string_view(d, n), at, lower);
}

// Checks a '<' or '=' at i. The letter behind the '<' or in front of the '='
// picks the only marker it can be.
inline void onCandidate(const char* d, std::size_t n, std::size_t i, Primaries& p) {
  if (d[i] == '<') {
    switch (foldAt(d, n, i + 1)) {
      case 't':
        if (p.title == npos && markerAt(d, n, i, kTitle)) p.title = i;
        break;
      case 's':
        if (p.script == npos && markerAt(d, n, i, kScript)) p.script = i;
        break;
      case 'f':
        if (p.form == npos && markerAt(d, n, i, kForm)) p.form = i;
        break;
      case '/':
        switch (foldAt(d, n, i + 2)) {
          case 't':
            if (p.titleEnd == npos && p.title != npos && i >= p.title + kTitle.size() &&
                markerAt(d, n, i, kTitleEnd))
              p.titleEnd = i;
            break;
          case 's':
            if (p.scriptEnd == npos && markerAt(d, n, i, kScriptEnd)) p.scriptEnd = i;
            break;
          case 'f':
            if (p.formEnd == npos && markerAt(d, n, i, kFormEnd)) p.formEnd = i;
            break;
          default:
            break;
        }
        break;
      default:
        break;
    }
    return;
  }
  if (i == 0) return;
  const std::size_t end = i + 1;  // just behind the '='
  switch (fold(static_cast<unsigned char>(d[i - 1]))) {
    case 'f':
      if (p.link == npos && end >= kLink.size() && markerAt(d, n, end - kLink.size(), kLink))
        p.link = end - kLink.size();
      break;
    case 'c':
      if (p.image == npos && end >= kImage.size() && markerAt(d, n, end - kImage.size(), kImage))
        p.image = end - kImage.size();
      break;
    case 'e':
      if (p.meta == npos && end >= kMeta.size() && markerAt(d, n, end - kMeta.size(), kMeta))
        p.meta = end - kMeta.size();
      break;
    default:
      break;
  }
}

// Candidate bits for the 64 bytes at base: '<', '=', carriage return, line
// feed. A narrower filter costs more vector work than the few candidates it
// saves. Bytes past `readable` are never loaded; they read as zero, which is
// no candidate.
using BlockMasks = void (*)(const char* d, std::size_t base, std::size_t readable,
                            std::uint64_t* out, std::size_t count);

// The block's bytes, or a zeroed copy of what is readable of them.
inline const char* blockBytes(const char* d, std::size_t base, std::size_t readable, char* tail) {
  if (readable - base >= 64) return d + base;
  std::memset(tail, 0, 96);
  std::memcpy(tail, d + base, readable - base);
  return tail;
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void blockMasksWide(const char* d, std::size_t base,
                                                    std::size_t readable, std::uint64_t* outs,
                                                    std::size_t count) {
  alignas(32) char tail[96];
  const __m256i lt = _mm256_set1_epi8('<'), eq = _mm256_set1_epi8('=');
  const __m256i cr = _mm256_set1_epi8('\r'), lf = _mm256_set1_epi8('\n');
  for (std::size_t b = 0; b < count; ++b, base += 64) {
    const char* at = blockBytes(d, base, readable, tail);
    std::uint64_t out = 0;
    for (int h = 0; h < 64; h += 32) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + h));
      const __m256i any =
          _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, lt), _mm256_cmpeq_epi8(v, eq)),
                          _mm256_or_si256(_mm256_cmpeq_epi8(v, cr), _mm256_cmpeq_epi8(v, lf)));
      const auto m = static_cast<std::uint32_t>(_mm256_movemask_epi8(any));
      out |= std::uint64_t{m} << h;
    }
    outs[b] = out;
  }
}
#endif

void blockMasksNarrow(const char* d, std::size_t base, std::size_t readable, std::uint64_t* outs,
                      std::size_t count) {
  alignas(16) char tail[96];
  for (std::size_t b = 0; b < count; ++b, base += 64) {
    const char* at = blockBytes(d, base, readable, tail);
    std::uint64_t out = 0;
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi8('<'), eq = _mm_set1_epi8('=');
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (int h = 0; h < 64; h += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + h));
      const __m128i any = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, eq)),
                                       _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
      const auto m = static_cast<unsigned>(_mm_movemask_epi8(any));
      out |= std::uint64_t{m} << h;
    }
#else
    for (int k = 0; k < 64; ++k) {
      const char ch = at[k];
      const bool hit = ch == '<' || ch == '=' || ch == '\r' || ch == '\n';
      if (hit) out |= std::uint64_t{1} << k;
    }
#endif
    outs[b] = out;
  }
}

BlockMasks pickBlockMasks() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) return blockMasksWide;
#endif
  return blockMasksNarrow;
}

const BlockMasks blockMasks = pickBlockMasks();

// The candidates of a buffer in order, found 64 bytes at a time in one pass
// over it, so records are cut and searched without going over their bytes
// again.
class Candidates {
 public:
  Candidates(const char* d, std::size_t size, std::size_t readable)
      : d_(d), size_(size), readable_(readable) {
    fill();
  }

  // The next candidate not yet taken; npos after the last.
  std::size_t peek() {
    while (masks_[at_] == 0) {
      if (++at_ == kBatch) {
        base_ += 64 * kBatch;
        fill();
      }
      if (base_ + 64 * at_ >= size_) return npos;
    }
    return base_ + 64 * at_ + static_cast<std::size_t>(__builtin_ctzll(masks_[at_]));
  }
  void pop() { masks_[at_] &= masks_[at_] - 1; }
  // Back (or on) to position p: the candidates from p on are untaken.
  void seek(std::size_t p) {
    base_ = p & ~std::size_t{63};
    fill();
    masks_[0] &= ~std::uint64_t{0} << (p - base_);
  }

 private:
  static constexpr std::size_t kBatch = 64;  // blocks searched per call

  void fill() {
    at_ = 0;
    if (base_ >= size_) {
      masks_[0] = 0;
      return;
    }
    const std::size_t blocks = std::min(kBatch, (size_ - base_ + 63) / 64);
    blockMasks(d_, base_, readable_, masks_, blocks);
    std::fill(masks_ + blocks, masks_ + kBatch, 0);
  }

  const char* d_;
  std::size_t size_;
  std::size_t readable_;
  std::size_t base_ = 0;
  std::size_t at_ = 0;
  std::uint64_t masks_[kBatch];
};

// Searches the record at `start` of at most n bytes for what the steps test.
// With stopAtLf the record ends at its first line feed; returns its length
// and leaves that line feed untaken.
inline std::size_t searchRecord(const char* d, Candidates& cand, std::size_t start, std::size_t n,
                                bool stopAtLf, Primaries& p) {
  p = Primaries{};
  const char* rec = d + start;
  const std::size_t limit = start + n;
  for (std::size_t k = cand.peek(); k < limit; k = cand.peek()) {
    const char ch = d[k];
    if (ch == '\n') {
      if (stopAtLf) return k - start;
    } else if (ch == '\r') {
      if (p.cr == npos) p.cr = k - start;
    } else {
      onCandidate(rec, n, k - start, p);
    }
    cand.pop();
  }
  return n;
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

// Cut to a field's width in characters; trailing blanks are the field's padding.
inline std::string_view fit(std::string_view v, std::size_t width) {
  return trimRight(v.substr(0, charPrefix(v, width)));
}

// Bytes of the record at d of at most 255 characters, ending before a line
// feed or at n. Only a record of 255 bytes may run on: then its characters
// are counted.
std::size_t recordBytes(const char* d, std::size_t n) {
  std::uint64_t high = 0;
  for (std::size_t i = 0; i + 8 <= kLineRecordWidth; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, d + i, 8);
    high |= w;
  }
  for (std::size_t i = kLineRecordWidth & ~std::size_t{7}; i < kLineRecordWidth; ++i)
    high |= static_cast<unsigned char>(d[i]);
  if ((high & 0x8080808080808080ULL) == 0) return kLineRecordWidth;  // all ASCII
  std::size_t i = 0, chars = 0;
  for (; i < n && d[i] != '\n'; ++i) {
    if ((static_cast<unsigned char>(d[i]) & 0xC0) == 0x80) continue;
    if (chars == kLineRecordWidth) break;
    ++chars;
  }
  return i;
}

// Characters from `start` (0-based) for `len` (npos: to the end), stopping
// at the end of the text.
inline std::string_view cut(std::string_view src, std::size_t start, std::size_t len) {
  if (start >= src.size()) return {};
  return src.substr(start, len);
}

// One record and what the steps work on. Every marker and the carriage
// return end in a character other than a blank, so what is found in the
// record lies within its clipped copy.
struct Line {
  std::string_view raw;   // the record as read
  std::string_view clip;  // the record without trailing blanks
  std::string_view text;  // clip up to its first carriage return
  Primaries at;

  void set(std::string_view rec) {
    raw = rec;
    clip = trimRight(rec);
    text = clip.substr(0, at.cr);
  }
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

// Records from the bytes of a line file, each searched as it is cut.
class ByteCursor {
 public:
  // `readable`: bytes from bytes.data() that may be loaded (at least its size).
  ByteCursor(std::string_view bytes, std::size_t readable)
      : d_(bytes.data()), size_(bytes.size()), cand_(d_, size_, readable) {}

  bool next(Line& line) {
    if (pos_ >= size_) return false;
    const std::size_t n = std::min(size_ - pos_, kLineRecordWidth);
    std::size_t len = searchRecord(d_, cand_, pos_, n, true, line.at);
    if (len == kLineRecordWidth) {
      // 255 bytes and no line feed: the record holds 255 characters, which
      // may take more bytes.
      const std::size_t whole = recordBytes(d_ + pos_, size_ - pos_);
      if (whole > len) {
        cand_.seek(pos_);
        len = searchRecord(d_, cand_, pos_, whole, true, line.at);
      }
    }
    line.set(std::string_view(d_ + pos_, len));
    pos_ += len;
    // Past the line feed that ended the record, or the one right behind a
    // full record; otherwise the line goes on in the next record.
    if (pos_ < size_ && d_[pos_] == '\n') {
      ++pos_;
      cand_.pop();
    }
    return true;
  }

 private:
  const char* d_;
  std::size_t size_;
  Candidates cand_;
  std::size_t pos_ = 0;
};

class VectorCursor {
 public:
  explicit VectorCursor(const std::vector<std::string>& records) : r_(records) {}
  bool next(Line& line) {
    if (i_ >= r_.size()) return false;
    const std::string& rec = r_[i_++];
    const std::size_t n = charPrefix(rec, kLineRecordWidth);
    Candidates cand(rec.data(), n, n);
    searchRecord(rec.data(), cand, 0, n, false, line.at);
    line.set(std::string_view(rec.data(), n));
    return true;
  }

 private:
  const std::vector<std::string>& r_;
  std::size_t i_ = 0;
};

template <class Cursor>
class Scanner {
 public:
  explicit Scanner(Cursor& cursor) : cur_(cursor) {}

  ScannedPage run() {
    double counter = 1;  // the first line of the file is line 2
    while (cur_.next(line_)) {
      ++r_.progressSteps;
      counter += 1;
      ++r_.scannedLines;
      const long lineNo = static_cast<long>(counter);

      if (line_.at.title != npos) {
        const std::size_t from = line_.at.title + kTitle.size();
        const std::size_t end = line_.at.titleEnd;
        r_.title = fit(cut(line_.text, from, end == npos ? npos : end - from), kTitleWidth);
        r_.hasTitle = true;
      }

      if (line_.at.image != npos) {
        PageImage im;
        im.src = fit(quoted(line_, line_.at.image, kImage.size(), line_.clip), kSourceWidth);
        const std::size_t h = findMarker(line_.clip, kHeight, 0);
        if (h != npos) im.height = fit(quoted(line_, h, kHeight.size(), line_.clip), kSizeWidth);
        const std::size_t w = findMarker(line_.clip, kWidth, 0);
        if (w != npos) im.width = fit(quoted(line_, w, kWidth.size(), line_.clip), kSizeWidth);
        im.line = lineNo;
        r_.images.push_back(im);
        r_.marks[kMarkImages] = true;
        ++r_.progressSteps;
      }

      if (line_.at.link != npos) {
        r_.links.push_back(
            {fit(quoted(line_, line_.at.link, kLink.size(), line_.clip), kSourceWidth), lineNo});
        r_.marks[kMarkLinks] = true;
        ++r_.progressSteps;
      }

      if (line_.at.meta != npos) {
        const std::string_view name =
            fit(quoted(line_, line_.at.meta, kMeta.size(), line_.text), kMetaNameWork);
        std::string_view content = metaContent(line_);
        // The content may follow on later lines; those lines are consumed.
        while (content.empty() && !name.empty()) {
          if (!cur_.next(line_)) break;
          content = metaContent(line_);
        }
        r_.metas.push_back({fit(name, kMetaNameWidth), content});
        r_.marks[kMarkMetas] = true;
        ++r_.progressSteps;
      }

      if (line_.at.script != npos) {
        const PageBlock b = capture(&Primaries::scriptEnd);
        if (b.count) {
          r_.scripts.push_back(b);
          r_.marks[kMarkScripts] = true;
          ++r_.progressSteps;
        }
      }

      if (line_.at.form != npos) {
        PageBlock b = capture(&Primaries::formEnd);
        if (b.count) {
          b.line = lineNo;
          r_.forms.push_back(b);
          r_.marks[kMarkForms] = true;
          ++r_.progressSteps;
        }
      }

      ++r_.progressSteps;  // end of line
    }
    return std::move(r_);
  }

 private:
  void keep(std::string_view text) {
    r_.blockLines.push_back(fit(trimLeft(trimRight(text)), kBlockLineWidth));
  }

  // Takes a block from the current line into the slots, leaving the last
  // line read as the current line. A block whose first slot is blank is
  // dropped (count 0).
  PageBlock capture(std::size_t Primaries::*endMarker) {
    PageBlock b;
    b.first = r_.blockLines.size();
    const bool firstBlank = blank(line_.text);
    keep(line_.text);
    std::size_t taken = 1;
    if (line_.at.*endMarker == npos) {
      while (cur_.next(line_)) {
        ++r_.progressSteps;
        if (line_.clip.empty()) continue;
        const bool end = line_.at.*endMarker != npos;
        if (taken == kBlockSlots - 1) {
          // The 40th line is kept only when it closes the block.
          if (end) {
            keep(line_.text);
            ++taken;
          }
          break;
        }
        keep(line_.text);
        ++taken;
        if (end) break;
      }
    }
    if (firstBlank) {
      r_.blockLines.resize(b.first);
      return b;
    }
    b.count = taken;
    return b;
  }

  Cursor& cur_;
  Line line_;
  ScannedPage r_;
};

// Copies through the library's memcpy: the compiler's inline expansion of
// short variable-length copies is slow on common processors.
std::string str(std::string_view v) {
  std::string out(v.size(), '\0');
  if (!v.empty()) std::memcpy(out.data(), v.data(), v.size());
  return out;
}

std::vector<std::string> owned(std::span<const std::string_view> lines) {
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (std::string_view l : lines) out.push_back(str(l));
  return out;
}

}  // namespace

std::vector<std::string> splitLineRecords(std::string_view bytes) {
  std::vector<std::string> out;
  const PageText page = decodePage(bytes);
  ByteCursor cur(page.text, page.text.size());
  Line line;
  while (cur.next(line)) out.push_back(str(line.raw));
  return out;
}

ScanResult toResult(const ScannedPage& page) {
  ScanResult r;
  r.hasTitle = page.hasTitle;
  r.title = str(page.title);
  r.images.reserve(page.images.size());
  for (const PageImage& im : page.images)
    r.images.push_back({str(im.src), str(im.height), str(im.width), im.line});
  r.links.reserve(page.links.size());
  for (const PageLink& l : page.links) r.links.push_back({str(l.link), l.line});
  r.metas.reserve(page.metas.size());
  for (const PageMeta& m : page.metas) r.metas.push_back({str(m.name), str(m.content)});
  r.scripts.reserve(page.scripts.size());
  for (const PageBlock& b : page.scripts) r.scripts.push_back({owned(page.lines(b))});
  r.forms.reserve(page.forms.size());
  for (const PageBlock& b : page.forms) r.forms.push_back({b.line, owned(page.lines(b))});
  r.marks = page.marks;
  r.scannedLines = page.scannedLines;
  r.progressSteps = page.progressSteps;
  return r;
}

ScanResult scanLines(const std::vector<std::string>& records) {
  VectorCursor cur(records);
  return toResult(Scanner<VectorCursor>(cur).run());
}

ScannedPage scanPageBytes(std::string_view bytes) {
  PageText page = decodePage(bytes, kPad);
  ByteCursor cur(page.text, page.owned ? page.text.size() + kPad : page.text.size());
  ScannedPage scanned = Scanner<ByteCursor>(cur).run();
  scanned.bytes = std::move(page.owned);
  return scanned;
}

ScanResult scanBytes(std::string_view bytes) { return toResult(scanPageBytes(bytes)); }

ScannedPage scanPageFile(const std::string& path, std::string* error) {
  if (error) error->clear();
  auto fail = [&](int err) {
    if (error) *error = path + ": " + std::strerror(err);
    return ScannedPage{};
  };
  // Not blocking: a pipe put in the file's place must not hold the read up.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return fail(errno);
  struct stat st {};
  const bool statted = ::fstat(fd, &st) == 0;
  if (!statted || !S_ISREG(st.st_mode)) {
    const int err = errno;
    ::close(fd);
    if (statted && error) *error = path + ": not a regular file";
    return statted ? ScannedPage{} : fail(err);
  }
  // Room for one byte more than the size shows the end in one read; the
  // padding behind the room is never read into.
  std::size_t cap = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 65536;
  std::size_t size = 0;
  auto buf = std::make_unique_for_overwrite<char[]>(cap + kPad);
  for (;;) {
    if (size == cap) {  // the file grew, or it reports no size: make room
      const std::size_t bigger = 2 * cap;
      auto grown = std::make_unique_for_overwrite<char[]>(bigger + kPad);
      std::memcpy(grown.get(), buf.get(), size);
      buf = std::move(grown);
      cap = bigger;
    }
    const ssize_t got = ::read(fd, buf.get() + size, cap - size);
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
  std::memset(buf.get() + size, 0, kPad);
  // Valid UTF-8 is scanned where it was read; anything else as its decoded copy.
  PageText text = decodePage(std::string_view(buf.get(), size), kPad);
  const std::size_t readable =
      text.owned ? text.text.size() + kPad
                 : size + kPad - static_cast<std::size_t>(text.text.data() - buf.get());
  ByteCursor cur(text.text, readable);
  ScannedPage page = Scanner<ByteCursor>(cur).run();
  page.bytes = text.owned ? std::move(text.owned) : std::move(buf);
  return page;
}

ScanResult scanFile(const std::string& path, std::string* error) {
  return toResult(scanPageFile(path, error));
}

std::string scanImagePath(std::string_view localDirectory, std::string_view src) {
  if (!src.empty() && (src.front() == '/' || src.front() == '\\')) src.remove_prefix(1);
  // Joined by the host's separator, so the path names the file here.
  return str(fit(joinPath(trimRight(localDirectory), src), kImagePathWidth));
}

std::int16_t clampLine(double line) {
  if (std::isnan(line)) return 0;
  const double t = std::trunc(line);
  if (t >= 32767.0) return 32767;
  if (t <= -32768.0) return -32768;
  return static_cast<std::int16_t>(t);
}

}  // namespace qm
