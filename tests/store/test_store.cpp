// The record store: layout, keys, reading orders, errors, sharing, line files.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "runtime/store/sqlfile.h"
#include "runtime/store/store.h"
#include "runtime/store/thread.h"
#include "runtime/values/date.h"
#include "runtime/values/text.h"
#include "testdir.h"

namespace fs = std::filesystem;
using namespace qm;

namespace {

FileDef peopleDef() {
  FileDef d;
  d.label = "People";
  d.prefix = "PEO:";
  d.diskName = "PEOPLE";
  d.recordSize = 53;
  int off = 0;
  auto add = [&](const char* l, FieldType t, int size) {
    d.fields.push_back({l, t, off, size});
    off += size;
  };
  add("PEO:NAME", FieldType::Text, 20);
  add("PEO:CITY", FieldType::Text, 10);
  add("PEO:BORN", FieldType::Date, 4);
  add("PEO:FEE", FieldType::Decimal42, 4);
  add("PEO:SCORE", FieldType::Real, 8);
  add("PEO:AGE", FieldType::Int2, 2);
  add("PEO:VISITS", FieldType::Int4, 4);
  add("PEO:KIND", FieldType::UInt1, 1);
  d.keys.push_back({"PEO:NAME", {0}, true, "PEO:name", 0});
  d.keys.push_back({"PEO:CITYNAME", {1, 0}, false, "PEO:CityName", 0});
  d.memos.push_back({"PEO:NOTES", "PEO:Notes", 30});
  return d;
}

const FileDef& people() {
  static const FileDef d = peopleDef();
  return d;
}

constexpr int kName = 0, kCity = 1;
constexpr int kByName = 0, kByCity = 1;

int addPerson(RecordFile& f, std::string_view name, std::string_view city = "") {
  f.buffer().clear();
  f.buffer().setText(kName, name);
  f.buffer().setText(kCity, city);
  return f.add();
}

std::vector<std::string> readAll(RecordFile& f, bool forward = true) {
  std::vector<std::string> out;
  forward ? f.seekFirst() : f.seekLast();
  while ((forward ? f.next() : f.previous()) == 0) out.push_back(f.buffer().text(kName));
  EXPECT_EQ(f.errorCode(), ErrNotAvailable);
  return out;
}

std::string sqlOne(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  std::string out;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW) {
    const auto* t = sqlite3_column_text(st, 0);
    out = t ? reinterpret_cast<const char*>(t) : "";
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(RecordBuffer, TypedFieldsRoundTripAndCut) {
  RecordBuffer b(people());
  b.setText("peo:name", "A name that is much longer than twenty");
  EXPECT_EQ(b.text(kName), "A name that is much");  // cut at 20, then clipped
  b.setText(kCity, "Oslo");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()) + 20, 10), "Oslo      ");
  b.setDate("PEO:BORN", dayNumber(2024, 2, 29));
  EXPECT_EQ(b.date("PEO:BORN"), dayNumber(2024, 2, 29));
  EXPECT_EQ(b.data()[30], 29);  // day byte first
  b.setDecimal("PEO:FEE", *Decimal42::parse("-12.34"));
  EXPECT_EQ(b.valueText("PEO:FEE"), "-12.34");
  b.setReal("PEO:SCORE", 2.5);
  EXPECT_EQ(b.real("PEO:SCORE"), 2.5);
  struct {
    const char* field;
    int64_t in, out;
  } ints[] = {
      {"PEO:AGE", -5, -5},    {"PEO:AGE", 40000, 32767}, {"PEO:VISITS", -70000, -70000},
      {"PEO:KIND", 300, 255}, {"PEO:KIND", -1, 0},
  };
  for (auto& c : ints) {
    b.setInteger(c.field, c.in);
    EXPECT_EQ(b.integer(c.field), c.out) << c.field << " " << c.in;
  }
  b.setInteger("PEO:AGE", 0x0102);
  EXPECT_EQ(b.data()[46], 0x02);  // little-endian
  b.setMemo("PEO:NOTES", std::string(50, 'x'));
  EXPECT_EQ(b.memo(0).size(), 30u);
  RecordBuffer copy = b;
  EXPECT_TRUE(copy == b);
  b.clear();
  EXPECT_FALSE(copy == b);
  EXPECT_EQ(b.text(kName), "");
  EXPECT_EQ(b.data()[0], ' ');
  EXPECT_EQ(b.integer("PEO:VISITS"), 0);
  EXPECT_EQ(b.memo(0), "");
  EXPECT_THROW(b.text("PEO:NOPE"), std::out_of_range);
}

// A text field's width counts characters, whatever their bytes; a cut
// falls between two of them, in the buffer and in the file; text that is not
// UTF-8 is read as Windows-1252 and so never reaches the file.
TEST(RecordBuffer, TextFieldsHoldTheirWidthInCharacters) {
  struct Case {
    int field;
    std::string in;
    std::string kept;
  };
  const std::string yo = "\xD1\x91", dash = "\xE2\x80\x93", smile = "\xF0\x9F\x98\x80";
  auto times = [](const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
  };
  const Case cases[] = {
      {kName, std::string(19, 'x') + yo, std::string(19, 'x') + yo},
      {kName, std::string(18, 'y') + yo + yo + "z", std::string(18, 'y') + yo + yo},
      {kName, times(yo, 21), times(yo, 20)},
      {kCity, times(dash, 11), times(dash, 10)},
      {kCity, std::string(9, 'x') + smile + smile, std::string(9, 'x') + smile},
      {kCity, times(smile, 10), times(smile, 10)},
      {kCity, "M\xFCnchen", "M\xC3\xBCnchen"},  // Latin-1 bytes
  };
  RecordFile f(people());
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  int n = 0;
  for (const Case& c : cases) {
    RecordBuffer& b = f.buffer();
    b.clear();
    b.setText(kName, "p" + std::to_string(n++));
    b.setText(c.field, c.in);
    EXPECT_EQ(b.text(c.field), c.kept) << c.in;
    ASSERT_EQ(f.add(), 0);
    ASSERT_EQ(f.fetch(kByName), 0);
    EXPECT_EQ(f.buffer().text(c.field), c.kept) << c.in;
    // The packed bytes stay UTF-8 for whoever reads them.
    const FieldDef& fd = people().fields[static_cast<std::size_t>(c.field)];
    const auto* raw = reinterpret_cast<const char*>(f.buffer().data()) + fd.offset;
    EXPECT_TRUE(validUtf8(std::string_view(raw, static_cast<std::size_t>(fd.size)))) << c.in;
  }
}

TEST(RecordFile, CreatesInspectableFileOnlyWhenAsked) {
  RecordFile f(people());
  EXPECT_EQ(f.open(OpenMode::ReadWriteDenyNone, false, 1), ErrFileNotFound);
  EXPECT_EQ(f.errorText(), "File Not Found");
  EXPECT_FALSE(fs::exists("PEOPLE.qdf"));
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0) << f.errorDetail();
  f.buffer().setText(kName, "Ann  ");
  f.buffer().setInteger("PEO:AGE", 41);
  f.buffer().setDecimal("PEO:FEE", *Decimal42::parse("9.99"));
  f.buffer().setMemo(0, "line1\r\nline2");
  ASSERT_EQ(f.add(), 0);
  EXPECT_GT(f.position(), 0);
  f.close();
  // Table after the label, columns after the fields without prefix.
  EXPECT_EQ(
      sqlOne("PEOPLE.qdf", "SELECT NAME || '|' || AGE || '|' || FEE || '|' || NOTES FROM People"),
      "Ann|41|9.99|line1\r\nline2");
  EXPECT_EQ(sqlOne("PEOPLE.qdf", "PRAGMA journal_mode"), "delete");
}

