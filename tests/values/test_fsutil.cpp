#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QFile>
#include <filesystem>
#include <fstream>

#include "runtime/values/date.h"
#include "runtime/values/fsutil.h"
#include "testdir.h"

using namespace qm;
namespace fs = std::filesystem;

namespace {
void touch(const std::string& path, const std::string& body = "x", bool exec = false) {
  std::ofstream(path) << body;
  if (exec) fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
}
}  // namespace

TEST(FsUtil, Paths) {
  EXPECT_EQ(normalizePath("a\\b\\c.txt"), "a/b/c.txt");
  struct Join {
    std::string_view a, b, want;
  };
  const Join joins[] = {
      {"dir", "f.txt", "dir/f.txt"},
      {"dir/", "f.txt", "dir/f.txt"},
      {"dir\\", "\\f.txt", "dir/f.txt"},
      {"", "f.txt", "f.txt"},
      {"dir", "", "dir"},
      {"/", "f", "/f"},
  };
  for (const auto& j : joins) EXPECT_EQ(joinPath(j.a, j.b), j.want) << j.a << " + " << j.b;
  // A listed name keeps its backslash: it is part of the name here.
  EXPECT_EQ(joinName("site\\blog", "back\\slash.htm"), "site/blog/back\\slash.htm");
  for (auto p : {"C:\\x", "c:/x", "C:", "z:"}) EXPECT_TRUE(hasDriveLetter(p)) << p;
  for (auto p : {"", "x", "/c:/x", "1:/x", "ab:"}) EXPECT_FALSE(hasDriveLetter(p)) << p;
  EXPECT_EQ(currentDirectory(), qmtest::testDirectory());
  EXPECT_TRUE(directoryExists(programDirectory()));
  EXPECT_TRUE(fileExists(joinPath(programDirectory(), "test_fsutil")));
}

TEST(FsUtil, FindNoCase) {
  touch("control.qdf");
  touch("Both.txt");
  touch("both.txt");
  fs::create_directory("Sub");
  touch("Sub/Deep.HTM");
  EXPECT_EQ(findNoCase("", "Control.qdf"), "control.qdf");
  EXPECT_EQ(findNoCase("", "CONTROL.QDF"), "control.qdf");
  EXPECT_EQ(findNoCase(".", "Control.qdf"), "./control.qdf");
  EXPECT_EQ(findNoCase("", "both.txt"), "both.txt");  // exact wins
  EXPECT_EQ(findNoCase("", "Both.txt"), "Both.txt");
  EXPECT_EQ(findNoCase("", "sub\\deep.htm"), "Sub/Deep.HTM");
  EXPECT_EQ(findNoCase(qmtest::testDirectory(), "SUB/DEEP.htm"),
            qmtest::testDirectory() + "/Sub/Deep.HTM");
  EXPECT_EQ(findNoCase("", "control.qd"), "");
  EXPECT_EQ(findNoCase("", "missing.txt"), "");
  EXPECT_EQ(findNoCase("nodir", "control.qdf"), "");
  EXPECT_EQ(findNoCase("control.qdf", "x"), "");  // a file is no directory
  EXPECT_TRUE(fileExists("control.qdf"));
  EXPECT_FALSE(fileExists("Sub"));
  EXPECT_TRUE(directoryExists("Sub"));
  EXPECT_FALSE(directoryExists("control.qdf"));
}

TEST(FsUtil, ResolveExecutable) {
  fs::create_directory("prog");
  touch("prog/tool", "#!/bin/sh\n", true);
  touch("prog/notexec", "", false);
  touch("Local.EXE");
  touch("here", "#!/bin/sh\n", true);
  const std::string prog = qmtest::testDirectory() + "/prog";
  struct Case {
    std::string cmd;
    std::string want;
  };
  const Case cases[] = {
      {"tool.exe", prog + "/tool"}, {"TOOL.EXE", prog + "/tool"},
      {"local.exe", "Local.EXE"},   {"here.exe", "here"},
      {"tool", prog + "/tool"},     {"notexec.exe", ""},
      {"absent.exe", ""},           {".exe", ""},
      {"C:\\bin\\tool.exe", ""},    {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(resolveExecutable(c.cmd, prog), c.want) << c.cmd;
  // A real "X.exe" beside the program wins over X.
  touch("prog/tool.exe");
  EXPECT_EQ(resolveExecutable("tool.exe", prog), prog + "/tool.exe");
}

TEST(FsUtil, ListHtmlFiles) {
  fs::create_directory("site");
  for (auto n : {"b.html", "A.HTM", "c.Htm", "skip.txt", "page.htm.bak", "a.htm"})
    touch("site/" + std::string(n), "12345");
  fs::create_directory("site/dir.htm");
  const QDateTime when(QDate(2023, 3, 4), QTime(15, 6, 7));
  QFile f("site/b.html");
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
  f.close();

  std::string error = "stale";
  const auto list = listHtmlFiles("site", &error);
  EXPECT_EQ(error, "");
  std::vector<std::string> names;
  for (const auto& e : list) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A.HTM", "a.htm", "b.html", "c.Htm"}));
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[2].size, 5);
  EXPECT_EQ(list[2].day, dayNumber(2023, 3, 4));
  EXPECT_EQ(list[2].time, timeOf(15, 6, 7));

  EXPECT_TRUE(listHtmlFiles("nothere", &error).empty());
  EXPECT_NE(error.find("nothere"), std::string::npos);
  EXPECT_TRUE(listHtmlFiles("nothere", nullptr).empty());
}

TEST(FsUtil, ListHtmlFilesTakesRegularFilesAndLinksToThemByTheirOwnBytes) {
  fs::create_directory("odd");
  const std::string latin1 = "caf\xe9.htm";  // not valid UTF-8
  touch("odd/" + latin1, "<title>x</title>");
  touch("odd/target.txt", "1234567");
  fs::create_symlink("target.txt", "odd/link.htm");
  fs::create_symlink("nothere.txt", "odd/dangling.htm");
  fs::create_directory("odd/sub");
  fs::create_symlink("sub", "odd/dirlink.htm");
  ASSERT_EQ(::mkfifo("odd/p.htm", 0600), 0);  // listing must neither open nor list it

  std::string error = "stale";
  const auto list = listHtmlFiles("odd", &error);
  EXPECT_EQ(error, "");
  std::vector<std::string> names;
  for (const auto& e : list) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{latin1, "link.htm"}));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].size, 7);  // the target's size
  EXPECT_TRUE(fileExists(joinName("odd", list[0].name)));
}

TEST(FsUtil, DiskPathFindsAFileStoredUnderItsWindows1252Reading) {
  fs::create_directory("odd");
  touch("odd/caf\xe9 \x93q\x94.htm");  // Latin-1 bytes, a 1252 quote pair too
  touch("odd/\xc3\xa9t\xc3\xa9.htm");  // UTF-8 "été.htm": found as it stands
  struct Case {
    const char* stored;
    const char* onDisk;
  };
  const Case cases[] = {
      {"odd\\caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d.htm", "odd/caf\xe9 \x93q\x94.htm"},
      {"odd/\xc3\xa9t\xc3\xa9.htm", "odd/\xc3\xa9t\xc3\xa9.htm"},
      {"odd/\xd0\xb6.htm", "odd/\xd0\xb6.htm"},  // no 1252 byte for it: left as stored
      {"odd/none.htm", "odd/none.htm"},
  };
  for (const Case& c : cases) EXPECT_EQ(diskPath(c.stored), c.onDisk) << c.stored;
}
