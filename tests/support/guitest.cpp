#include "guitest.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include "keys.h"
#include "runtime/config/requests.h"
#include "runtime/store/thread.h"
#include "runtime/ui/form.h"
#include "runtime/view/fieldvalue.h"

using namespace qm;

namespace qmtest {

void pump() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

QWidget* widgetOf(WindowProcedure* p, const std::string& id) {
  Control* c = p ? p->control(id) : nullptr;
  EXPECT_NE(c, nullptr) << id;
  return c ? c->widget() : nullptr;
}

void showTabOf(QWidget* w) {
  for (QWidget* p = w; p; p = p->parentWidget())
    if (auto* sheet = qobject_cast<QTabWidget*>(
            p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr))
      if (int i = sheet->indexOf(p); i >= 0) sheet->setCurrentIndex(i);
}

void typeInto(WindowProcedure* p, const std::string& id, const QString& text) {
  auto* e = qobject_cast<QLineEdit*>(widgetOf(p, id));
  ASSERT_NE(e, nullptr) << id;
  showTabOf(e);
  e->setFocus();
  e->clear();
  QTest::keyClicks(e, text);
  qmtest::leaveWithTab(e);  // accepts
}

void click(WindowProcedure* p, const std::string& id) {
  QWidget* w = widgetOf(p, id);
  ASSERT_NE(w, nullptr) << id;
  showTabOf(w);
  QTest::mouseClick(w, Qt::LeftButton);
  pump();
}

void closeProcedures() {
  // Bounded: a procedure that refuses to close must not hang the run.
  for (int guard = 0; guard < 20; ++guard) {
    WindowProcedure* p = topProcedure(1);
    for (int t : runningThreads())
      if (!p) p = topProcedure(t);
    if (!p) break;
    p->close(2);
    pump();
  }
  pump();
}

void GuiTest::SetUp() {
  answers.install();
  FormProcedure::clearHistory();
  RequestCode = 0;
  ResponseCode = 0;
  beforeDictionary();
  StartDictionary(DictionaryKind::Main, {});
}

void GuiTest::TearDown() {
  closeProcedures();
  StopDictionary();
}

void add(FileId id, const Fields& fields) {
  ThreadScope t(1);
  FileManager& m = access(id);
  ASSERT_EQ(m.open(), 0);
  m.buffer().clear();
  for (auto& [label, value] : fields)
    ASSERT_TRUE(setValueText(m.buffer(), m.def().fieldIndex(label), value)) << label;
  ASSERT_EQ(m.tryInsert(), 0);
  m.close();
}

std::vector<RecordBuffer> all(FileId id) {
  ThreadScope t(1);
  FileManager& m = access(id);
  m.open();
  std::vector<std::pair<int64_t, RecordBuffer>> rows;
  std::vector<RecordBuffer> out;
  // A page at a time, to the end: a file may hold more than one page.
  constexpr int kPage = 1000;
  do {
    const int64_t after = rows.empty() ? 0 : rows.back().first;
    const RecordBuffer last = rows.empty() ? RecordBuffer(m.def()) : rows.back().second;
    if (m.file().readPage(-1, rows.empty() ? nullptr : &last, after, true, kPage, rows) != 0) break;
    for (auto& r : rows) out.push_back(r.second);
  } while (rows.size() == static_cast<std::size_t>(kPage));
  m.close();
  return out;
}

}  // namespace qmtest