TEST(RecordFile, KeysAreCaseBlindUniqueAndLeaveOutBlanks) {
  RecordFile f(people());
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  ASSERT_EQ(addPerson(f, "beta", "Rome"), 0);
  ASSERT_EQ(addPerson(f, "Alpha", "Rome"), 0);
  EXPECT_EQ(addPerson(f, "ALPHA   ", "Oslo"), ErrDuplicateKey);
  EXPECT_EQ(f.duplicateKey(), kByName);
  EXPECT_EQ(f.errorText(), "Creates Duplicate Key");
  ASSERT_EQ(addPerson(f, "", "Oslo"), 0);  // blank names are not in the key,
  ASSERT_EQ(addPerson(f, "", "Oslo"), 0);  // so they never clash
  ASSERT_EQ(addPerson(f, "gamma", ""), 0);
  EXPECT_EQ(f.count(), 5);

  f.setOrder(kByName);
  EXPECT_EQ(readAll(f), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
  EXPECT_EQ(readAll(f, false), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
  f.setOrder(-1);
  EXPECT_EQ(readAll(f), (std::vector<std::string>{"beta", "Alpha", "", "", "gamma"}));

  f.buffer().clear();
  f.buffer().setText(kName, "BETA");
  ASSERT_EQ(f.fetch(kByName), 0);
  EXPECT_EQ(f.buffer().text(kCity), "Rome");
  f.buffer().setText(kName, "zeta");
  EXPECT_EQ(f.fetch(kByName), ErrNotFound);
  EXPECT_EQ(f.errorText(), "Record Not Found");
}

TEST(RecordFile, KeysKeepTheEnginesOwnCaseBlindOrder) {
  // The store compares keys itself, faster; a plain engine must find the
  // same order: equal, lesser or greater for every pair.
  sqlite3 *plain = nullptr, *tuned = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &plain), SQLITE_OK);
  ASSERT_EQ(sqlite3_open(":memory:", &tuned), SQLITE_OK);
  store_detail::tuneConnection(tuned);
  const auto order = [](sqlite3* db, const std::string& a, const std::string& b) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT (?1 > ?2 COLLATE NOCASE) - (?1 < ?2 COLLATE NOCASE)", -1, &st,
                       nullptr);
    sqlite3_bind_text(st, 1, a.data(), static_cast<int>(a.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    const int r = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : 9;
    sqlite3_finalize(st);
    return r;
  };
  using namespace std::string_literals;
  std::vector<std::pair<std::string, std::string>> pairs = {
      {"http://www.example.com/page10.htm", "HTTP://WWW.EXAMPLE.COM/PAGE9.HTM"},
      {"http://www.example.com/Page1.htm", "http://www.example.com/page1.htm"},
      {"abcdefgh", "abcdefghi"},
      {"abcdefgZ", "abcdefgz["},
      {"ab\0cd"s, "ab\0ce"s},  // the compare ends at a zero byte
      {"abcdefg\0x"s, "abcdefg"s},
      {"abcdefgh\0"s, "ABCDEFGH\0zz"s},
      {"\xe9t\xe9", "\xc9T\xc9"},  // bytes past ASCII are not folded
      {"[", "a"},
      {"_", "A"},
      {"", "a"},
  };
  std::mt19937 rnd(7);
  const std::string letters = "aAzZ[_@0\xe9\0"s;
  for (int i = 0; i < 3000; ++i) {
    std::string a = i % 2 ? "http://www.example.com/" : "";
    for (int n = static_cast<int>(rnd() % 20); n > 0; --n) a += letters[rnd() % letters.size()];
    std::string b = a.substr(0, rnd() % (a.size() + 1));
    for (int n = static_cast<int>(rnd() % 12); n > 0; --n) b += letters[rnd() % letters.size()];
    if (rnd() % 3 == 0 && !b.empty()) b[rnd() % b.size()] ^= 0x20;  // flip a letter's case
    pairs.emplace_back(a, b);
  }
  for (const auto& [a, b] : pairs) {
    EXPECT_EQ(order(tuned, a, b), order(plain, a, b)) << a << " / " << b;
    EXPECT_EQ(order(tuned, b, a), order(plain, b, a)) << b << " / " << a;
  }
  sqlite3_close(plain);
  sqlite3_close(tuned);

  // Written by the store, found by a plain engine through the file's index.
  {
    RecordFile f(people());
    ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
    for (int i = 0; i < 400; ++i)
      ASSERT_EQ(
          addPerson(f, (i % 3 ? "Www.Site/P" : "www.site/p") + std::to_string(i * 7919 % 400)), 0);
  }
  for (int i = 0; i < 400; i += 37)
    EXPECT_EQ(sqlOne("PEOPLE.qdf",
                     "SELECT count(*) FROM People INDEXED BY \"PEO:NAME\" WHERE NAME "
                     "= 'WWW.SITE/P" +
                         std::to_string(i) + "' AND NAME <> ''"),
              "1")
        << i;
  EXPECT_EQ(sqlOne("PEOPLE.qdf", "PRAGMA integrity_check"), "ok");
}

TEST(RecordFile, SeeksPositionBetweenRecords) {
  RecordFile f(people());
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  for (auto n : {"b", "d", "f"}) addPerson(f, n);
  f.setOrder(kByName);
  struct {
    const char* value;
    bool atOrAfter;
    bool forward;
    const char* expect;  // "" = past the end
  } cases[] = {
      {"d", true, true, "d"},  {"D", true, false, "b"},  {"c", true, true, "d"},
      {"g", true, true, ""},   {"d", false, false, "d"}, {"d", false, true, "f"},
      {"a", false, false, ""}, {"e", false, false, "d"},
  };
  for (auto& c : cases) {
    f.buffer().clear();
    f.buffer().setText(kName, c.value);
    c.atOrAfter ? f.seekAtOrAfter() : f.seekBefore();
    int rc = c.forward ? f.next() : f.previous();
    std::string got = rc == 0 ? f.buffer().text(kName) : "";
    EXPECT_EQ(got, c.expect) << c.value << c.atOrAfter << c.forward;
    if (!*c.expect) {
      EXPECT_EQ(rc, ErrNotAvailable);
    }
  }
  // Reading goes on from the record read.
  f.seekFirst();
  f.next();
  f.next();
  EXPECT_EQ(f.buffer().text(kName), "d");
  f.previous();
  EXPECT_EQ(f.buffer().text(kName), "b");
  EXPECT_EQ(f.previous(), ErrNotAvailable);
}

TEST(RecordFile, PagesWalkDuplicatesRangesAndFilters) {
  RecordFile f(people());
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  ASSERT_EQ(f.beginBatch(), 0);
  // Ten people in each of three cities; names unique.
  for (int i = 0; i < 30; ++i)
    addPerson(f, std::string("p").append(std::to_string(100 + i)),
              i % 3 == 0   ? "Oslo"
              : i % 3 == 1 ? "rome"
                           : "Lima");
  ASSERT_EQ(f.commitBatch(), 0);

  auto walk = [&](int key, bool forward, int pageSize, KeyRange range, const RecordBuffer* rv,
                  const std::function<bool(const RecordBuffer&)>& accept) {
    std::vector<std::string> seen;
    std::vector<std::pair<int64_t, RecordBuffer>> page;
    const RecordBuffer* from = nullptr;
    RecordBuffer last(people());
    int64_t lastPos = 0;
    for (int guard = 0; guard < 100; ++guard) {
      EXPECT_EQ(f.readPage(key, from, lastPos, forward, pageSize, page, range, rv, accept), 0);
      if (page.empty()) break;
      for (auto& [pos, rec] : page) seen.push_back(rec.text(kCity) + "/" + rec.text(kName));
      last = page.back().second;
      lastPos = page.back().first;
      from = &last;
    }
    return seen;
  };
  auto all = walk(kByCity, true, 7, {}, nullptr, {});
  ASSERT_EQ(all.size(), 30u);
  EXPECT_EQ(all.front(), "Lima/p102");
  EXPECT_EQ(all.back(), "rome/p128");
  EXPECT_TRUE(
      std::is_sorted(all.begin(), all.end(), [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
      }));
  auto back = walk(kByCity, false, 4, {}, nullptr, {});
  EXPECT_EQ(std::vector<std::string>(back.rbegin(), back.rend()), all);

  RecordBuffer oslo(people());
  oslo.setText(kCity, "OSLO");
  auto inOslo = walk(kByCity, true, 3, KeyRange{1}, &oslo, {});
  EXPECT_EQ(inOslo.size(), 10u);
  for (auto& s : inOslo) EXPECT_EQ(s.substr(0, 5), "Oslo/");
  auto odd = walk(kByName, true, 2, {}, nullptr,
                  [](const RecordBuffer& r) { return (r.text(kName).back() - '0') % 2 == 1; });
  EXPECT_EQ(odd.size(), 15u);
  auto byRecord = walk(-1, true, 8, {}, nullptr, {});
  EXPECT_EQ(byRecord.size(), 30u);
  EXPECT_EQ(byRecord.front(), "Oslo/p100");
}

