#pragma once
// The record store: indexed record files on SQLite (one database file per
// record file) and line files, behind one RecordFile interface.
//
// A RecordFile belongs to one logical thread: it holds its own connection,
// open state, record buffer and position. The disk file is shared.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/values/decimal.h"

struct sqlite3;

namespace qm {

class Transaction;

// ---- layout -------------------------------------------------------------

enum class FieldType { Text, Date, Decimal42, Real, Int2, Int4, UInt1 };

struct FieldDef {
  std::string label;  // "DOM:DOMAINNAME"
  FieldType type;
  int offset;
  int size;
};

struct KeyDef {
  std::string label;            // "DOM:NAME"
  std::vector<int> components;  // field indexes, in key order
  bool unique;
  std::string description;  // shown in "Duplicate Key Error"
  int autoNumber;           // 0 none, n numbers component n
};

struct MemoDef {
  std::string label;     // "DOM:NOTES"
  std::string exprName;  // "DOM:Notes"
  int size;              // characters
};

enum class FileKind { Indexed, Line };

struct FileDef {
  std::string label;     // table name: "Domains"
  std::string prefix;    // "DOM:"
  std::string diskName;  // "DOMAINS" (".qdf" added when it has no extension)
  FileKind kind = FileKind::Indexed;
  int recordSize = 0;
  std::vector<FieldDef> fields;
  std::vector<KeyDef> keys;
  std::vector<MemoDef> memos;
  std::string ownerPassword;
  // Fields indexed for queries only (no key, no order): what a selection
  // at start-up asks for by a field that leads no key.
  std::vector<std::string> queryIndexes;
  bool createWhenMissing = true;
  bool endAtLineFeed = false;  // line files: a record ends at LF, CR kept

  int fieldIndex(std::string_view label) const;  // -1 when unknown (any case)
  int keyIndex(std::string_view label) const;    // -1 when unknown (any case)
  int memoIndex(std::string_view label) const;   // -1 when unknown (any case)
};

// Column name of a field or memo: the label without its prefix.
std::string columnName(std::string_view label);
// The disk file of an indexed file: diskName, with ".qdf" when it has no extension.
std::string diskFileName(const FileDef& def);

// ---- error codes --------------------------------------------------------

constexpr int ErrNone = 0;
constexpr int ErrFileNotFound = 2;
constexpr int ErrAccessDenied = 5;
constexpr int ErrLocked = 32;
constexpr int ErrNotAvailable = 33;  // read past the end, or nothing to act on
constexpr int ErrNotFound = 35;
constexpr int ErrNotOpen = 37;
constexpr int ErrDuplicateKey = 40;
constexpr int ErrBadFile = 46;  // damaged, or not a record file of this layout
constexpr int ErrBadPassword = 47;
constexpr int ErrChanged = 78;       // the record is no longer as it was read
constexpr int ErrNotSupported = 80;  // the operation does not apply to this file kind
constexpr int ErrFileSystem = 90;    // other I/O failure
constexpr int ErrDiskFull = 91;
constexpr int ErrReadOnly = 92;     // the file may be read, not written
constexpr int ErrIsDirectory = 93;  // a directory stands where the file should be

std::string errorTextFor(int code);

// ---- record buffer -------------------------------------------------------

// The packed record (exactly recordSize bytes) plus its memos.
class RecordBuffer {
 public:
  RecordBuffer() = default;
  explicit RecordBuffer(const FileDef& def);

  const FileDef& def() const { return *def_; }
  bool valid() const { return def_ != nullptr; }

  std::string text(int field) const;           // without trailing blanks
  std::string_view textView(int field) const;  // the same, valid until the next change
  // Keeps the field's width in characters, never more; text that is not
  // valid UTF-8 is read as Windows-1252, so the buffer holds UTF-8 only.
  void setText(int field, std::string_view value);
  int32_t date(int field) const;  // day number, 0 = none
  void setDate(int field, int32_t day);
  Decimal42 decimal(int field) const;
  void setDecimal(int field, Decimal42 value);
  double real(int field) const;
  void setReal(int field, double value);
  int64_t integer(int field) const;           // Int2, Int4, UInt1
  void setInteger(int field, int64_t value);  // cut to the field's range
  std::string memo(int memoIndex) const;
  void setMemo(int memoIndex, std::string_view value);  // cut to the memo's size
  // Kept whole: a memo as stored, or given back untouched, never shrinks.
  void keepMemo(int memoIndex, std::string_view value);

