#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "dictionary/batchwriter.h"
#include "runtime/config/requests.h"
#include "runtime/store/store.h"
#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"
#include "webdata/reports/windows.h"
#include "webfixture.h"

namespace {

using qm::FileId;

class DomainChanges : public qmtest::WebData {
 protected:
  void page(const std::string& domain, const std::string& name, const std::string& use = "") {
    add(FileId::WebPages, {{"WEB:DOMAINNAME", domain},
                           {"WEB:PAGENAME", name},
                           {"WEB:USENOW", use},
                           {"WEB:LOCALPATH", "C:\\old\\" + name},
                           {"WEB:LOCALDEFAULTDIRECTORY", "C:\\old"}});
  }
  void domain(const std::string& name) {
    add(FileId::Domains, {{"DOM:DOMAINNAME", name}, {"DOM:DEFAULTLOCALDIR", "C:\\old"}});
  }
  // Opens the window, types into its entries, presses its run button and
  // waits for the run it started; the window stays open.
  qm::webreports::StarterWindow* open(const std::string& window) {
    const int t = qm::startNamedProcedure(window, 0);
    EXPECT_GT(t, 0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return qm::topProcedure(t) && qm::topProcedure(t)->window(); }, 2000));
    return dynamic_cast<qm::webreports::StarterWindow*>(qm::topProcedure(t));
  }
  void type(qm::WindowProcedure* w, const std::string& id, const std::string& text) {
    auto* edit = qobject_cast<QLineEdit*>(w->control(id)->widget());
    ASSERT_TRUE(edit) << id;
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromStdString(text));
  }
  void process(qm::webreports::StarterWindow* w) {
    auto* run = qobject_cast<QPushButton*>(w->control("?Process")->widget());
    ASSERT_TRUE(run);
    const int before = w->lastStarted();
    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->lastStarted() != before; }, 2000));
    const int t = w->lastStarted();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !qm::threadRunning(t); }, 5000));
  }
  std::vector<std::string> column(FileId id, const char* field) {
    std::vector<std::string> out;
    for (const auto& r : all(id)) out.push_back(r.text(field));
    return out;
  }
};

TEST_F(DomainChanges, NewLocalPathsForEveryPageAndTheDomainOnce) {
  page("site.com", "index.htm");
  page("other.com", "keep.htm");
  page("site.com", "about.htm");
  domain("Site.com");  // the domain key ignores case
  domain("other.com");

  auto* w = open("ChgLoPaWindow");
  ASSERT_TRUE(w);
  EXPECT_EQ(w->outerWindow()->windowTitle().toStdString(),
            "Change Local Path Name in ALL Web Pages By Domain");
  type(w, "?domainname", "site.com");
  type(w, "?NewLocalDir", "D:\\web\\new");
  process(w);
  EXPECT_EQ(column(FileId::WebPages, "WEB:LOCALPATH"),
            (std::vector<std::string>{"D:/web/new/index.htm", "C:\\old\\keep.htm",
                                      "D:/web/new/about.htm"}));
  EXPECT_EQ(column(FileId::WebPages, "WEB:LOCALDEFAULTDIRECTORY"),
            (std::vector<std::string>{"D:\\web\\new", "C:\\old", "D:\\web\\new"}));
  EXPECT_EQ(column(FileId::Domains, "DOM:DEFAULTLOCALDIR"),
            (std::vector<std::string>{"D:\\web\\new", "C:\\old"}));

  // A second press with a long directory: path and directory are kept whole
  // (the path names the file); the window kept the values typed.
  const std::string dir75 = "D:\\" + std::string(72, 'd');
  type(w, "?NewLocalDir", dir75);
  EXPECT_EQ(qm::domainname.str(), "site.com");
  process(w);
  const auto paths = column(FileId::WebPages, "WEB:LOCALPATH");
  EXPECT_EQ(paths[0], "D:/" + std::string(72, 'd') + "/index.htm");
  EXPECT_EQ(column(FileId::WebPages, "WEB:LOCALDEFAULTDIRECTORY")[0], dir75);
  EXPECT_EQ(column(FileId::Domains, "DOM:DEFAULTLOCALDIR")[0], dir75);

  // A domain without pages leaves the domain record alone.
  type(w, "?domainname", "other.co");
  type(w, "?NewLocalDir", "E:\\x");
  process(w);
  EXPECT_EQ(column(FileId::Domains, "DOM:DEFAULTLOCALDIR"),
            (std::vector<std::string>{dir75, "C:\\old"}));
  EXPECT_TRUE(answers_.asked.empty());

  QTest::mouseClick(qobject_cast<QPushButton*>(w->control("?CloseWindow")->widget()),
                    Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w || !w->isRunning(); }, 2000));
}