// Conditions the engine applies: pages in every order and direction, and
// counts, hold exactly the records that meet them, whichever index serves.
TEST(RecordFile, ConditionsSelectInTheEngine) {
  FileDef def = peopleDef();
  def.queryIndexes = {"PEO:BORN"};
  RecordFile f(def);
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  ASSERT_EQ(f.beginBatch(), 0);
  for (int i = 0; i < 200; ++i) {
    f.buffer().clear();
    f.buffer().setText(kName, "n" + std::to_string((i * 37) % 200 + 1000));
    f.buffer().setText(kCity, i % 4 ? "Oslo" : "Rome");
    f.buffer().setDate("PEO:BORN", i % 50);
    ASSERT_EQ(f.add(), 0);
  }
  ASSERT_EQ(f.commitBatch(), 0);
  EXPECT_EQ(sqlOne(f.path(), "SELECT count(*) FROM sqlite_schema WHERE name = 'field:PEO:BORN'"),
            "1");

  using Op = FieldCondition::Op;
  const int born = def.fieldIndex("PEO:BORN");
  const Conditions between = {{born, Op::Ge, "", 10}, {born, Op::Le, "", 12}};
  const Conditions rome = {{kCity, Op::Eq, "ROME", 0}, {born, Op::Gt, "", 40}};
  auto meets = [&](const RecordBuffer& r, const Conditions& w) {
    return &w == &between ? r.date(born) >= 10 && r.date(born) <= 12
                          : r.text(kCity) == "Rome" && r.date(born) > 40;
  };
  for (const Conditions* w : {&between, &rome}) {
    for (int key : {-1, kByName, kByCity}) {
      std::vector<std::string> expected;
      std::vector<std::pair<int64_t, RecordBuffer>> page;
      ASSERT_EQ(f.readPage(key, nullptr, 0, true, 1000, page), 0);
      for (auto& [pos, r] : page)
        if (meets(r, *w)) expected.push_back(r.text(kName));
      for (bool forward : {true, false}) {
        std::vector<std::string> seen;
        RecordBuffer last(def);
        int64_t lastPos = 0;
        const RecordBuffer* from = nullptr;
        for (int guard = 0; guard < 100; ++guard) {
          ASSERT_EQ(f.readPage(key, from, lastPos, forward, 4, page, {}, nullptr, {}, *w), 0);
          if (page.empty()) break;
          for (auto& [pos, r] : page) seen.push_back(r.text(kName));
          last = page.back().second;
          lastPos = page.back().first;
          from = &last;
        }
        if (!forward) std::reverse(seen.begin(), seen.end());
        EXPECT_EQ(seen, expected) << key << forward;
      }
      EXPECT_EQ(f.countWhere(*w), static_cast<int64_t>(expected.size()));
    }
  }
  EXPECT_EQ(f.countWhere(between, 5), 5);
  EXPECT_EQ(f.countWhere({}), 200);
}

