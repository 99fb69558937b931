// Line files: one line per record, cut at the field's width.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "runtime/store/store.h"
#include "runtime/values/text.h"

namespace qm {

struct LineFile::Impl {
  explicit Impl(const FileDef& d) : def(d) {}
  const FileDef& def;
  int fd = -1;
  std::string path;
  OpenMode mode = OpenMode::ReadWriteDenyNone;
  bool deny = false;
  int64_t readAt = 0;     // next byte to read
  int64_t recordAt = -1;  // start of the record last read or written
  std::string chunk;      // bytes from chunkAt on
  int64_t chunkAt = 0;
  int err = 0;
  std::string detail;

  int width() const { return def.fields.empty() ? 255 : def.fields[0].size; }
  bool writable() const {
    return mode == OpenMode::ReadWriteDenyNone || mode == OpenMode::ReadWriteDenyWrite;
  }

  int fail(int code, std::string why) {
    err = code;
    detail = std::move(why);
    return code;
  }
  int ok() {
    err = 0;
    detail.clear();
    return 0;
  }

  // Byte at `at`, or -1 at the end; -2 on a read error.
  int byteAt(int64_t at) {
    if (at < chunkAt || at >= chunkAt + static_cast<int64_t>(chunk.size())) {
      chunk.resize(65536);
      ssize_t n;
      do n = ::pread(fd, chunk.data(), chunk.size(), at);
      while (n < 0 && errno == EINTR);
      if (n < 0) {
        chunk.clear();
        return -2;
      }
      chunk.resize(static_cast<std::size_t>(n));
      chunkAt = at;
      if (n == 0) return -1;
    }
    return static_cast<unsigned char>(chunk[static_cast<std::size_t>(at - chunkAt)]);
  }
};

LineFile::LineFile(const FileDef& def) : impl_(std::make_unique<Impl>(def)) {}
LineFile::~LineFile() { close(); }

int LineFile::open(const std::string& path, OpenMode mode, bool create, int lockRecoverySeconds) {
  Impl& m = *impl_;
  close();
  m.path = path;
  m.mode = mode;
  bool rw = m.writable();
  int flags = (rw ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  struct stat st;
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (!exists && !create) return m.fail(ErrFileNotFound, "file not found: " + path);
  if (exists && S_ISDIR(st.st_mode)) return m.fail(ErrAccessDenied, path + " is a directory");
  if (!exists) flags |= O_CREAT;
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) {
    int e = errno;
    if (e == ENOENT) return m.fail(ErrFileNotFound, "file not found: " + path);
    if (e == EACCES || e == EPERM || e == EROFS)
      return m.fail(ErrAccessDenied, "cannot open " + path + ": " + std::strerror(e));
    return m.fail(ErrFileSystem, "cannot open " + path + ": " + std::strerror(e));
  }
  m.deny = mode == OpenMode::ReadWriteDenyWrite || mode == OpenMode::ReadOnlyDenyWrite;
  if (m.deny) {
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(std::max(0, lockRecoverySeconds));
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        ::close(fd);
        return m.fail(ErrAccessDenied, path + " is in use by another user");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  m.fd = fd;
  m.readAt = 0;
  m.recordAt = -1;
  m.chunk.clear();
  return m.ok();
}

int LineFile::close() {
  Impl& m = *impl_;
  if (m.fd >= 0) {
    ::close(m.fd);  // releases the lock too
    m.fd = -1;
  }
  m.chunk.clear();
  return m.ok();
}

bool LineFile::isOpen() const { return impl_->fd >= 0; }

int LineFile::next(RecordBuffer& buffer) {
  Impl& m = *impl_;
  if (m.fd < 0) return m.fail(ErrNotOpen, "file not open");
  const bool lfOnly = m.def.endAtLineFeed;
  const int width = m.width();
  std::string text;
  int chars = 0;
  int64_t at = m.readAt;
  int c = m.byteAt(at);
  if (c == -2) return m.fail(ErrFileSystem, "cannot read " + m.path);
  if (c == -1) return m.fail(ErrNotAvailable, "end of file");
  m.recordAt = at;
  while (true) {
    c = m.byteAt(at);
    if (c == -2) return m.fail(ErrFileSystem, "cannot read " + m.path);
    if (c == -1) break;
    if (c == '\n') {
      ++at;
      break;
    }
    if (!lfOnly && c == '\r' && m.byteAt(at + 1) == '\n') {
      at += 2;
      break;
    }
    // A record holds `width` characters, never part of one; the rest comes
    // as the next record.
    const bool starts = (c & 0xC0) != 0x80;
    if (starts && chars == width) break;
    chars += starts;
    text.push_back(static_cast<char>(c));
    ++at;
  }
  m.readAt = at;
  buffer.clear();
  buffer.setText(0, text);
  return m.ok();
}

int LineFile::append(const RecordBuffer& buffer) {
  Impl& m = *impl_;
  if (m.fd < 0) return m.fail(ErrNotOpen, "file not open");
  if (!m.writable()) return m.fail(ErrAccessDenied, m.path + " is open read-only");
  if (!m.deny && ::flock(m.fd, LOCK_SH | LOCK_NB) != 0)
    return m.fail(ErrAccessDenied, "another user denies writing to " + m.path);
  std::string line = buffer.text(0);
  line += m.def.endAtLineFeed ? "\n" : "\r\n";
  off_t end = ::lseek(m.fd, 0, SEEK_END);
  const char* p = line.data();
  std::size_t left = line.size();
  int rc = 0;
  off_t at = end;
  while (left > 0 && end >= 0) {
    ssize_t n = ::pwrite(m.fd, p, left, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      rc = m.fail(ErrFileSystem, "cannot write " + m.path + ": " + std::strerror(errno));
      break;
    }
    p += n;
    at += n;
    left -= static_cast<std::size_t>(n);
  }
  if (end < 0) rc = m.fail(ErrFileSystem, "cannot write " + m.path);
  if (!m.deny) ::flock(m.fd, LOCK_UN);
  m.chunk.clear();
  if (rc) return rc;
  m.recordAt = end;
  return m.ok();
}

int LineFile::rewind() {
  Impl& m = *impl_;
  if (m.fd < 0) return m.fail(ErrNotOpen, "file not open");
  m.readAt = 0;
  m.recordAt = -1;
  return m.ok();
}

int LineFile::seekTo(int64_t position) {
  Impl& m = *impl_;
  if (m.fd < 0) return m.fail(ErrNotOpen, "file not open");
  if (position <= 0) return m.fail(ErrNotFound, "no such record");
  m.readAt = position - 1;
  return m.ok();
}

int64_t LineFile::position() const { return impl_->recordAt + 1; }

int64_t LineFile::count() {
  Impl& m = *impl_;
  if (m.fd < 0) {
    m.fail(ErrNotOpen, "file not open");
    return 0;
  }
  int64_t saveRead = m.readAt, saveRecord = m.recordAt;
  RecordBuffer b(m.def);
  int64_t n = 0;
  m.readAt = 0;
  while (next(b) == 0) ++n;
  m.readAt = saveRead;
  m.recordAt = saveRecord;
  m.ok();
  return n;
}

int LineFile::errorCode() const { return impl_->err; }
std::string LineFile::errorDetail() const { return impl_->detail; }

}  // namespace qm