TEST_F(DomainChanges, ABlankNewDirectoryIsRefusedAndChangesNothing) {
  page("site.com", "index.htm");
  domain("site.com");
  auto* w = open("ChgLoPaWindow");
  ASSERT_TRUE(w);
  type(w, "?domainname", "site.com");
  type(w, "?NewLocalDir", "   ");
  QTest::mouseClick(qobject_cast<QPushButton*>(w->control("?Process")->widget()), Qt::LeftButton);
  QTest::qWait(100);
  EXPECT_EQ(w->lastStarted(), 0);  // no run started
  ASSERT_EQ(answers_.asked.size(), 1u);
  EXPECT_EQ(answers_.asked[0].caption, "Change Local Path Name in ALL Web Pages By Domain");
  EXPECT_NE(answers_.asked[0].text.find("New Local Dir:"), std::string::npos)
      << answers_.asked[0].text;
  EXPECT_EQ(column(FileId::WebPages, "WEB:LOCALPATH"),
            (std::vector<std::string>{"C:\\old\\index.htm"}));
  EXPECT_EQ(column(FileId::WebPages, "WEB:LOCALDEFAULTDIRECTORY"),
            (std::vector<std::string>{"C:\\old"}));
  EXPECT_EQ(column(FileId::Domains, "DOM:DEFAULTLOCALDIR"), (std::vector<std::string>{"C:\\old"}));
  // Filled in, the same window runs.
  type(w, "?NewLocalDir", "/srv/site");
  process(w);
  EXPECT_EQ(column(FileId::WebPages, "WEB:LOCALPATH"),
            (std::vector<std::string>{"/srv/site/index.htm"}));
  w->requestClose();
}

TEST_F(DomainChanges, MarkAllPagesCurrentlyUsed) {
  page("use.com", "a.htm", "N");
  page("use.com", "b.htm", "");
  page("use.com", "c.htm", "Y");
  page("Use.com", "d.htm", "N");  // another domain by its text
  auto* w = open("chgcurruse");
  ASSERT_TRUE(w);
  type(w, "?domainname", "use.com");
  process(w);
  EXPECT_EQ(column(FileId::WebPages, "WEB:USENOW"), (std::vector<std::string>{"Y", "Y", "Y", "N"}));
  EXPECT_EQ(column(FileId::WebPages, "WEB:LOCALPATH")[0], "C:\\old\\a.htm");
  w->requestClose();
}

// Esc presses the window's Cancel-role "Close Window" button: typed values
// are dropped and nothing is changed.
TEST_F(DomainChanges, EscClosesAChangeWindowWithoutChangingAnything) {
  page("esc.com", "a.htm", "N");
  domain("esc.com");
  for (const char* window : {"ChgLoPaWindow", "chgcurruse"}) {
    auto* w = open(window);
    ASSERT_TRUE(w) << window;
    QApplication::setActiveWindow(w->outerWindow());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w->outerWindow())) << window;
    ASSERT_TRUE(QApplication::focusWidget()) << window;
    QTest::keyClicks(QApplication::focusWidget(), "esc.com");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->isRunning(); }, 2000)) << window;
    EXPECT_EQ(w->lastStarted(), 0) << window;
  }
  EXPECT_EQ(column(FileId::WebPages, "WEB:USENOW"), (std::vector<std::string>{"N"}));
  EXPECT_EQ(column(FileId::Domains, "DOM:DEFAULTLOCALDIR"), (std::vector<std::string>{"C:\\old"}));
  EXPECT_TRUE(answers_.asked.empty());
}