TEST(RecordFile, LocatePrefix) {
  RecordFile f(people());
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  for (auto n : {"apple", "Banana", "bandana", "cherry"}) addPerson(f, n);
  struct {
    const char* prefix;
    int rc;
    const char* found;
  } cases[] = {
      {"ban", 0, "Banana"},          {"BAND", 0, "bandana"},          {"c", 0, "cherry"},
      {"bz", ErrNotFound, "cherry"}, {"d", ErrNotAvailable, nullptr}, {"", 0, "apple"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(f.locatePrefix(kByName, c.prefix), c.rc) << c.prefix;
    if (c.found) {
      EXPECT_EQ(f.buffer().text(kName), c.found) << c.prefix;
    }
  }
  f.setOrder(-1);
  ASSERT_EQ(f.locatePrefix(kByName, "ban"), 0);
  ASSERT_EQ(f.next(), 0);  // reading goes on in key order
  EXPECT_EQ(f.buffer().text(kName), "bandana");
}

TEST(RecordFile, ChangeDeleteAndDeleteByKey) {
  RecordFile f(people());
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  addPerson(f, "ann", "Oslo");
  addPerson(f, "bob", "Oslo");
  addPerson(f, "cid", "Rome");
  f.buffer().setText(kName, "bob");
  ASSERT_EQ(f.fetch(kByName), 0);
  int64_t bob = f.position();
  f.buffer().setText(kName, "ANN");
  EXPECT_EQ(f.put(), ErrDuplicateKey);
  EXPECT_EQ(f.duplicateKey(), kByName);
  ASSERT_EQ(f.fetchPosition(bob), 0);
  EXPECT_EQ(f.buffer().text(kName), "bob");  // unchanged on disk
  f.buffer().setText(kCity, "Lima");
  ASSERT_EQ(f.put(), 0);
  ASSERT_EQ(f.erase(), 0);
  EXPECT_EQ(f.fetchPosition(bob), ErrNotFound);
  EXPECT_EQ(f.put(), ErrNotAvailable);

  RecordBuffer key(people());
  key.setText(kCity, "oslo");
  key.setText(kName, "Ann");
  int64_t n = -1;
  ASSERT_EQ(f.deleteByKey(kByCity, key, &n), 0);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(f.count(), 1);
}

// Another connection deleted the record after it was read: the rewrite
// reports it missing and brings nothing back.
TEST(RecordFile, PutOfARecordDeletedMeanwhileFails) {
  RecordFile a(people()), b(people());
  ASSERT_EQ(a.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  ASSERT_EQ(b.open(OpenMode::ReadWriteDenyNone, false, 1), 0);
  addPerson(a, "Ærøskøbing", "Oslo");
  addPerson(a, "bob", "Rome");
  a.buffer().setText(kName, "Ærøskøbing");
  ASSERT_EQ(a.fetch(kByName), 0);
  ASSERT_EQ(b.fetchPosition(a.position()), 0);
  ASSERT_EQ(b.erase(), 0);
  a.buffer().setText(kCity, "Lima");
  EXPECT_EQ(a.put(), ErrNotFound);
  EXPECT_EQ(a.errorCode(), ErrNotFound);
  EXPECT_EQ(b.count(), 1);
  EXPECT_EQ(readAll(b), std::vector<std::string>{"bob"});
}

// A page's records made to be a new list: the file reads as after deleting
// the old ones and adding the new, and only what differs is written.
TEST(RecordFile, ReplaceExactWritesOnlyWhatDiffers) {
  struct Person {
    std::string name;
    double score;
    std::string notes;
  };
  using People = std::vector<Person>;
  const People stored{{"ann", 1, ""}, {"bob", 2, "x"}, {"cid", 3, ""}};
  const struct {
    const char* what;
    People wanted;
    int64_t written;
  } cases[] = {
      {"the same", stored, 0},
      {"a score", {{"ann", 1, ""}, {"bob", 9, "x"}, {"cid", 3, ""}}, 1},
      {"a memo", {{"ann", 1, ""}, {"bob", 2, "y"}, {"cid", 3, ""}}, 1},
      {"a key value", {{"ann", 1, ""}, {"bea", 2, "x"}, {"cid", 3, ""}}, 1},
      {"one more", {{"ann", 1, ""}, {"bob", 2, "x"}, {"cid", 3, ""}, {"dan", 4, ""}}, 1},
      {"one less", {{"ann", 1, ""}, {"cid", 3, ""}}, 2},
      {"none", {}, 3},
      // The unique name clashes on the way: done as deleting and adding.
      {"two names swapped", {{"bob", 2, "x"}, {"ann", 1, ""}, {"cid", 3, ""}}, 6},
  };
  const auto fill = [](RecordBuffer& b, const Person& p, std::string_view city) {
    b.clear();
    b.setText(kName, p.name);
    b.setText(kCity, city);
    b.setReal("PEO:SCORE", p.score);
    b.setMemo(0, p.notes);
  };
  // The file in the city key's order, whole records.
  const auto contents = [](RecordFile& f) {
    std::vector<std::string> out;
    f.setOrder(kByCity);
    for (f.seekFirst(); f.next() == 0;)
      out.push_back(f.buffer().text(kCity) + "/" + f.buffer().text(kName) + "/" +
                    f.buffer().text("PEO:SCORE") + "/" + f.buffer().memo(0));
    return out;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all("PEOPLE.qdf");
    fs::remove_all("OLDWAY");
    RecordFile f(people()), ref(people());
    ref.setPath("OLDWAY");
    ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
    ASSERT_EQ(ref.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
    std::map<std::string, int64_t> where;
    for (RecordFile* file : {&f, &ref}) {
      // Another letter case is another page: it stays as it is.
      fill(file->buffer(), {"zed", 5, ""}, "town");
      ASSERT_EQ(file->add(), 0);
      for (const Person& p : stored) {
        fill(file->buffer(), p, "Town");
        ASSERT_EQ(file->add(), 0);
        if (file == &f) where[p.name] = f.position();
      }
    }
    std::vector<RecordBuffer> records;
    for (const Person& p : c.wanted) fill(records.emplace_back(people()), p, "Town ");
    RecordFile::Replaced done;
    ASSERT_EQ(f.replaceExact(kByCity, kCity, "Town ", records, &done), 0) << f.errorDetail();
    EXPECT_EQ(done.before, 3);
    EXPECT_EQ(done.written, c.written);
    ASSERT_EQ(ref.deleteExact(kByCity, kCity, "Town"), 0);
    for (const RecordBuffer& b : records) {
      ref.buffer() = b;
      ASSERT_EQ(ref.add(), 0);
    }
    EXPECT_EQ(contents(f), contents(ref));
    EXPECT_EQ(f.rebuildKeys(), 0) << f.errorDetail();  // every index agrees with the records
    // The unique key finds every name; a record its place already held stayed put.
    for (std::size_t i = 0; i < c.wanted.size(); ++i) {
      const Person& p = c.wanted[i];
      f.buffer().clear();
      f.buffer().setText(kName, p.name);
      ASSERT_EQ(f.fetch(kByName), 0) << p.name;
      if (i < stored.size() && stored[i].name == p.name) {
        EXPECT_EQ(f.position(), where[p.name]);
      }
    }
  }
}

// While another program denies writing, a replacement that would write
// fails at the first write it would make; one with nothing to write succeeds.
TEST(RecordFile, ReplaceExactRefusedNamesTheWriteItWouldMake) {
  using Step = RecordFile::Replaced::Step;
  const struct {
    std::vector<std::string> wanted;
    int rc;
    Step failedAt;
  } cases[] = {
      {{"Åsa", "bob"}, 0, Step::None},
      {{"Åsa"}, ErrAccessDenied, Step::Delete},
      {{"Åsa", "bea"}, ErrAccessDenied, Step::Change},
      {{"Åsa", "bob", "cid"}, ErrAccessDenied, Step::Add},
  };
  RecordFile f(people()), denier(people());
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 0), 0);
  addPerson(f, "Åsa", "Town");
  addPerson(f, "bob", "Town");
  ASSERT_EQ(denier.open(OpenMode::ReadWriteDenyWrite, false, 0), 0);
  for (const auto& c : cases) {
    std::vector<RecordBuffer> records;
    for (const std::string& name : c.wanted) {
      RecordBuffer& b = records.emplace_back(people());
      b.setText(kName, name);
      b.setText(kCity, "Town");
    }
    RecordFile::Replaced done;
    EXPECT_EQ(f.replaceExact(kByCity, kCity, "Town", records, &done), c.rc) << c.wanted.size();
    EXPECT_EQ(done.failedAt, c.failedAt) << c.wanted.back();
  }
  EXPECT_EQ(readAll(f), (std::vector<std::string>{"Åsa", "bob"}));
}

// A record read earlier is written back only while the stored one still
// equals that copy: another connection's change is never overwritten.
TEST(RecordFile, AddAllAddsInOrderOrNothing) {
  // Counts around the rows a statement takes, alone and inside a
  // transaction's part; a clash anywhere adds none of them.
  for (const bool inTransaction : {false, true}) {
    for (const int n : {1, 7, 8, 9, 17}) {
      for (const int clash : {-1, 0, n / 2, n - 1}) {
        SCOPED_TRACE(::testing::Message() << inTransaction << " " << n << " " << clash);
        fs::remove("PEOPLE.qdf");
        RecordFile f(people());
        ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
        ASSERT_EQ(addPerson(f, "taken"), 0);
        std::vector<RecordBuffer> rows;
        for (int i = 0; i < n; ++i) {
          RecordBuffer& b = rows.emplace_back(people());
          b.setText(kName, i == clash ? "TAKEN" : "p" + std::to_string(i));
          b.setMemo(0, "note " + std::to_string(i));
        }
        f.buffer().clear();
        f.buffer().setText(kName, "kept");
        Transaction tx;
        if (inTransaction) {
          ASSERT_EQ(tx.begin({&f}), 0);
          ASSERT_EQ(tx.enlist(f), 0);
          ASSERT_EQ(tx.markPart(), 0);
        }
        const int rc = f.addAll(rows);
        EXPECT_EQ(f.buffer().text(kName), "kept");
        if (inTransaction) {
          ASSERT_EQ(tx.keepPart(), 0);
          ASSERT_EQ(tx.commit(), 0);
        }
        f.setOrder(-1);
        std::vector<std::string> want = {"taken"};
        if (clash >= 0) {
          EXPECT_EQ(rc, ErrDuplicateKey);
        } else {
          ASSERT_EQ(rc, 0) << f.errorDetail();
          for (int i = 0; i < n; ++i) want.push_back("p" + std::to_string(i));
          ASSERT_EQ(f.fetchPosition(f.position()), 0);
          EXPECT_EQ(f.buffer().text(kName), "p" + std::to_string(n - 1));
          EXPECT_EQ(f.buffer().memo(0), "note " + std::to_string(n - 1));
        }
        EXPECT_EQ(readAll(f), want);
      }
    }
  }
}

TEST(RecordFile, ConditionalPutWritesOnlyOverTheCopyRead) {
  RecordFile a(people()), b(people());
  ASSERT_EQ(a.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  ASSERT_EQ(b.open(OpenMode::ReadWriteDenyNone, false, 1), 0);
  addPerson(a, "ann", "Oslo");
  addPerson(a, "bob", "Rome");
  const int64_t ann = a.position() - 1;
  ASSERT_EQ(a.fetchPosition(ann), 0);
  const RecordBuffer read = a.buffer();
  a.buffer().setText(kCity, "Lima");

  ASSERT_EQ(b.fetchPosition(ann), 0);
  b.buffer().setText(kCity, "Bern");
  ASSERT_EQ(b.put(), 0);
  EXPECT_EQ(a.putIfUnchanged(read), ErrChanged);
  EXPECT_EQ(a.errorCode(), 78);  // the number and text procedures and "%ErrorText" show
  EXPECT_EQ(a.errorText(), "Record Changed By Another Station");
  EXPECT_EQ(a.buffer().text(kCity), "Lima");  // what was typed stays in the buffer
  ASSERT_EQ(b.fetchPosition(ann), 0);
  EXPECT_EQ(b.buffer().text(kCity), "Bern");

  // Read again, the write goes through; a clash and a deleted record write nothing.
  ASSERT_EQ(a.fetchPosition(ann), 0);
  const RecordBuffer again = a.buffer();
  a.buffer().setText(kName, "BOB");
  EXPECT_EQ(a.putIfUnchanged(again), ErrDuplicateKey);
  EXPECT_EQ(a.duplicateKey(), kByName);
  a.buffer().setText(kName, "ann");
  a.buffer().setText(kCity, "Lima");
  EXPECT_EQ(a.putIfUnchanged(again), 0);
  ASSERT_EQ(b.fetchPosition(ann), 0);
  EXPECT_EQ(b.buffer().text(kCity), "Lima");
  ASSERT_EQ(b.erase(), 0);
  EXPECT_EQ(a.putIfUnchanged(a.buffer()), ErrNotFound);
  EXPECT_EQ(a.count(), 1);

  // Inside a batch the compare sees the batch's own writes.
  ASSERT_EQ(a.beginBatch(), 0);
  a.buffer().setText(kName, "bob");
  ASSERT_EQ(a.fetch(kByName), 0);
  const RecordBuffer inBatch = a.buffer();
  a.buffer().setText(kCity, "Kyiv");
  EXPECT_EQ(a.putIfUnchanged(inBatch), 0);
  a.buffer().setText(kCity, "Riga");
  EXPECT_EQ(a.putIfUnchanged(inBatch), ErrChanged);
  ASSERT_EQ(a.commitBatch(), 0);
  b.buffer().setText(kName, "bob");
  ASSERT_EQ(b.fetch(kByName), 0);
  EXPECT_EQ(b.buffer().text(kCity), "Kyiv");
}

TEST(RecordFile, BadFilesGiveClearErrors) {
  struct {
    const char* fixture;
    int code;
  } cases[] = {
      {"store/notadb.qdf", ErrBadFile},
      {"store/foreign.qdf", ErrBadFile},
  };
  for (auto& c : cases) {
    fs::copy_file(qmtest::fixture(c.fixture), "PEOPLE.qdf", fs::copy_options::overwrite_existing);
    RecordFile f(people());
    EXPECT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), c.code) << c.fixture;
    EXPECT_EQ(f.errorText(), "Invalid Record File");
    EXPECT_FALSE(f.errorDetail().empty());
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(f.next(), ErrNotOpen);
  }
  // Our table with a column missing.
  fs::remove("PEOPLE.qdf");
  sqlite3* db = nullptr;
  sqlite3_open("PEOPLE.qdf", &db);
  sqlite3_exec(db, "CREATE TABLE People(NAME TEXT)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  RecordFile f(people());
  EXPECT_EQ(f.open(OpenMode::ReadWriteDenyNone, false, 1), ErrBadFile);
  EXPECT_NE(f.errorDetail().find("PEO:CITY"), std::string::npos) << f.errorDetail();
}

TEST(RecordFile, DamageIsFoundByRebuildKeys) {
  {
    RecordFile f(people());
    ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
    f.beginBatch();
    for (int i = 0; i < 3000; ++i)
      addPerson(f, std::string("name").append(std::to_string(i)),
                std::string("c").append(std::to_string(i % 7)));
    f.commitBatch();
    EXPECT_EQ(f.rebuildKeys(), 0) << f.errorDetail();
  }
  std::string bytes = readFile("PEOPLE.qdf");
  ASSERT_GT(bytes.size(), 40000u);
  for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 8192; ++i)
    bytes[i] = static_cast<char>(i * 7);
  writeFile("PEOPLE.qdf", bytes);
  RecordFile f(people());
  int rc = f.open(OpenMode::ReadWriteDenyNone, false, 1);
  if (rc == 0) rc = f.rebuildKeys();
  EXPECT_NE(rc, 0);
  EXPECT_FALSE(f.errorDetail().empty());
}