  // Any type as text ("12.50", day number as text, numbers plainly).
  std::string valueText(int field) const;
  // Numeric value of any field (text that does not read as a number is 0).
  double number(int field) const;
  // True when the field is blank (text) or zero (number, date).
  bool isBlankOrZero(int field) const;

  // Label overloads; an unknown label is a programming error (throws).
  std::string text(std::string_view label) const;
  void setText(std::string_view label, std::string_view value);
  int32_t date(std::string_view label) const;
  void setDate(std::string_view label, int32_t day);
  Decimal42 decimal(std::string_view label) const;
  void setDecimal(std::string_view label, Decimal42 value);
  double real(std::string_view label) const;
  void setReal(std::string_view label, double value);
  int64_t integer(std::string_view label) const;
  void setInteger(std::string_view label, int64_t value);
  std::string memo(std::string_view label) const;
  void setMemo(std::string_view label, std::string_view value);
  std::string valueText(std::string_view label) const;

  void clear();  // text blank, numbers zero, memos empty
  bool operator==(const RecordBuffer& other) const;
  // Every field's value of other (of the same layout); memos stay.
  void copyFields(const RecordBuffer& other);

  const unsigned char* data() const { return bytes_.data(); }
  unsigned char* data() { return bytes_.data(); }
  int size() const { return static_cast<int>(bytes_.size()); }

 private:
  int field(std::string_view label) const;
  int memoAt(std::string_view label) const;

  const FileDef* def_ = nullptr;
  std::vector<unsigned char> bytes_;
  std::vector<std::string> memos_;
  // A text field's packed bytes hold as many bytes as it has characters of
  // width; a value whose characters fit but whose UTF-8 does not is kept
  // whole here (its packed bytes then hold a prefix cut between characters).
  // Empty while no field needs it.
  std::vector<std::string> wide_;
};

// ---- record file --------------------------------------------------------

enum class OpenMode { ReadWriteDenyNone, ReadWriteDenyWrite, ReadOnlyDenyNone, ReadOnlyDenyWrite };

// Optional limits for readPage.
struct KeyRange {
  int components = 0;  // leading key components fixed to the `from`/buffer values
};

// A condition the engine tests itself, its indexes serving it: a field
// compared with a value (text fields: any case, trailing blanks ignored).
struct FieldCondition {
  enum class Op { Eq, Lt, Le, Gt, Ge };
  int field = -1;
  Op op = Op::Eq;
  std::string text;   // for text fields
  double number = 0;  // for the others
};
using Conditions = std::vector<FieldCondition>;

class RecordFile {
 public:
  explicit RecordFile(const FileDef& def);
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  const FileDef& def() const { return def_; }

  // The path opened: defaults to diskFileName(def) in the current directory
  // (found in any letter case); line files take theirs before each open.
  void setPath(std::string path);
  std::string path() const;

  // Opens; a missing file is created when `create` is set (the caller
  // decides, normally from createWhenMissing). The lock recovery is the busy
  // wait in seconds. A file holding an owner password opens only with it.
  int open(OpenMode mode, bool create, int lockRecoverySeconds, std::string_view password = {});
  int close();
  bool isOpen() const;

  RecordBuffer& buffer();
  const RecordBuffer& buffer() const;
  int64_t position() const;  // record last read or added; 0 none

