#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frame/program/globals.h"
#include "frame/program/startup.h"
#include "runtime/config/errors.h"
#include "runtime/config/filter.h"
#include "runtime/config/messages.h"
#include "runtime/config/settings.h"

namespace fs = std::filesystem;
using namespace qm;

namespace {

void writeFile(const std::string& name, const std::string& text) {
  std::ofstream out(name, std::ios::binary);
  out << text;
}

struct Ended {};

// The order in which runProgram calls its parts, with what each saw.
struct ProgramRun {
  std::vector<std::string> steps;
  int16_t cptogSeen = -1;
  int16_t cptogLeft = -1;  // what the frame leaves in cptog; -1 keeps it

  int go() {
    return runProgram(
        [this] {
          steps.push_back("frame:" + helpFileName());
          cptogSeen = cptog;
          if (cptogLeft >= 0) cptog = cptogLeft;
        },
        [this] { steps.push_back("start"); },
        [this] { steps.push_back("stop:" + settings().read("Preserved", "cptog", "none")); });
  }
};

}  // namespace

TEST(Globals, StartBlankWithTheirWidths) {
  domainname = "x";
  NoteReminderDue = "Y";
  controlPanel.html = "editor";
  RequestCode = 3;
  initGlobals();
  EXPECT_EQ(NoteReminderDue.view(), " ");
  EXPECT_EQ(CpanelOpen.view(), " ");
  for (const char* flag : {"Y", "N", ""}) {
    EXPECT_NE(NoteReminderDue.view(), flag);
    EXPECT_NE(CpanelOpen.view(), flag);
  }
  EXPECT_EQ(domainname.view(), std::string(50, ' '));
  EXPECT_TRUE(controlPanel.html.blank());
  EXPECT_EQ(RequestCode, 0);
  struct Width {
    size_t actual, expected;
  } widths[] = {{HtmlFileName.size(), kPathWidth},  // a whole local path {WorkFileName.size(), 20},
                {StartDirectory.size(), 128},      {ImagePath.size(), kPathWidth},
                {StatusText.size(), 100},          {ProgressCount.size(), 20},
                {RenewalDueFlag.size(), 20},       {NewLocalDir.size(), kPathWidth},
                {controlPanel.html.size(), 120},   {controlPanel.mail.size(), 100},
                {controlPanel.ubut3.size(), 10},   {controlPanel.ubut4.size(), 20}};
  for (const Width& w : widths) EXPECT_EQ(w.actual, w.expected);
}

TEST(Globals, BoundNamesReadTheGlobals) {
  initGlobals();
  domainname = "example.com";
  NoteReminderDue = "Y";
  Filter f = Filter::parse("'example.com' = domainname and ding = 'Y'", nullptr);
  EXPECT_TRUE(f.matches(NoNames()));
  NoteReminderDue = "";
  EXPECT_FALSE(f.matches(NoNames()));
}

TEST(Globals, QueryFilterRefusesWhatItCannotHold) {
  EXPECT_TRUE(setQueryFilter(std::string(1999, 'a')));
  EXPECT_EQ(QueryFilter.size(), 1999u);
  EXPECT_FALSE(setQueryFilter(std::string(2000, 'a')));
  EXPECT_EQ(QueryFilter, "");
}

TEST(Preserved, LoadReadsANumberOrZero) {
  struct Case {
    const char* file;
    int16_t expected;
  } cases[] = {{"[Preserved]\ncptog=1\n", 1},   {"[preserved]\nCPTOG = 0\n", 0},
               {"[Preserved]\ncptog=abc\n", 0}, {"[Preserved]\ncptog=\n", 0},
               {"[Other]\ncptog=1\n", 0},       {"[Preserved]\ncptog=99999\n", 0}};
  setSettingsFileName("quillmark.INI");
  for (const Case& c : cases) {
    writeFile("quillmark.INI", c.file);
    cptog = 7;
    LoadPreserved();
    EXPECT_EQ(cptog, c.expected) << c.file;
  }
}

TEST(Startup, FirstRunWithoutSettingsFile) {
  ProgramRun run;
  EXPECT_EQ(run.go(), 0);
  EXPECT_EQ(run.cptogSeen, 0);
  // Start-up before the frame; cptog is written before the dictionary stops.
  EXPECT_EQ(run.steps, (std::vector<std::string>{"start", "frame:QUILLMARK.HLP", "stop:0"}));
  EXPECT_EQ(IniFile("quillmark.INI").read("Preserved", "cptog", "none"), "0");
}

TEST(Startup, PreservedSettingLoadedAndWrittenBack) {
  writeFile("Quillmark.ini", "[cpanel]\nhtml=ed\n[Preserved]\ncptog=1\n");
  ProgramRun run;
  run.cptogLeft = 0;
  run.go();
  EXPECT_EQ(run.cptogSeen, 1);
  EXPECT_EQ(IniFile("quillmark.INI").read("Preserved", "cptog", "none"), "0");
  EXPECT_EQ(IniFile("quillmark.INI").read("cpanel", "html", "none"), "ed");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST(Startup, FatalErrorShutsDownOnceThenExits) {
  ScriptedAnswerer answers;
  answers.install();
  std::vector<int> exits;
  errors().setExitFunction([&](int code) {
    exits.push_back(code);
    throw Ended{};
  });
  std::vector<std::string> steps;
  auto stop = [&] { steps.push_back("stop:" + settings().read("Preserved", "cptog", "none")); };
  EXPECT_THROW(
      runProgram([&] { errors().raise(23, {.file = "Domains", .errorText = "Access Denied"}); },
                 [&] { steps.push_back("start"); }, stop),
      Ended);
  errors().setExitFunction([](int code) { std::exit(code); });
  EXPECT_EQ(exits, std::vector<int>{1});
  EXPECT_EQ(steps, (std::vector<std::string>{"start", "stop:0"}));
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].caption, "File Access Error");

  // The next run starts clean: no handler of the ended run is left behind.
  ProgramRun run;
  run.go();
  EXPECT_EQ(run.steps.size(), 3u);
}

TEST(Startup, FailedSettingsWriteIsReported) {
  fs::create_directory("quillmark.INI");  // a directory where the file should be
  ScriptedAnswerer answers;
  answers.install();
  ProgramRun run;
  run.go();
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].caption, "Settings File Error");
}