TEST(RecordFile, OwnerPasswordGuardsTheFile) {
  FileDef d = people();
  d.ownerPassword = "QZVRKM";
  {
    RecordFile f(d);
    ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1, "QZVRKM"), 0);
    addPerson(f, "secret");
  }
  struct {
    const char* password;
    int rc;
  } cases[] = {{"", ErrBadPassword}, {"qzvrkm", ErrBadPassword}, {"QZVRKM", 0}};
  for (auto& c : cases) {
    RecordFile f(d);
    EXPECT_EQ(f.open(OpenMode::ReadOnlyDenyNone, false, 1, c.password), c.rc) << c.password;
    if (c.rc) {
      EXPECT_EQ(f.errorText(), "Invalid File Password");
    } else {
      EXPECT_EQ(f.count(), 1);
    }
  }
}

TEST(RecordFile, DenyWriteShutsOutOtherWriters) {
  RecordFile a(people()), b(people()), c(people());
  ASSERT_EQ(b.open(OpenMode::ReadWriteDenyNone, true, 0), 0);
  ASSERT_EQ(a.open(OpenMode::ReadWriteDenyWrite, false, 0), 0);
  EXPECT_EQ(addPerson(b, "x"), ErrAccessDenied);
  EXPECT_EQ(b.errorText(), "Access Denied");
  EXPECT_EQ(b.beginBatch(), ErrAccessDenied);
  EXPECT_EQ(c.open(OpenMode::ReadWriteDenyWrite, false, 0), ErrAccessDenied);
  EXPECT_EQ(addPerson(a, "y"), 0);  // the one denying still writes
  EXPECT_EQ(b.count(), 1);          // and others still read
  a.close();
  EXPECT_EQ(addPerson(b, "x"), 0);
  // Read-only opens never write.
  ASSERT_EQ(c.open(OpenMode::ReadOnlyDenyNone, false, 0), 0);
  EXPECT_EQ(addPerson(c, "z"), ErrAccessDenied);
}

