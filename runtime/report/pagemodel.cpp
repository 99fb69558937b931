#include "runtime/report/pagemodel.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace qm {

// Packed pages in chunks of about a megabyte; once more than MemoryBytes are
// held, each chunk that fills goes to a temporary file that nothing names (it
// disappears with the program, however it ends). A chunk the file refuses
// stays in memory: pages are never lost for want of disk.
class PageStore {
 public:
  static constexpr std::size_t ChunkBytes = 1u << 20;
  static constexpr std::size_t MemoryBytes = 8u << 20;

  PageStore() = default;
  PageStore(const PageStore&) = delete;
  PageStore& operator=(const PageStore&) = delete;
  ~PageStore() {
    if (fd_ >= 0) ::close(fd_);
  }

  void add(const std::string& bytes, uint32_t& chunk, uint32_t& offset) {
    if (chunks_.empty() || (!chunks_.back().bytes.empty() &&
                            chunks_.back().bytes.size() + bytes.size() > ChunkBytes)) {
      if (!chunks_.empty()) seal(chunks_.back());
      chunks_.emplace_back();
      chunks_.back().bytes.reserve(ChunkBytes);
    }
    Chunk& c = chunks_.back();
    chunk = static_cast<uint32_t>(chunks_.size() - 1);
    offset = static_cast<uint32_t>(c.bytes.size());
    c.bytes += bytes;
    inMemory_ += bytes.size();
  }

