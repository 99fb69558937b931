#include "runtime/config/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/config/messages.h"

namespace fs = std::filesystem;
using qm::IniFile;

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void copyFixture(const std::string& to) {
  fs::copy_file(std::string(QM_FIXTURE_DIR) + "/config/mixed.ini", to);
}

}  // namespace

TEST(Settings, MissingFileGivesDefaults) {
  IniFile ini("quillmark.INI");
  EXPECT_EQ(ini.read("Preserved", "cptog", "0"), "0");
  EXPECT_EQ(ini.read("BrowseDomains", "?Browse:1:USER", "built"), "built");
  EXPECT_EQ(ini.fileName(), "quillmark.INI");
  EXPECT_FALSE(fs::exists("quillmark.INI"));
}

TEST(Settings, RoundTripOfTheNamesInUse) {
  struct Case {
    const char* section;
    const char* entry;
    const char* value;
  } cases[] = {
      {"BrowseDomains", "?Browse:1:ORIG", "80L(2)|M~Domain Name~@s50@80L(2)|M~Host~@s30@"},
      {"BrowseDomains", "?Browse:1:USER", "60L(2)|M~Domain Name~@s50@"},
      {"ReminderList", "SRCF?Browse:1", "a|b"},
      {"ReminderList", "SRCFOriginal?Browse:1", "c"},
      {"Preserved", "cptog", "1"},
      {"cpanel", "html", "C:\\Program Files\\Editor\\ed.exe"},
      {"_PreviewWindow_", "XPos", "100"},
      {"BrowseDomains", "Empty", ""},
      {"BrowseDomains", "Blanks", "  two blanks each side  "},
      {"BrowseDomains", "Quoted", "\"already quoted\""},
  };
  IniFile ini("quillmark.INI");
  for (const Case& c : cases)
    ASSERT_TRUE(ini.write(c.section, c.entry, c.value)) << ini.lastError();
  IniFile again("quillmark.INI");
  for (const Case& c : cases) EXPECT_EQ(again.read(c.section, c.entry, "?"), c.value) << c.entry;
  // Names ignore letter case, as in any INI file.
  EXPECT_EQ(again.read("preserved", "CPTOG", "?"), "1");
  EXPECT_EQ(again.read("_previewwindow_", "xpos", "?"), "100");
}

TEST(Settings, WriteKeepsOtherSectionsCommentsAndOrder) {
  copyFixture("quillmark.ini");
  IniFile ini("quillmark.ini");
  ASSERT_TRUE(ini.write("cpanel", "txted", "gedit"));
  ASSERT_TRUE(ini.write("BrowseDomains", "YPos", "40"));
  ASSERT_TRUE(ini.write("Preserved", "cptog", "0"));
  EXPECT_EQ(slurp("quillmark.ini"),
            "; settings kept by hand\n"
            "[BrowseDomains]\n"
            "Maximize=No\n"
            "?Browse:1:ORIG=80L(2)|M~Domain Name~@s50@\n"
            "XPos = 12\n"
            "YPos=40\n"
            "\n"
            "[cpanel]\n"
            "html=C:\\Tools\\edit.exe\n"
            "; the text editor\n"
            "txted=gedit\n"
            "\n"
            "[Preserved]\n"
            "cptog=0\n");
  EXPECT_EQ(ini.read("BrowseDomains", "XPos", ""), "12");
}

TEST(Settings, FileFoundWhateverItsLetterCase) {
  copyFixture("quillmark.ini");
  IniFile ini("quillmark.INI");
  EXPECT_EQ(ini.read("cpanel", "txted", ""), "notepad.exe");
  ASSERT_TRUE(ini.write("Preserved", "cptog", "1"));
  EXPECT_EQ(fs::path(ini.fileName()).filename(), "quillmark.ini");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST(Settings, ChangesOnDiskAreSeen) {
  IniFile a("quillmark.INI"), b("quillmark.INI");
  ASSERT_TRUE(a.write("Preserved", "cptog", "1"));
  EXPECT_EQ(b.read("Preserved", "cptog", "0"), "1");
  ASSERT_TRUE(b.write("Preserved", "cptog", "0"));
  EXPECT_EQ(a.read("Preserved", "cptog", "9"), "0");
}

TEST(Settings, FailedWriteLeavesTheOldFileWhole) {
  // A name so long that no temporary file can be made beside it.
  const std::string name = std::string(250, 'q') + ".ini";
  copyFixture(name);
  const std::string before = slurp(name);
  IniFile ini(name);
  EXPECT_FALSE(ini.write("Preserved", "cptog", "1"));
  EXPECT_FALSE(ini.lastError().empty());
  EXPECT_EQ(slurp(name), before);
  EXPECT_EQ(ini.read("cpanel", "txted", ""), "notepad.exe");
}

TEST(Settings, WriteIntoMissingDirectoryFails) {
  IniFile ini("nowhere/quillmark.INI");
  EXPECT_FALSE(ini.write("Preserved", "cptog", "1"));
  EXPECT_NE(ini.lastError(), "");
}

// A settings file that cannot be written (a folder nobody may write) is
// named once, not at every window close; a new reason is named again.
TEST(Settings, AWriteFailureIsReportedOnceForEachReason) {
  qm::ScriptedAnswerer answers;
  answers.install();
  IniFile ini("nowhere/quillmark.INI");
  for (int close = 0; close < 3; ++close) {
    EXPECT_FALSE(ini.write("Preserved", "cptog", "1"));
    ini.reportWriteFailure("The window position could not be saved");
  }
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].caption, "Settings File Error");
  EXPECT_EQ(answers.asked[0].text.rfind("The window position could not be saved.|Cannot write ", 0),
            0u)
      << answers.asked[0].text;
  EXPECT_FALSE(ini.write("", "a", "x"));
  ini.reportWriteFailure("The setting could not be saved");
  EXPECT_EQ(answers.asked.size(), 2u);
}

TEST(Settings, NamesAndValuesThatWouldBreakTheFileAreRefused) {
  copyFixture("quillmark.ini");
  const std::string before = slurp("quillmark.ini");
  IniFile ini("quillmark.ini");
  EXPECT_FALSE(ini.write("cpanel", "html", "a\n[Preserved]\ncptog=1"));
  EXPECT_FALSE(ini.write("cpanel", "a=b", "x"));
  EXPECT_FALSE(ini.write("cp]anel", "a", "x"));
  EXPECT_FALSE(ini.write("", "a", "x"));
  EXPECT_EQ(slurp("quillmark.ini"), before);
}

TEST(Settings, ProgramWideObjectFollowsTheName) {
  qm::setSettingsFileName("skimwell.INI");
  ASSERT_TRUE(qm::settings().write("S", "e", "v"));
  EXPECT_TRUE(fs::exists("skimwell.INI"));
  qm::setSettingsFileName("quillmark.INI");
  EXPECT_EQ(qm::settings().read("S", "e", "none"), "none");
}