TEST(RecordFile, DenyWriteEndsWithTheProcess) {
  RecordFile b(people());
  ASSERT_EQ(b.open(OpenMode::ReadWriteDenyNone, true, 0), 0);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t pid = fork();
  if (pid == 0) {
    RecordFile a(people());
    char ok = a.open(OpenMode::ReadWriteDenyWrite, false, 0) == 0 ? 'y' : 'n';
    if (write(ready[1], &ok, 1) != 1) _exit(2);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  EXPECT_EQ(ok, 'y');
  EXPECT_EQ(addPerson(b, "x"), ErrAccessDenied);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(addPerson(b, "x"), 0);
}

TEST(RecordFile, DenyWriteLeavesNoSideFileAndHandsItsLockOver) {
  const char* side = "PEOPLE.qdf-lock";
  RecordFile a(people()), c(people());
  ASSERT_EQ(c.open(OpenMode::ReadWriteDenyNone, true, 0), 0);
  ASSERT_EQ(a.open(OpenMode::ReadWriteDenyWrite, false, 0), 0);
  RecordFile refused(people());
  EXPECT_EQ(refused.open(OpenMode::ReadWriteDenyWrite, false, 0), ErrAccessDenied);
  EXPECT_TRUE(fs::exists(side));  // the refused open leaves the holder's lock alone
  a.close();
  EXPECT_FALSE(fs::exists(side));

  // Another process waits for the lock while this one holds it; once it is
  // handed over, that process denies writing through the file at the path.
  ASSERT_EQ(a.open(OpenMode::ReadWriteDenyWrite, false, 0), 0);
  int got[2], go[2];
  ASSERT_EQ(pipe(got), 0);
  ASSERT_EQ(pipe(go), 0);
  pid_t pid = fork();
  if (pid == 0) {
    RecordFile b(people());
    char ok = b.open(OpenMode::ReadWriteDenyWrite, false, 10) == 0 ? 'y' : 'n';
    if (write(got[1], &ok, 1) != 1) _exit(2);
    if (read(go[0], &ok, 1) != 1) _exit(3);
    b.close();
    _exit(0);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // it is waiting now
  a.close();
  char ok = 0;
  ASSERT_EQ(read(got[0], &ok, 1), 1);
  EXPECT_EQ(ok, 'y');
  EXPECT_TRUE(fs::exists(side));
  EXPECT_EQ(addPerson(c, "x"), ErrAccessDenied);
  EXPECT_EQ(a.open(OpenMode::ReadWriteDenyWrite, false, 0), ErrAccessDenied);
  ASSERT_EQ(write(go[1], &ok, 1), 1);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(fs::exists(side));
  EXPECT_EQ(addPerson(c, "x"), 0);
}

TEST(RecordFile, TwoProcessesAddingLoseNothing) {
  {
    RecordFile f(people());
    ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  }
  constexpr int kEach = 150;
  std::vector<pid_t> kids;
  for (int k = 0; k < 2; ++k) {
    pid_t pid = fork();
    if (pid == 0) {
      RecordFile f(people());
      if (f.open(OpenMode::ReadWriteDenyNone, false, 10)) _exit(3);
      for (int i = 0; i < kEach; ++i)
        if (addPerson(f, std::string("k").append(std::to_string(k)) +
                             std::string("-").append(std::to_string(i))))
          _exit(4);
      _exit(0);
    }
    kids.push_back(pid);
  }
  for (pid_t p : kids) {
    int status = 0;
    waitpid(p, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  RecordFile f(people());
  ASSERT_EQ(f.open(OpenMode::ReadOnlyDenyNone, false, 1), 0);
  EXPECT_EQ(f.count(), 2 * kEach);
}

// ---- multi-file transactions ------------------------------------------------------

namespace {

TEST(RecordFile, WriteFailuresSayWhyAndNameTheFile) {
  // A full disk, a file nobody may write and a directory where the file
  // should be, alone and inside a transaction.
  enum Fault { Full, ReadOnly, Directory };
  struct {
    Fault fault;
    bool inTransaction;
    int code;
    const char* text;
  } cases[] = {
      {Full, false, ErrDiskFull, "Disk Full"},
      {Full, true, ErrDiskFull, "Disk Full"},
      {ReadOnly, false, ErrReadOnly, "File Is Read-Only"},
      {ReadOnly, true, ErrReadOnly, "File Is Read-Only"},
      {Directory, false, ErrIsDirectory, "Is A Directory"},
      {Directory, true, ErrIsDirectory, "Is A Directory"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fault << (c.inTransaction ? " in a transaction" : ""));
    fs::remove_all("PEOPLE.qdf");
    {
      RecordFile f(people());
      ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
      ASSERT_EQ(addPerson(f, "first"), 0);
    }
    if (c.fault == Full) store::setPageLimitForTests(1);
    if (c.fault == ReadOnly) store::setUnwritableForTests("PEOPLE.qdf");
    if (c.fault == Directory) {
      fs::remove("PEOPLE.qdf");
      fs::create_directory("PEOPLE.qdf");
    }
    RecordFile f(people());
    Transaction tx;
    int rc = f.open(OpenMode::ReadWriteDenyNone, false, 1);
    std::string detail = f.errorDetail();
    if (rc == 0 && c.inTransaction) {
      rc = tx.begin({&f}, 1);
      if (rc == 0) rc = tx.enlist(f);
      detail = tx.errorDetail();
    }
    for (int i = 0; rc == 0 && i < 200; ++i) {
      rc = addPerson(f, std::to_string(i) + std::string(16, 'x'), "town");
      detail = f.errorDetail();
    }
    if (rc == 0 && c.inTransaction) {
      rc = tx.commit();
      detail = tx.errorDetail();
    }
    store::clearFaultsForTests();
    EXPECT_EQ(rc, c.code);
    EXPECT_EQ(errorTextFor(rc), c.text);
    EXPECT_NE(detail.find("PEOPLE.qdf"), std::string::npos) << detail;
  }
}

// A create that the disk cuts short leaves no file, and an empty file (as
// an older create left it) opens as a new record file.
TEST(RecordFile, AFailedCreateLeavesNoFileAndAnEmptyFileOpensAsNew) {
  fs::remove_all("PEOPLE.qdf");
  store::setPageLimitForTests(1);
  {
    RecordFile f(people());
    const int rc = f.open(OpenMode::ReadWriteDenyNone, true, 1);
    EXPECT_EQ(errorTextFor(rc), "Disk Full");
    EXPECT_NE(f.errorDetail().find("PEOPLE.qdf"), std::string::npos) << f.errorDetail();
  }
  store::clearFaultsForTests();
  EXPECT_FALSE(fs::exists("PEOPLE.qdf"));
  EXPECT_FALSE(fs::exists("PEOPLE.qdf-journal"));

  for (OpenMode mode : {OpenMode::ReadOnlyDenyNone, OpenMode::ReadWriteDenyNone}) {
    std::ofstream("PEOPLE.qdf").close();  // 0 bytes
    RecordFile f(people());
    ASSERT_EQ(f.open(mode, false, 1), 0) << f.errorDetail();
    EXPECT_EQ(f.count(), 0);
    if (mode == OpenMode::ReadWriteDenyNone) {
      EXPECT_EQ(addPerson(f, "Zoë"), 0);
      f.close();
      ASSERT_EQ(f.open(OpenMode::ReadOnlyDenyNone, false, 1), 0);
      EXPECT_EQ(f.count(), 1);
    }
    f.close();
    fs::remove("PEOPLE.qdf");
  }
}

// A bit flipped in the name index: the entry of "Dora" reads "Aora" where
// "Dora" stood, between "Carl" and "Émile". Reading in key order ends;
// read a page at a time it stops with the file called damaged, never
// coming back to "Bert" for ever.
TEST(RecordFile, AnIndexThatDisagreesWithItsRecordsIsReportedNotLoopedOver) {
  fs::remove_all("PEOPLE.qdf");
  {
    RecordFile f(people());
    ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
    for (const char* name : {"Anna", "Bert", "Carl", "Dora", "Émile"})
      ASSERT_EQ(addPerson(f, name, "Köln"), 0);
  }
  const long pageSize = std::stol(sqlOne("PEOPLE.qdf", "PRAGMA page_size"));
  const long root =
      std::stol(sqlOne("PEOPLE.qdf", "SELECT rootpage FROM sqlite_schema WHERE name = 'PEO:NAME'"));
  std::string bytes = readFile("PEOPLE.qdf");
  const std::size_t at = bytes.find("Dora", static_cast<std::size_t>((root - 1) * pageSize));
  ASSERT_LT(at, static_cast<std::size_t>(root * pageSize));
  bytes[at] = 'A';
  writeFile("PEOPLE.qdf", bytes);
  ASSERT_NE(sqlOne("PEOPLE.qdf", "PRAGMA integrity_check"), "ok");

  RecordFile f(people());
  ASSERT_EQ(f.open(OpenMode::ReadOnlyDenyNone, false, 1), 0);
  f.setOrder(kByName);
  f.seekFirst();
  int rc = 0, read = 0;
  while (read < 50 && (rc = f.next()) == 0) ++read;
  EXPECT_LT(read, 5);  // each step seeks: it may pass the entry, never return
  EXPECT_NE(rc, 0);

  // A page at a time, as a browse reads.
  std::vector<std::pair<int64_t, RecordBuffer>> page;
  RecordBuffer last(people());
  int64_t lastPos = 0;
  read = 0;
  for (int pages = 0; pages < 50; ++pages) {
    rc = f.readPage(kByName, pages ? &last : nullptr, lastPos, true, 2, page);
    if (rc != 0 || page.empty()) break;
    read += static_cast<int>(page.size());
    last = page.back().second;
    lastPos = page.back().first;
  }
  EXPECT_LT(read, 5);
  EXPECT_EQ(errorTextFor(rc), "Invalid Record File");
  EXPECT_NE(f.errorDetail().find("PEOPLE.qdf"), std::string::npos) << f.errorDetail();
}

FileDef childDef() {
  FileDef d;
  d.label = "Visits";
  d.prefix = "VIS:";
  d.diskName = "VISITS";
  d.recordSize = 30;
  d.fields = {{"VIS:PERSON", FieldType::Text, 0, 20}, {"VIS:PLACE", FieldType::Text, 20, 10}};
  d.keys = {{"VIS:PERSON", {0}, false, "VIS:person", 0}};
  return d;
}

const FileDef& visits() {
  static const FileDef d = childDef();
  return d;
}

// People p0..p(n-1), each with `perPerson` visits.
void fillFamily(int n, int perPerson) {
  RecordFile p(people()), v(visits());
  ASSERT_EQ(p.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  ASSERT_EQ(v.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
  p.beginBatch();
  v.beginBatch();
  for (int i = 0; i < n; ++i) {
    addPerson(p, std::string("p").append(std::to_string(i)), "town");
    for (int j = 0; j < perPerson; ++j) {
      v.buffer().setText(0, std::string("p").append(std::to_string(i)));
      v.buffer().setText(1, std::to_string(j));
      v.add();
    }
  }
  ASSERT_EQ(p.commitBatch(), 0);
  ASSERT_EQ(v.commitBatch(), 0);
}

std::pair<int64_t, int64_t> counts() {
  RecordFile p(people()), v(visits());
  EXPECT_EQ(p.open(OpenMode::ReadWriteDenyNone, false, 5), 0);
  EXPECT_EQ(v.open(OpenMode::ReadWriteDenyNone, false, 5), 0);
  EXPECT_EQ(p.rebuildKeys(), 0) << p.errorDetail();
  EXPECT_EQ(v.rebuildKeys(), 0) << v.errorDetail();
  return {p.count(), v.count()};
}

// Deletes every person of the town and their visits in one transaction.
int deleteTown(int n) {
  RecordFile p(people()), v(visits());
  Transaction tx;
  if (int rc = tx.begin({&p, &v}, 5)) return rc;
  std::vector<std::string> names;
  if (int rc = tx.collect(p, kCity, {"TOWN"}, kName, names)) return rc;
  if (static_cast<int>(names.size()) != n) return -1;
  if (int rc = tx.deleteMatching(v, 0, names)) return rc;
  if (int rc = tx.deleteMatching(p, kCity, {"town"})) return rc;
  return tx.commit();
}

}  // namespace

TEST(Transaction, CommitsOrChangesNothing) {
  fillFamily(5, 4);
  {
    RecordFile p(people()), v(visits());
    Transaction tx;
    ASSERT_EQ(tx.begin({&p, &v}), 0);
    int64_t gone = 0;
    ASSERT_EQ(tx.deleteMatching(v, 0, {"p1", "P2 ", ""}, &gone), 0);
    EXPECT_EQ(gone, 8);
    // Dropped without commit: rolled back.
  }
  EXPECT_EQ(counts(), (std::pair<int64_t, int64_t>{5, 20}));
  EXPECT_EQ(deleteTown(5), 0);
  EXPECT_EQ(counts(), (std::pair<int64_t, int64_t>{0, 0}));
}

// The two family files for a transaction, and a visits file of another
// connection that never waits for a lock.
void openBeside(RecordFile& p, RecordFile& v, RecordFile& outsider) {
  ASSERT_EQ(p.open(OpenMode::ReadWriteDenyNone, false, 1), 0);
  ASSERT_EQ(v.open(OpenMode::ReadWriteDenyNone, false, 1), 0);
  ASSERT_EQ(outsider.open(OpenMode::ReadWriteDenyNone, false, 0), 0);
}

TEST(Transaction, EnlistedFilesWriteInIt) {
  fillFamily(2, 2);
  RecordFile p(people()), v(visits()), outsider(visits());
  openBeside(p, v, outsider);
  {
    Transaction tx;
    ASSERT_EQ(tx.begin({&p, &v}), 0);
    ASSERT_EQ(tx.enlist(p), 0);
    ASSERT_EQ(tx.enlist(v), 0);
    EXPECT_EQ(p.transaction(), &tx);
    EXPECT_EQ(addPerson(p, "kept"), 0);
    v.buffer().setText(0, "kept");
    EXPECT_EQ(v.add(), 0);
    EXPECT_EQ(v.count(), 5);  // the transaction sees its own changes
    int64_t gone = 0;
    // Exact: "P0" is not "p0"; the binary match still finds "p1".
    EXPECT_EQ(v.deleteExact(0, 0, "P0", &gone), 0);
    EXPECT_EQ(gone, 0);
    EXPECT_EQ(v.deleteExact(0, 0, "p1 ", &gone), 0);
    EXPECT_EQ(gone, 2);
    EXPECT_EQ(outsider.count(), 4);  // others see nothing before the commit
    ASSERT_EQ(tx.commitAndContinue(), 0);
    EXPECT_EQ(outsider.count(), 3);  // ... and all of it after
    EXPECT_EQ(p.transaction(), &tx);
    EXPECT_EQ(addPerson(p, "later"), 0);
    ASSERT_EQ(tx.commit(), 0);
    EXPECT_EQ(p.transaction(), nullptr);
  }
  EXPECT_EQ(p.count(), 4);
  // Dropped uncommitted, everything the enlisted files did goes.
  {
    Transaction tx;
    ASSERT_EQ(tx.begin({&p, &v}), 0);
    ASSERT_EQ(tx.enlist(v), 0);
    v.buffer().setText(0, "lost");
    EXPECT_EQ(v.add(), 0);
    v.close();  // closing leaves the transaction
    ASSERT_EQ(tx.enlist(p), 0);
    EXPECT_EQ(addPerson(p, "lost"), 0);
  }
  EXPECT_EQ(p.count(), 4);
  EXPECT_EQ(outsider.count(), 3);
}

// Between a run's pages the files are free to others, and the run goes on
// in the same transaction object when its next page begins.
TEST(Transaction, APauseLeavesTheFilesFreeAndResumeGoesOn) {
  fillFamily(2, 2);
  RecordFile p(people()), v(visits()), outsider(visits());
  openBeside(p, v, outsider);
  Transaction tx;
  ASSERT_EQ(tx.begin({&p, &v}), 0);
  ASSERT_EQ(tx.enlist(v), 0);
  v.buffer().setText(0, "kept");
  ASSERT_EQ(v.add(), 0);
  ASSERT_EQ(tx.commitAndPause(), 0);
  EXPECT_TRUE(tx.paused());
  EXPECT_EQ(outsider.count(), 5);
  outsider.buffer().setText(0, "outsider");
  EXPECT_EQ(outsider.add(), 0);  // no wait: lock recovery 0 would refuse it
  ASSERT_EQ(tx.resume(), 0);
  EXPECT_FALSE(tx.paused());
  EXPECT_EQ(v.count(), 6);  // sees the outsider's record
  v.buffer().setText(0, "dropped");
  ASSERT_EQ(v.add(), 0);
  tx.rollback();  // takes back only what came after the resume
  EXPECT_EQ(v.transaction(), nullptr);
  EXPECT_EQ(outsider.count(), 6);
}

// Megabytes of changes: more than the pages the batch keeps for reading, so
// they stay in memory only if changed pages are held apart.
TEST(Transaction, KeepsABatchOutOfTheFileUntilItsCommit) {
  constexpr int kAdded = 40000;
  fillFamily(1, 0);
  RecordFile p(people());
  ASSERT_EQ(p.open(OpenMode::ReadWriteDenyNone, false, 1), 0);
  const auto before = fs::file_size(p.path());
  Transaction tx;
  ASSERT_EQ(tx.begin({&p}), 0);
  ASSERT_EQ(tx.enlist(p), 0);
  for (int i = 0; i < kAdded; ++i)
    ASSERT_EQ(addPerson(p, "person-" + std::to_string(1000000 + i), "some town"), 0)
        << p.errorDetail();
  EXPECT_EQ(fs::file_size(p.path()), before);
  ASSERT_EQ(tx.commit(), 0);
  EXPECT_GT(fs::file_size(p.path()), before + 2 * 1024 * 1024);
  EXPECT_EQ(p.count(), kAdded + 1);
}

TEST(Transaction, KilledWriterLeavesAllOrNothing) {
  constexpr int kPeople = 400, kEach = 25;
  fillFamily(kPeople, kEach);
  // Killed from inside the transaction, half-way.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t pid = fork();
  if (pid == 0) {
    int steps = 0;
    Transaction::setStepHook([&] {
      if (++steps == kPeople / 2) {
        char c = 'k';
        if (write(ready[1], &c, 1) != 1) _exit(2);
        pause();
      }
    });
    _exit(deleteTown(kPeople) == 0 ? 0 : 1);
  }
  // Closed here, the pipe reads end-of-file once the child is gone, and the
  // wait is bounded: a child that never signals fails the test, not the run.
  close(ready[1]);
  pollfd watch{ready[0], POLLIN, 0};
  char c = 0;
  const bool halfway = poll(&watch, 1, 10000) == 1 && read(ready[0], &c, 1) == 1;
  close(ready[0]);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  ASSERT_TRUE(halfway) << "the writer never stopped inside its transaction";
  EXPECT_EQ(counts(), (std::pair<int64_t, int64_t>{kPeople, kPeople * kEach}));

  // Killed at various moments, the commit itself among them.
  for (int delayMs : {2, 10, 30, 60, 120}) {
    pid = fork();
    if (pid == 0) _exit(deleteTown(kPeople) == 0 ? 0 : 1);
    usleep(static_cast<useconds_t>(delayMs) * 1000);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    auto [p, v] = counts();
    bool none = p == kPeople && v == kPeople * kEach;
    bool all = p == 0 && v == 0;
    EXPECT_TRUE(none || all) << delayMs << "ms: " << p << " " << v;
    if (all) fillFamily(kPeople, kEach);
  }
}

// ---- line files ------------------------------------------------------------------

namespace {

FileDef lineDef(bool endAtLineFeed) {
  FileDef d;
  d.label = endAtLineFeed ? "DOS" : "DOS1";
  d.prefix = d.label + ":";
  d.kind = FileKind::Line;
  d.recordSize = 255;
  d.fields = {{d.prefix + "LINE", FieldType::Text, 0, 255}};
  d.endAtLineFeed = endAtLineFeed;
  return d;
}

}  // namespace

TEST(LineFile, RecordEndsAndLongLines) {
  std::string l255(255, 'a'),
      l600 = std::string(255, 'x') + std::string(255, 'y') + std::string(90, 'z');
  std::string yo300;
  for (int i = 0; i < 300; ++i) yo300 += "\xD1\x91";
  struct {
    bool lfOnly;
    std::string bytes;
    std::vector<std::string> records;
  } cases[] = {
      {true, "one\r\ntwo\nthree", {"one\r", "two", "three"}},
      {false, "one\r\ntwo\nthree\r\n", {"one", "two", "three"}},
      {true, "\n\n", {"", ""}},
      {true, l255 + "\nb\n", {l255, "b"}},
      {false, l600 + "\r\n", {l600.substr(0, 255), l600.substr(255, 255), l600.substr(510)}},
      {true, "", {}},
      // 255 characters of two, three and four bytes, never split.
      {true, yo300 + "\n", {yo300.substr(0, 510), yo300.substr(510)}},
      {true,
       std::string(254, 'a') + "\xE2\x80\x93\xF0\x9F\x98\x80\n",
       {std::string(254, 'a') + "\xE2\x80\x93", "\xF0\x9F\x98\x80"}},
  };
  for (auto& c : cases) {
    writeFile("page.htm", c.bytes);
    FileDef d = lineDef(c.lfOnly);
    RecordFile f(d);
    f.setPath("page.htm");
    ASSERT_EQ(f.open(OpenMode::ReadOnlyDenyNone, false, 1), 0);
    std::vector<std::string> got;
    while (f.next() == 0) got.push_back(f.buffer().text(0));
    EXPECT_EQ(f.errorCode(), ErrNotAvailable);
    // text() drops trailing blanks only; compare the same way.
    std::vector<std::string> want;
    for (auto& r : c.records) want.push_back(r);
    EXPECT_EQ(got, want) << c.bytes.substr(0, 20);
  }
}

TEST(LineFile, WritesTheirRecordEnds) {
  for (bool lfOnly : {false, true}) {
    FileDef d = lineDef(lfOnly);
    RecordFile f(d);
    f.setPath("work.txt");
    EXPECT_EQ(f.open(OpenMode::ReadWriteDenyNone, false, 1), ErrFileNotFound);
    ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
    for (auto t : {"<html>  ", "x\r"}) {
      f.buffer().setText(0, t);
      ASSERT_EQ(f.add(), 0);
    }
    f.close();
    EXPECT_EQ(readFile("work.txt"), lfOnly ? "<html>\nx\r\n" : "<html>\r\nx\r\r\n");
    fs::remove("work.txt");
  }
  // Deny-write on a line file.
  writeFile("page.htm", "a\n");
  FileDef d = lineDef(true);
  RecordFile a(d), b(d);
  a.setPath("page.htm");
  b.setPath("page.htm");
  ASSERT_EQ(a.open(OpenMode::ReadWriteDenyWrite, false, 0), 0);
  ASSERT_EQ(b.open(OpenMode::ReadWriteDenyNone, false, 0), 0);
  b.buffer().setText(0, "b");
  EXPECT_EQ(b.add(), ErrAccessDenied);
  ASSERT_EQ(b.next(), 0);
  EXPECT_EQ(b.buffer().text(0), "a");
}

// ---- logical threads ----------------------------------------------------------------

TEST(Threads, ScopesNumbersAndEndListeners) {
  EXPECT_EQ(currentThread(), 1);
  int n = newThreadNumber();
  EXPECT_GT(n, 1);
  EXPECT_NE(newThreadNumber(), n);
  {
    ThreadScope s(n);
    EXPECT_EQ(currentThread(), n);
    {
      ThreadScope inner(1);
      EXPECT_EQ(currentThread(), 1);
    }
    EXPECT_EQ(currentThread(), n);
  }
  EXPECT_EQ(currentThread(), 1);
  std::vector<int> ended;
  int h = addThreadEndListener([&](int id) { ended.push_back(id); });
  endThread(n);
  removeThreadEndListener(h);
  endThread(n);
  EXPECT_EQ(ended, std::vector<int>{n});
}