  // False when the temporary file could not be read back.
  bool read(uint32_t chunk, uint32_t offset, uint32_t length, std::string& out) const {
    const Chunk& c = chunks_.at(chunk);
    if (c.fileOffset < 0) {
      out.assign(c.bytes, offset, length);
      return true;
    }
    out.resize(length);
    std::size_t done = 0;
    while (done < length) {
      const ssize_t n = ::pread(fd_, out.data() + done, length - done,
                                static_cast<off_t>(c.fileOffset + offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  std::size_t memoryBytes() const { return inMemory_; }
  std::size_t fileBytes() const { return static_cast<std::size_t>(fileEnd_); }

 private:
  struct Chunk {
    std::string bytes;
    int64_t fileOffset = -1;  // -1: held in memory
  };

  void seal(Chunk& c) {
    if (inMemory_ <= MemoryBytes || fileFailed_ || !openFile()) return;
    std::size_t done = 0;
    while (done < c.bytes.size()) {
      const ssize_t n = ::pwrite(fd_, c.bytes.data() + done, c.bytes.size() - done,
                                 static_cast<off_t>(fileEnd_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        fileFailed_ = true;  // disk full or gone: keep this and later chunks in memory
        return;
      }
      done += static_cast<std::size_t>(n);
    }
    c.fileOffset = fileEnd_;
    fileEnd_ += static_cast<int64_t>(c.bytes.size());
    inMemory_ -= c.bytes.size();
    std::string().swap(c.bytes);
  }

  bool openFile() {
    if (fd_ >= 0) return true;
    const QByteArray dir = QDir::tempPath().toLocal8Bit();
    fd_ = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      // File systems without unnamed files: a named one, removed at once.
      QByteArray name = dir + "/qm-pages-XXXXXX";
      fd_ = ::mkstemp(name.data());
      if (fd_ >= 0) ::unlink(name.constData());
    }
    if (fd_ < 0) fileFailed_ = true;
    return fd_ >= 0;
  }

  std::vector<Chunk> chunks_;
  std::size_t inMemory_ = 0;
  int fd_ = -1;
  int64_t fileEnd_ = 0;
  bool fileFailed_ = false;
};

namespace {

void putVarint(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<char>((v & 0x7f) | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<char>(v));
}

void putSigned(std::string& out, int64_t v) {
  putVarint(out, (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63));
}

struct Reader {
  const char* p;
  const char* end;
  bool ok = true;

  uint64_t varint() {
    uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (p >= end) {
        ok = false;
        return 0;
      }
      const auto b = static_cast<unsigned char>(*p++);
      v |= static_cast<uint64_t>(b & 0x7f) << shift;
      if (!(b & 0x80)) return v;
    }
    ok = false;
    return 0;
  }
  int64_t signedVarint() {
    const uint64_t u = varint();
    return static_cast<int64_t>(u >> 1) ^ -static_cast<int64_t>(u & 1);
  }
  int number() { return static_cast<int>(signedVarint()); }
};

// An item's first byte: its kind, alignment and tick, and whether its size
// and font are those of the item before it (most are).
constexpr unsigned AlignShift = 3;
constexpr unsigned CheckedBit = 1u << 5;
constexpr unsigned SameSizeBit = 1u << 6;
constexpr unsigned SameFontBit = 1u << 7;

void pack(const Page& page, std::string& out) {
  out.clear();
  putVarint(out, page.items.size());
  PageItem prev;
  for (const PageItem& it : page.items) {
    const bool sameSize = it.w == prev.w && it.h == prev.h;
    const bool sameFont = it.font == prev.font;
    unsigned head = static_cast<unsigned>(it.kind) | static_cast<unsigned>(it.align) << AlignShift;
    if (it.checked) head |= CheckedBit;
    if (sameSize) head |= SameSizeBit;
    if (sameFont) head |= SameFontBit;
    out.push_back(static_cast<char>(head));
    putSigned(out, int64_t{it.x} - prev.x);
    putSigned(out, int64_t{it.y} - prev.y);
    if (!sameSize) {
      putSigned(out, it.w);
      putSigned(out, it.h);
    }
    if (!sameFont) putSigned(out, it.font);
    if (it.kind == ItemKind::Image) putSigned(out, it.image);
    putVarint(out, it.text.size());
    out += it.text;
    prev.x = it.x, prev.y = it.y, prev.w = it.w, prev.h = it.h, prev.font = it.font;
  }
}

bool unpack(const std::string& bytes, Page& page) {
  Reader r{bytes.data(), bytes.data() + bytes.size()};
  const uint64_t n = r.varint();
  page.items.clear();
  if (!r.ok || n > bytes.size()) return false;
  page.items.reserve(n);
  PageItem prev;
  for (uint64_t i = 0; i < n && r.ok; ++i) {
    if (r.p >= r.end) return false;
    const auto head = static_cast<unsigned char>(*r.p++);
    PageItem it;
    it.kind = static_cast<ItemKind>(head & 7u);
    it.align = static_cast<Align>((head >> AlignShift) & 3u);
    it.checked = head & CheckedBit;
    it.x = prev.x + r.number();
    it.y = prev.y + r.number();
    if (head & SameSizeBit) {
      it.w = prev.w, it.h = prev.h;
    } else {
      it.w = r.number();
      it.h = r.number();
    }
    it.font = head & SameFontBit ? prev.font : r.number();
    if (it.kind == ItemKind::Image) it.image = r.number();
    const uint64_t len = r.varint();
    if (!r.ok || len > static_cast<uint64_t>(r.end - r.p)) return false;
    it.text.assign(r.p, static_cast<std::size_t>(len));
    r.p += len;
    prev = it;
    page.items.push_back(std::move(it));
  }
  return r.ok;
}

}  // namespace

PageList::PageList() : store_(std::make_shared<PageStore>()) {}
PageList::~PageList() = default;
PageList::PageList(const PageList& other)
    : store_(other.store_), index_(other.index_), failed_(other.failed_) {}
PageList& PageList::operator=(const PageList& other) {
  if (this != &other) {
    store_ = other.store_;
    index_ = other.index_;
    cache_.clear();
    failed_ = other.failed_;
  }
  return *this;
}
PageList::PageList(PageList&&) noexcept = default;
PageList& PageList::operator=(PageList&&) noexcept = default;

void PageList::push_back(const Page& page) {
  static thread_local std::string packed;
  pack(page, packed);
  Where w{0, 0, static_cast<uint32_t>(packed.size())};
  store_->add(packed, w.chunk, w.offset);
  index_.push_back(w);
}

void PageList::clear() {
  store_ = std::make_shared<PageStore>();
  index_.clear();
  cache_.clear();
  failed_ = false;
}

const Page& PageList::at(std::size_t i) const {
  if (i >= index_.size()) throw std::out_of_range("report page out of range");
  return (*this)[i];
}

const Page& PageList::operator[](std::size_t i) const {
  for (auto c = cache_.rbegin(); c != cache_.rend(); ++c)
    if (c->index == i) return *c->page;
  if (cache_.size() >= CachedPages) cache_.erase(cache_.begin());
  auto page = std::make_unique<Page>();
  const Where& w = index_.at(i);
  static thread_local std::string packed;
  if (!store_->read(w.chunk, w.offset, w.length, packed) || !unpack(packed, *page)) {
    page->items.clear();
    failed_ = true;
  }
  cache_.push_back({i, std::move(page)});
  return *cache_.back().page;
}

std::size_t PageList::memoryBytes() const { return store_->memoryBytes(); }
std::size_t PageList::fileBytes() const { return store_->fileBytes(); }

}  // namespace qm
