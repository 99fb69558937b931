// Start-up on a large domains file: from the program's start to the frame,
// to the first rows of the Domains browse opened at once with F5, and to the
// first rows of the reminder list that the start-up check opens meanwhile.
// The title window is closed at once, so the check runs while F5 is pressed.
//   bench_startup [domains] [runs] [due]   (defaults 1000000, 5 and 20)
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "appkit/procedures.h"
#include "desk/register.h"
#include "desk/reminders.h"
#include "dictionary/dictionary.h"
#include "frame/mainframe.h"
#include "frame/program/globals.h"
#include "frame/program/startup.h"
#include "records/register.h"
#include "runtime/config/messages.h"
#include "runtime/store/store.h"
#include "runtime/ui/browse.h"
#include "runtime/values/clock.h"

using namespace qm;
using Steady = std::chrono::steady_clock;

namespace {

double ms(Steady::time_point a, Steady::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

void check(int rc, RecordFile& f, const char* what) {
  if (rc == 0) return;
  std::fprintf(stderr, "%s failed: %s\n", what, f.errorDetail().c_str());
  std::exit(1);
}

// A few domains due for renewal, spread through the file; the others renew
// within the last or the next two years (a few have no date). A thousand
// notes, ten of them reminders.
void generate(int domains, int due) {
  const int32_t now = today();
  RecordFile d(fileDef(FileId::Domains));
  check(d.open(OpenMode::ReadWriteDenyNone, true, 10), d, "open DOMAINS");
  check(d.beginBatch(), d, "begin");
  RecordBuffer& b = d.buffer();
  char text[64];
  uint32_t seed = 12345;
  auto rnd = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFFFF; };
  for (int i = 0; i < domains; ++i) {
    b.clear();
    std::snprintf(text, sizeof text, "site%07u-%d.example.com", rnd() % 10000000u, i);
    b.setText("DOM:DOMAINNAME", text);
    b.setDate("DOM:DATESTARTED", now - 400 - static_cast<int32_t>(rnd() % 3000));
    int32_t renewal = i % 97 == 0 ? 0
                      : rnd() % 2 ? now - 1 - static_cast<int32_t>(rnd() % 730)
                                  : now + 31 + static_cast<int32_t>(rnd() % 730);
    if (due > 0 && i % std::max(1, domains / due) == domains / due / 2)
      renewal = now + static_cast<int32_t>(rnd() % 31);
    b.setDate("DOM:RENEWALDATE", renewal);
    b.setText("DOM:REGISTRAR", "Registrar " + std::to_string(rnd() % 40));
    b.setText("DOM:HOST", "Host " + std::to_string(rnd() % 200));
    b.setText("DOM:OWNERNAME", "Owner of site " + std::to_string(i));
    b.setText("DOM:CONTACTEMAIL", "admin@site" + std::to_string(i) + ".example.com");
    b.setText("DOM:DEFAULTLOCALDIR", "/srv/sites/site" + std::to_string(i));
    b.setText("DOM:DEFAULTWEBPATH", "http://www.site" + std::to_string(i) + ".example.com/");
    b.setDate("DOM:HOSTDATE", now - static_cast<int32_t>(rnd() % 300));
    check(d.add(), d, "add domain");
    if (i % 50000 == 49999) {
      check(d.commitBatch(), d, "commit");
      check(d.beginBatch(), d, "begin");
    }
  }
  check(d.commitBatch(), d, "commit");
  d.close();
  RecordFile n(fileDef(FileId::dnotes));
  check(n.open(OpenMode::ReadWriteDenyNone, true, 10), n, "open DNOTES");
  check(n.beginBatch(), n, "begin");
  for (int i = 0; i < 1000; ++i) {
    n.buffer().clear();
    n.buffer().setText("DNO:TOPIC", "Note " + std::to_string(i));
    n.buffer().setText("DNO:REMINDER", i % 100 == 0 ? "Y" : "N");
    n.buffer().setDate("DNO:DATE", now - i);
    check(n.add(), n, "add note");
  }
  check(n.commitBatch(), n, "commit");
  n.close();
}

BrowseProcedure* browseNamed(const char* name) {
  for (int t : runningThreads())
    if (auto* b = dynamic_cast<BrowseProcedure*>(topProcedure(t)); b && b->name() == name) return b;
  return nullptr;
}

bool hasRows(BrowseProcedure* b) { return b && !b->list().rows().empty(); }

struct Run {
  double frame = -1, rows = -1, notice = -1;
};

Run runOnce() {
  Run r;
  const auto t0 = Steady::now();
  bool pressed = false;
  QTimer poll;
  poll.setInterval(1);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    MainFrame* f = mainFrame();
    if (!f || !f->outerWindow() || !f->outerWindow()->isVisible()) return;
    const auto now = Steady::now();
    if (!pressed) {
      r.frame = ms(t0, now);
      pressed = true;
      if (QAction* a = f->menuAction("&Main Work Area: By Domain")) a->trigger();
      return;
    }
    if (r.rows < 0 && hasRows(browseNamed("BrowseDomains"))) r.rows = ms(t0, now);
    if (r.notice < 0 && hasRows(browseNamed("notice"))) r.notice = ms(t0, now);
    if (r.rows >= 0 && r.notice >= 0) {
      // Close everything: the check goes on to the notes list, then ends.
      for (int t : runningThreads())
        if (WindowProcedure* p = topProcedure(t); p && p != f) p->close(2);
      if (runningThreads().size() <= 1) f->requestClose();
    }
    if (ms(t0, now) > 120000) {
      std::fprintf(stderr, "gave up after 120 s\n");
      std::exit(1);
    }
  });
  poll.start();
  runProgram(
      Main,
      [] {
        StartDictionary(DictionaryKind::Main,
                        {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
      },
      [] { StopDictionary(); });
  poll.stop();
  return r;
}

// The title window, closed at once.
class NoSplash : public WindowProcedure {
 public:
  NoSplash() : WindowProcedure("splash") {}
  void setup() override { close(2); }
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty()      ? 0
         : v.size() % 2 ? v[v.size() / 2]
                        : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  const int domains = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const int due = argc > 3 ? std::max(1, std::atoi(argv[3])) : 20;

  ScriptedAnswerer boxes;  // a message would stop the run; none is expected
  boxes.install();
  const auto g0 = Steady::now();
  generate(domains, due);
  const auto g1 = Steady::now();

  registerFrameProcedures();
  registerRecordProcedures();
  registerDeskProcedures(procedureRegistrar(), mainDeskContext());
  registerProcedure(
      "splash", [] { return std::make_unique<NoSplash>(); }, 0);

  std::vector<double> frame, rows, notice;
  for (int i = 0; i < runs; ++i) {
    Run r = runOnce();
    std::printf("run %d: frame %.0f ms, Domains rows %.0f ms, reminder rows %.0f ms\n", i + 1,
                r.frame, r.rows, r.notice);
    frame.push_back(r.frame);
    rows.push_back(r.rows);
    notice.push_back(r.notice);
  }
  std::printf("domains:                          %d, %d due (generated in %.1f s)\n", domains, due,
              ms(g0, g1) / 1000);
  std::printf("start to frame shown:             %.0f ms (median of %d)\n", median(frame), runs);
  std::printf("start to first Domains rows (F5): %.0f ms (median of %d)\n", median(rows), runs);
  std::printf("start to first reminder rows:     %.0f ms (median of %d)\n", median(notice), runs);
  if (!boxes.asked.empty())
    std::printf("messages asked: %zu (first: %s)\n", boxes.asked.size(),
                boxes.asked[0].caption.c_str());
  return 0;
}