  // Reads the first record whose key equals the buffer's key values.
  int fetch(int key);
  int fetchPosition(int64_t position);
  int add();  // adds the buffer; position() becomes the new record
  // Adds each record in turn, as add() would but in few statements;
  // position() becomes the last. On a failure none of them is added.
  // The buffer does not change.
  int addAll(std::span<const RecordBuffer> records);
  int put();  // rewrites the record at position()
  // Rewrites the record at position() only while the stored record still
  // equals `expected` (the copy read earlier), compared in the write's own
  // transaction: ErrChanged when it differs, ErrNotFound when it is gone;
  // either way nothing is written and the buffer is left as it was.
  int putIfUnchanged(const RecordBuffer& expected);
  int erase();  // deletes the record at position()
  // The record at position() was deleted elsewhere (a Transaction): none
  // is current any more; reading goes on from where it was.
  void forgetPosition();
  // Deletes every record whose key equals `values`' key values.
  int deleteByKey(int key, const RecordBuffer& values, int64_t* deleted = nullptr);
  // Deletes every record whose `field`, the first component of `key`, is
  // exactly `value`: letter case kept, trailing blanks ignored. A blank
  // value is in no key, so the whole file is searched for it.
  int deleteExact(int key, int field, std::string_view value, int64_t* deleted = nullptr);
  // What replaceExact did, and at which step it failed.
  struct Replaced {
    enum class Step { None, Read, Change, Add, Delete } failedAt = Step::None;
    int64_t before = 0;   // records the value had
    int64_t written = 0;  // records changed, added or deleted
  };
  // Makes the records whose `field` is exactly `value` (as deleteExact
  // finds them) be `records`, in their order: afterwards the file reads as
  // after deleteExact and adding each of them. A stored record that already
  // holds what its place asks for is not written, one that differs is
  // rewritten in place (touching no index when its indexed values stay), the
  // rest are added or deleted. Neither the buffer nor position() changes.
  int replaceExact(int key, int field, std::string_view value,
                   std::span<const RecordBuffer> records, Replaced* outcome = nullptr);

  // Sequential reading. seekFirst/seekLast/seekAtOrAfter/seekBefore only
  // position; next()/previous() read into the buffer (33 past the end).
  //   seekAtOrAfter: next() reads the first record whose key >= the buffer's
  //                  key values, previous() the last one below them.
  //   seekBefore:    previous() reads the last record whose key <= the
  //                  buffer's key values, next() the first one above them.
  // After a read, next()/previous() continue from that record.
  void setOrder(int key);  // -1 = record order
  int order() const;
  int seekFirst();
  int seekLast();
  int seekAtOrAfter();
  int seekBefore();
  int next();
  int previous();

  // A browse page: up to `count` records strictly after (forward) or before
  // the key values of `from` and position `fromPos` (from == nullptr: from
  // the start or the end), in key order (key -1: record order). With a range,
  // the leading components stay equal to `rangeValues` (the buffer when null).
  // `accept` filters records; `where` are conditions the engine applies
  // before them. Does not move the file's own position.
  int readPage(int key, const RecordBuffer* from, int64_t fromPos, bool forward, int count,
               std::vector<std::pair<int64_t, RecordBuffer>>& out, KeyRange range = {},
               const RecordBuffer* rangeValues = nullptr,
               const std::function<bool(const RecordBuffer&)>& accept = {},
               const Conditions& where = {});
  // First record whose first key component begins with `prefix` (any case)
  // into the buffer: 0. When none begins with it, the buffer gets the first
  // record after it and 35 is returned; 33 when nothing lies after it.
  // The key becomes the order and reading goes on from the record found.
  int locatePrefix(int key, std::string_view prefix);

  int64_t count();
  // How many records meet every condition, counting no further than
  // `limit` (0: all). Answered by the engine and its indexes, not by
  // reading record by record; -1 on an error.
  int64_t countWhere(const Conditions& where, int64_t limit = 0);
  // Rebuilds the keys and checks the file; a damaged file returns ErrBadFile.
  int rebuildKeys();

  // Single-file batch: many adds/changes in one commit. Inside a
  // Transaction the file has enlisted in, these do nothing: it commits.
  int beginBatch();
  int commitBatch();
  int rollbackBatch();

  // Until lifted (code 0), every write fails with `code` and `why`: the
  // file may not be written outside the transaction it was meant for.
  void refuseWrites(int code, std::string why = {});

  // Last operation's outcome.
  int errorCode() const;
  std::string errorText() const;    // the code's text, for "%ErrorText"
  std::string errorDetail() const;  // the engine's own words, for logs and tests
  // After ErrDuplicateKey: the key that clashed, -1 when unknown.
  int duplicateKey() const;

  void setQuickScan(bool on);  // a hint for long sequential reads

  // The transaction the file's operations run in (Transaction::enlist), or null.
  const Transaction* transaction() const;

  struct Impl;

 private:
  friend class Transaction;
  int join(sqlite3* db, Transaction* tx);
  void leave();

  const FileDef& def_;
  std::unique_ptr<Impl> impl_;
};

// ---- line files ---------------------------------------------------------

// A text file read and written one line per record (the record is the one
// text field of the def). Lines longer than the field come as several records.
class LineFile {
 public:
  explicit LineFile(const FileDef& def);
  ~LineFile();
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;