// What the progress window's bar showed on screen during a run.
class BarPaints : public QObject {
 public:
  BarPaints() { qApp->installEventFilter(this); }
  ~BarPaints() override { qApp->removeEventFilter(this); }
  std::vector<int> values;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint)
      if (auto* bar = qobject_cast<QProgressBar*>(o);
          bar && bar->window()->windowTitle() == "Processing Records")
        values.push_back(bar->value());
    return false;
  }
};

TEST_F(DomainChanges, ProgressShowsWhileTheRunReadsInOneLongStretch) {
  // The fixed clock makes the batch rule read every page in one timer event.
  for (int i = 0; i < 120; ++i) page("long.com", "p" + std::to_string(100 + i) + ".htm", "N");
  auto* w = open("chgcurruse");
  ASSERT_TRUE(w);
  type(w, "?domainname", "long.com");
  BarPaints paints;
  process(w);
  const auto use = column(FileId::WebPages, "WEB:USENOW");
  EXPECT_EQ(std::count(use.begin(), use.end(), "Y"), 120);
  const auto between = std::count_if(paints.values.begin(), paints.values.end(),
                                     [](int v) { return v > 0 && v < 100; });
  EXPECT_GE(between, 10);
  EXPECT_TRUE(std::is_sorted(paints.values.begin(), paints.values.end()));
  w->requestClose();
}

TEST_F(DomainChanges, CancelKeepsWhatWasWritten) {
  for (int i = 0; i < 60; ++i)
    page("big.com", std::string("p").append(std::to_string(100 + i)).append(".htm"), "N");
  auto* w = open("chgcurruse");
  ASSERT_TRUE(w);
  type(w, "?domainname", "big.com");
  QTest::mouseClick(qobject_cast<QPushButton*>(w->control("?Process")->widget()), Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->lastStarted() != 0; }, 2000));
  // The run's progress window, cancelled as soon as it shows.
  QDialog* progress = nullptr;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (QWidget* t : QApplication::topLevelWidgets())
          if (t->isVisible() && t->windowTitle() == "Processing Records")
            progress = qobject_cast<QDialog*>(t);
        return progress != nullptr;
      },
      2000));
  std::vector<std::string> texts;
  for (auto* l : progress->findChildren<QLabel*>()) texts.push_back(l->text().toStdString());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Changing Local Path"), texts.end());
  QPushButton* cancel = nullptr;
  for (auto* b : progress->findChildren<QPushButton*>())
    if (b->text() == "Cancel") cancel = b;
  ASSERT_TRUE(cancel);
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !qm::threadRunning(w->lastStarted()); }, 5000));
  const auto use = column(FileId::WebPages, "WEB:USENOW");
  const auto marked = std::count(use.begin(), use.end(), "Y");
  EXPECT_LT(marked, 60);
  // Written in key order: the first pages marked, the rest as they were.
  for (std::size_t i = 0; i < use.size(); ++i)
    EXPECT_EQ(use[i], i < static_cast<std::size_t>(marked) ? "Y" : "N");
  w->requestClose();
}

