#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "resources/resources.h"
#include "runtime/config/messages.h"
#include "runtime/desktop/commandline.h"
#include "runtime/desktop/help.h"
#include "runtime/desktop/jpeg.h"
#include "runtime/desktop/shellopen.h"

namespace fs = std::filesystem;
using namespace qm;

namespace {

void writeFile(const std::string& name, const std::string& text, bool executable = false) {
  std::ofstream(name) << text;
  if (executable)
    fs::permissions(name, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

struct Started {
  std::string program;
  std::vector<std::string> arguments;
};

// Records what would be started instead of starting it.
struct StartRecorder {
  std::vector<Started> started;
  ProcessStarter previous;
  StartRecorder() {
    previous = setProcessStarter([this](const std::string& p, const std::vector<std::string>& a) {
      started.push_back({p, a});
      return true;
    });
  }
  ~StartRecorder() { setProcessStarter(previous); }
};

struct OpenRecorder {
  std::vector<QUrl> opened;
  bool accept = true;
  UrlOpener previous;
  OpenRecorder() {
    previous = setUrlOpener([this](const QUrl& u) {
      opened.push_back(u);
      return accept;
    });
  }
  ~OpenRecorder() { setUrlOpener(previous); }
};

std::string here(const std::string& name) { return (fs::current_path() / name).string(); }

}  // namespace

TEST(CommandLine, Splits) {
  struct Case {
    const char* line;
    const char* program;
    std::vector<std::string> args;
  } cases[] = {
      {"qdffix.exe ", "qdffix.exe", {}},
      {"winhelp.exe reference.hlp", "winhelp.exe", {"reference.hlp"}},
      {"  \"my tool.exe\" a \"b c\"  ", "my tool.exe", {"a", "b c"}},
      {"edit \"\"", "edit", {""}},
      {"   ", "", {}},
  };
  for (const Case& c : cases) {
    CommandParts parts = splitCommandLine(c.line);
    EXPECT_EQ(parts.program, c.program) << c.line;
    EXPECT_EQ(parts.arguments, c.args) << c.line;
  }
}

TEST(CommandLine, ExeNameStartsTheExecutableInTheCurrentDirectory) {
  StartRecorder rec;
  writeFile("links", "#!/bin/sh\n", true);
  writeFile("winhelp.exe", "");
  EXPECT_TRUE(startCommandLine("links.exe "));
  EXPECT_TRUE(startCommandLine("winhelp.exe reference.hlp"));
  ASSERT_EQ(rec.started.size(), 2u);
  EXPECT_TRUE(fs::equivalent(rec.started[0].program, here("links")));
  EXPECT_TRUE(rec.started[0].arguments.empty());
  EXPECT_EQ(fs::path(rec.started[1].program).filename(), "winhelp.exe");
  EXPECT_EQ(rec.started[1].arguments, std::vector<std::string>{"reference.hlp"});
}

// A configured command line is split once; a page path follows as one
// argument, whatever blanks, quotes or dashes it holds; no shell reads it.
TEST(CommandLine, PathGoesAsExactlyOneArgument) {
  StartRecorder rec;
  fs::create_directory("my tools");
  writeFile("my tools/ed it", "#!/bin/sh\n", true);
  const std::string ed = here("my tools/ed it");
  struct Case {
    std::string line, path;
    std::vector<std::string> args;
  } cases[] = {
      {"\"" + ed + "\" -edit \"a b\"",
       "/tmp/my site/page one.htm",
       {"-edit", "a b", "/tmp/my site/page one.htm"}},
      {ed + " -edit  ",
       "x; rm -rf \"$HOME\" *.htm",
       {"-edit", "x; rm -rf \"$HOME\" *.htm"}},  // unquoted, blanks and all
      {ed, "-rf page.htm", {"./-rf page.htm"}},
      {ed, "", {""}},
  };
  for (const Case& c : cases) {
    rec.started.clear();
    ASSERT_TRUE(startCommandLineWith(c.line, c.path)) << c.line;
    ASSERT_EQ(rec.started.size(), 1u);
    EXPECT_TRUE(fs::equivalent(rec.started[0].program, ed)) << c.line;
    EXPECT_EQ(rec.started[0].arguments, c.args) << c.line;
  }
  rec.started.clear();
  EXPECT_FALSE(startCommandLineWith("\"" + here("my tools/ed") + "\" it",
                                    "p.htm"));  // quoted: no longer run tried
  EXPECT_FALSE(startCommandLineWith("   ", "p.htm"));
  EXPECT_TRUE(rec.started.empty());
}

TEST(CommandLine, NothingToStartIsAFailureWithoutStarting) {
  StartRecorder rec;
  EXPECT_FALSE(startCommandLine("qdffix.exe "));
  EXPECT_FALSE(startCommandLine(""));
  EXPECT_TRUE(rec.started.empty());
}

TEST(CommandLine, AFailedStartSaysWhichProgramAndWhy) {
  ScriptedAnswerer answers;
  answers.install();
  writeFile("qdffix",
            std::string("\x7f"
                        "ELF not really",
                        14),
            true);  // executable, yet no program
  const std::string head = "The program \"";
  struct Case {
    std::string line, text;  // "" no message
  } cases[] = {
      {"qdffix.exe ",
       head + fs::canonical("qdffix").string() + "\" could not be started:|Exec format error."},
      {"links.exe ",
       head + "links.exe\" could not be started:|no program of that name was found beside this "
              "program, in the current directory or on the search path."},
      {"   ", ""},
  };
  for (const Case& c : cases) {
    answers.asked.clear();
    EXPECT_FALSE(startCommandLine(c.line));
    ASSERT_EQ(answers.asked.size(), c.text.empty() ? 0u : 1u) << c.line;
    if (c.text.empty()) continue;
    EXPECT_EQ(answers.asked[0].caption, "Program Not Started");
    EXPECT_EQ(answers.asked[0].text, c.text);
  }
}

TEST(CommandLine, StartsWithoutWaiting) {
  // The child goes on only once the start has returned, so a start that waited
  // for it would see it give up; the answer appears whole, by a rename.
  writeFile("policy",
            "#!/bin/sh\n"
            "i=0; while [ ! -e go ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n"
            "if [ -e go ]; then echo \"$1\"; else echo waited; fi > started.tmp\n"
            "mv started.tmp started.txt\n",
            true);
  ASSERT_TRUE(startCommandLine("policy.exe hello"));
  writeFile("go", "");
  for (int i = 0; i < 600 && !fs::exists("started.txt"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ifstream in("started.txt");
  std::string word;
  in >> word;
  EXPECT_EQ(word, "hello");
}

TEST(ShellOpen, Urls) {
  writeFile("page.htm", "<html></html>");
  const std::string long300 = "example.com/" + std::string(300, 'a');
  struct Case {
    std::string text;
    QString url;  // "" = nothing to open
  } cases[] = {
      {"", ""},
      {"     ", ""},
      {"mailto:", "mailto:"},
      {"mailto:someone@example.com   ", "mailto:someone@example.com"},
      {"http://example.com/a.htm ", "http://example.com/a.htm"},
      {"www.example.com", "http://www.example.com"},
      {"page.htm", QUrl::fromLocalFile(QString::fromStdString(here("page.htm"))).toString()},
      {long300, QString::fromStdString("http://" + long300.substr(0, 255))},
  };
  for (const Case& c : cases) {
    const QUrl u = shellUrl(c.text);
    if (c.url.isEmpty())
      EXPECT_TRUE(u.isEmpty()) << c.text;
    else
      EXPECT_EQ(u.toString(), c.url) << c.text;
  }
}

TEST(ShellOpen, BlankOpensNothingAndFailuresAreQuiet) {
  OpenRecorder rec;
  ScriptedAnswerer boxes;
  boxes.install();
  rec.accept = false;
  RunShellCommand(nullptr, "   ");
  RunShellCommand(nullptr, "mailto:x@y.org ");
  ASSERT_EQ(rec.opened.size(), 1u);
  EXPECT_EQ(rec.opened[0].toString(), "mailto:x@y.org");
  EXPECT_TRUE(boxes.asked.empty());
}

TEST(Help, MissingFileSaysSo) {
  OpenRecorder rec;
  ScriptedAnswerer boxes;
  boxes.install();
  EXPECT_FALSE(showHelp("QUILLMARK.HLP", HelpRequest::Contents));
  EXPECT_TRUE(rec.opened.empty());
  ASSERT_EQ(boxes.asked.size(), 1u);
  EXPECT_NE(boxes.asked[0].text.find("QUILLMARK.HLP"), std::string::npos);
}

TEST(Help, FoundWhateverItsCaseAndOpened) {
  OpenRecorder rec;
  ScriptedAnswerer boxes;
  boxes.install();
  writeFile("quillmark.hlp", "help");
  EXPECT_TRUE(showHelp("QUILLMARK.HLP", HelpRequest::Search));
  ASSERT_EQ(rec.opened.size(), 1u);
  EXPECT_TRUE(fs::equivalent(rec.opened[0].toLocalFile().toStdString(), here("quillmark.hlp")));
  EXPECT_TRUE(boxes.asked.empty());

  rec.accept = false;  // no program for it on this desktop
  EXPECT_FALSE(showHelp("QUILLMARK.HLP", HelpRequest::Contents));
  EXPECT_EQ(boxes.asked.size(), 1u);
}

TEST(Jpeg, DecodesColourAndGreyPictures) {
  std::string error;
  QImage wall = decodeJpeg(resourceData("newqmk 2.jpg"), &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(wall.size(), QSize(1024, 768));

  struct Case {
    QImage::Format format;
    QColor colour;
  } cases[] = {{QImage::Format_RGB32, QColor(200, 40, 30)},
               {QImage::Format_Grayscale8, QColor(90, 90, 90)}};
  for (const Case& c : cases) {
    QImage src(16, 8, c.format);
    src.fill(c.colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    ASSERT_TRUE(src.save(&buf, "JPG", 95));
    QImage out = decodeJpeg(bytes, &error);
    ASSERT_FALSE(out.isNull()) << error;
    EXPECT_EQ(out.size(), QSize(16, 8));
    const QColor got = out.pixelColor(8, 4);
    EXPECT_NEAR(got.red(), c.colour.red(), 6);
    EXPECT_NEAR(got.green(), c.colour.green(), 6);
    EXPECT_NEAR(got.blue(), c.colour.blue(), 6);
  }
}

TEST(Jpeg, BadDataAndMissingFilesAreReported) {
  std::string error;
  EXPECT_TRUE(decodeJpeg(QByteArray("not a picture at all"), &error).isNull());
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(decodeJpeg(QByteArray(), &error).isNull());
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(loadJpeg("missing.jpg", &error).isNull());
  EXPECT_NE(error.find("missing.jpg"), std::string::npos);
}

TEST(Resources, NamesMapToOurIcons) {
  for (const char* name : {"~qm.ico", "qm.ico", "VCRFIRST.ICO", "vcrprior.ico", "VCRUP.ICO",
                           "FIND.ICO", "VCRDOWN.ICO", "VCRNEXT.ICO", "VCRLAST.ICO", "MARK.ICO",
                           "INSERT.ICO", "EDIT.ICO", "DELETE.ICO", "DITTO.ICO", "HELP.ICO"})
    EXPECT_FALSE(resourceIcon(name).pixmap(16, 16).isNull()) << name;
  EXPECT_TRUE(resourceIcon("nothing.ico").isNull());
  std::string error;
  EXPECT_TRUE(resourceData("nothing.jpg", &error).isEmpty());
  EXPECT_FALSE(error.empty());
}