  int open(const std::string& path, OpenMode mode, bool create, int lockRecoverySeconds);
  int close();
  bool isOpen() const;
  // Reads the next record into `buffer` (33 at the end).
  int next(RecordBuffer& buffer);
  // Appends the buffer's text (trailing blanks cut) as a line.
  int append(const RecordBuffer& buffer);
  int rewind();
  int seekTo(int64_t position);  // a position() given out before
  int64_t position() const;      // of the record last read or written (byte offset + 1)
  int64_t count();
  int errorCode() const;
  std::string errorDetail() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// ---- multi-file transactions -------------------------------------------

// Changes over several record files in one atomic commit (one connection,
// the other files attached, rollback journal). Files that do not exist yet
// hold no records: operations on them do nothing.
class Transaction {
 public:
  Transaction();
  ~Transaction();  // rolls back when not committed
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // The files' paths and layouts are taken from the RecordFiles (open or not).
  int begin(const std::vector<const RecordFile*>& files, int lockRecoverySeconds = 10);
  // Values of `outField` in records of `file` whose `matchField` equals one of
  // `values` (key semantics: any case, blanks ignored; blank values match nothing).
  int collect(const RecordFile& file, int matchField, const std::vector<std::string>& values,
              int outField, std::vector<std::string>& out);
  int deleteMatching(const RecordFile& file, int matchField, const std::vector<std::string>& values,
                     int64_t* deleted = nullptr);
  int deleteAt(const RecordFile& file, int64_t position);

  // Runs an open indexed file's own operations (reads, add, put, erase,
  // deletes) inside this transaction until it ends: they see its changes
  // and commit or roll back with it, with no lock probe of their own.
  // The file must be one of those begun with.
  int enlist(RecordFile& file);
  int commit();
  // Commits and begins again on the same connection, the files staying
  // enlisted: others may write between the two, and what was read stays
  // cached. A failed begin ends the transaction; `committed` tells whether
  // the commit itself went through. At most once a second it leaves the
  // files free for a while first, so that a writer that does not announce
  // itself (a plain SQLite client, whose busy handler retries every 100 ms
  // at the slowest) gets in too.
  int commitAndContinue(bool* committed = nullptr);
  // Commits and leaves the files free, the connection and what it read
  // staying for resume(), which begins again. Between the two the files
  // are enlisted still, their operations each its own commit.
  int commitAndPause();
  int resume();
  bool paused() const;
  void rollback();
  bool active() const;

  // Whether a writer of another thread or program waits for one of the
  // files; commitAndContinue() then lets it in before beginning again.
  bool othersWaiting() const;
  // Memory the files' pages take, read and changed, in bytes.
  int64_t cacheBytes() const;

  // A part of the work that can be taken back alone: markPart() opens it,
  // keepPart() makes it one with the rest, dropPart() undoes only it. One
  // part at a time; a commit ends it.
  int markPart();
  int keepPart();
  int dropPart();

  int errorCode() const;
  std::string errorText() const;
  std::string errorDetail() const;

  // Test seam: called after every statement a transaction runs.
  static void setStepHook(std::function<void()> hook);
  // Benchmark seam: how long commitAndContinue() leaves the files free once
  // a second (100 ms unless changed; 0: never).
  static void setFreeGapMs(int ms);

 private:
  friend class RecordFile;
  void forget(RecordFile* file);  // the file closes

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// ---- test seams ----------------------------------------------------------

namespace store {
// Connections opened from now on hold at most `pages` pages per file (0: no
// cap), so a write past it fails as on a full disk.
void setPageLimitForTests(int pages);
// The disk has room for `pages` more pages (-1: no limit), taken by the
// commits of multi-file transactions: a commit whose files grew by more
// fails as a full disk does, after every write in it went through.
void setDiskRoomForTests(long pages);
// The next `commits` commits of multi-file transactions fail as on a full
// disk, after every write in them went through.
void failCommitsForTests(int commits);
// Connections opened from now on reach the file at `path` read-only, as when
// its owner may not write it (even for root).
void setUnwritableForTests(const std::string& path, bool unwritable = true);
void clearFaultsForTests();
}  // namespace store

}  // namespace qm