TEST_F(DomainChanges, AReadOnlyPagesFileIsNamedOnceAndTheEndCountsThePagesNotChanged) {
  for (const char* name : {"a.htm", "b.htm", "c.htm"}) page("site.com", name, "N");
  domain("site.com");
  for (const char* window : {"ChgLoPaWindow", "chgcurruse"}) {
    answers_.asked.clear();
    qm::store::setUnwritableForTests("WEBPAGES.qdf");
    auto* w = open(window);
    ASSERT_TRUE(w);
    type(w, "?domainname", "site.com");
    if (w->control("?NewLocalDir")) type(w, "?NewLocalDir", "D:\\new");
    process(w);
    qm::store::clearFaultsForTests();
    ASSERT_EQ(answers_.asked.size(), 2u) << window;  // the reason once, then the count
    EXPECT_EQ(answers_.asked[0].icon, qm::MsgIcon::Stop) << window;
    EXPECT_NE(answers_.asked[0].text.find("Read-Only"), std::string::npos)
        << answers_.asked[0].text;
    EXPECT_EQ(answers_.asked[1].text, "0 pages changed, 3 pages not changed.") << window;
    EXPECT_EQ(column(FileId::WebPages, "WEB:USENOW"), (std::vector<std::string>{"N", "N", "N"}))
        << window;
    EXPECT_EQ(column(FileId::WebPages, "WEB:LOCALDEFAULTDIRECTORY"),
              (std::vector<std::string>{"C:\\old", "C:\\old", "C:\\old"}))
        << window;
    w->requestClose();
  }
}

TEST_F(DomainChanges, AFailedCommitsPagesAreWrittenAgainAndNoneIsLost) {
  for (int i = 0; i < 30; ++i)
    page("site.com", std::string("p").append(std::to_string(100 + i)).append(".htm"), "N");
  domain("site.com");
  for (const char* window : {"ChgLoPaWindow", "chgcurruse"}) {
    answers_.asked.clear();
    auto* w = open(window);
    ASSERT_TRUE(w);
    type(w, "?domainname", "site.com");
    if (w->control("?NewLocalDir")) type(w, "?NewLocalDir", "/srv/new");
    qm::store::failCommitsForTests(1);
    process(w);
    qm::store::clearFaultsForTests();
    EXPECT_TRUE(answers_.asked.empty()) << window << ": " << answers_.asked.front().text;
    const char* field = w->control("?NewLocalDir") ? "WEB:LOCALDEFAULTDIRECTORY" : "WEB:USENOW";
    const std::string value = w->control("?NewLocalDir") ? "/srv/new" : "Y";
    EXPECT_EQ(column(FileId::WebPages, field), std::vector<std::string>(30, value)) << window;
    if (w->control("?NewLocalDir")) {
      EXPECT_EQ(column(FileId::Domains, "DOM:DEFAULTLOCALDIR"),
                (std::vector<std::string>{"/srv/new"}));
    }
    w->requestClose();
  }
}

// Another program denies writing: the run waits for it with its window
// answering, then names the refusal once and counts every page it could
// not change.
TEST_F(DomainChanges, ARunRefusedByAnotherProgramsLockAnswersAndCountsEveryPage) {
  for (int i = 0; i < 30; ++i)
    page("held.com", std::string("p").append(std::to_string(100 + i)).append(".htm"), "N");
  qm::RecordFile other(qm::fileDef(FileId::WebPages));
  ASSERT_EQ(other.open(qm::OpenMode::ReadWriteDenyWrite, false, 0), 0);
  qm::BatchWriter::setBeginWaitForTests(1);
  auto* w = open("chgcurruse");
  ASSERT_TRUE(w);
  type(w, "?domainname", "held.com");
  bool answeredWhileWaiting = false;  // a timer due while the run waits for the files
  QTimer::singleShot(300, [&] { answeredWhileWaiting = answers_.asked.empty(); });
  process(w);
  qm::BatchWriter::setBeginWaitForTests(-1);
  other.close();
  EXPECT_TRUE(answeredWhileWaiting);
  ASSERT_EQ(answers_.asked.size(), 2u);
  EXPECT_EQ(answers_.asked[0].caption, "Transaction cancelled");
  EXPECT_EQ(answers_.asked[1].text, "0 pages changed, 30 pages not changed.");
  EXPECT_EQ(column(FileId::WebPages, "WEB:USENOW"), std::vector<std::string>(30, "N"));
  w->requestClose();
}

}  // namespace
