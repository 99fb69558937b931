#include "webdata/import/detailwriter.h"

#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "runtime/config/errors.h"
#include "runtime/values/clock.h"

namespace qm {
namespace {

// What every detail file repeats of its page, and its key on the page path.
struct DetailFile {
  FileId id;
  const char* key;
  const char* path;
  const char* domain;
  const char* page;
};

// In the order the old records are cleared.
const DetailFile kDetails[] = {
    {FileId::WPLinks, "WPL:PATHNAME", "WPL:WEBPAGEPATHNAME", "WPL:DOMAINNAME", "WPL:PAGENAME"},
    {FileId::WPScripts, "WPS:PAGENAM", "WPS:WEBPAGEPATHNAME", "WPS:DOMAINNAME", "WPS:PAGENAME"},
    {FileId::WPForm, "WPF:PAGENAME", "WPF:WEBPAGEPATHNAME", "WPF:DOMAINNAME", "WPF:PAGE"},
    {FileId::WPIMG, "WPI:PAGENAME", "WPI:WEBPAGEPATHNAME", "WPI:DOMAINNAME", "WPI:PAGE"},
    {FileId::WPMeta, "WPM:PAGEPATH", "WPM:WEBPAGEPATH", "WPM:DOMAINNAME", "WPM:PAGENAME"},
};

const DetailFile& detailOf(FileId id) {
  for (const DetailFile& d : kDetails)
    if (d.id == id) return d;
  return kDetails[0];  // not reached: every detail file is in the table
}

FileManager& opened(FileId id) {
  FileManager& fm = access(id);
  if (!fm.isOpen()) fm.open();  // failures are reported by the manager
  return fm;
}

// Many changes of one file in one commit; without a batch each change
// commits on its own.
class Batch {
 public:
  explicit Batch(RecordFile& f) : f_(f), on_(f.beginBatch() == 0) {}
  int commit() {
    if (!on_) return 0;
    on_ = false;
    return f_.commitBatch();
  }
  ~Batch() {
    if (on_) f_.rollbackBatch();
  }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

 private:
  RecordFile& f_;
  bool on_;
};

// Returns false when the file could not be searched: nothing of it is deleted.
bool clearOne(const DetailFile& d, const std::string& pagePath, const ProgressStep& step,
              std::string* failure) {
  FileManager& fm = opened(d.id);
  RecordFile& f = fm.file();
  const FileDef& def = f.def();
  int64_t gone = 0;
  const int rc = f.deleteExact(def.keyIndex(d.key), def.fieldIndex(d.path), pagePath, &gone);
  if (step) step(static_cast<long>(gone));
  if (rc == 0) return true;
  FailureReport(fm.name(), kDeleteError, failure).check(rc, f);
  return false;
}

// The message for a failed step of RecordFile::replaceExact (or its commit).
int messageFor(RecordFile::Replaced::Step step) {
  using Step = RecordFile::Replaced::Step;
  switch (step) {
    case Step::Read:
    case Step::Delete:
      return kDeleteError;
    case Step::Change:
      return kUpdateError;
    case Step::Add:
    case Step::None:
      break;
  }
  return kInsertError;
}

// Field indexes by label, looked up once per layout: the layouts never
// change, and a page sets hundreds of fields.
int fieldOf(const FileDef& def, const char* label) {
  thread_local std::map<std::pair<const FileDef*, const char*>, int> known;
  const auto [it, added] = known.try_emplace({&def, label}, -1);
  if (added) it->second = def.fieldIndex(label);
  return it->second;
}

// The records one detail file is to hold of a page, stored in one commit.
class Writer {
 public:
  Writer(FileId id, const PageFacts& page, const ProgressStep& step, std::string* failure,
         bool newPage, std::size_t count)
      : d_(detailOf(id)),
        fm_(opened(id)),
        f_(fm_.file()),
        page_(page),
        step_(step),
        failure_(failure),
        newPage_(newPage),
        blank_(f_.def()) {
    records_.reserve(count);
    // What every record of the page starts as: copied, not built each time.
    blank_.setText(field(d_.path), page_.pagePath);
    blank_.setText(field(d_.domain), page_.domain);
    blank_.setText(field(d_.page), page_.pageName);
  }
  RecordBuffer& start() { return records_.emplace_back(blank_); }
  int field(const char* label) const { return fieldOf(f_.def(), label); }
  // Makes the page's records of the file those started; true when stored.
  bool finish() {
    Batch batch(f_);
    const FileDef& def = f_.def();
    const int key = def.keyIndex(d_.key), path = field(d_.path);
    RecordFile::Replaced done;
    int rc = 0;
    if (newPage_) {
      // A page read for the first time seldom has old records: they are
      // deleted, if any, and the new ones added with nothing to compare.
      int64_t gone = 0;
      rc = f_.deleteExact(key, path, page_.pagePath, &gone);
      done.before = gone;
      if (rc != 0) done.failedAt = RecordFile::Replaced::Step::Delete;
      if (rc == 0 && (rc = f_.addAll(records_)) != 0)
        done.failedAt = RecordFile::Replaced::Step::Add;
    } else {
      rc = f_.replaceExact(key, path, page_.pagePath, records_, &done);
    }
    if (step_) step_(static_cast<long>(done.before));
    if (rc == 0) rc = batch.commit();
    return FailureReport(fm_.name(), messageFor(done.failedAt), failure_).check(rc, f_);
  }
  // Field indexes of "<prefix>1" to "<prefix>40", looked up once: the
  // layouts never change.
  const std::vector<int>& lineFields(const std::string& prefix) const {
    thread_local std::map<std::string, std::vector<int>> known;
    std::vector<int>& out = known[prefix];
    if (out.empty())
      for (std::size_t i = 1; i <= kBlockSlots; ++i)
        out.push_back(f_.def().fieldIndex(prefix + std::to_string(i)));
    return out;
  }

 private:
  const DetailFile& d_;
  FileManager& fm_;
  RecordFile& f_;
  const PageFacts& page_;
  const ProgressStep& step_;
  std::string* failure_;
  bool newPage_;
  RecordBuffer blank_;
  std::vector<RecordBuffer> records_;
};

void setLines(RecordBuffer& b, const std::vector<int>& fields,
              std::span<const std::string_view> lines) {
  for (std::size_t i = 0; i < lines.size() && i < fields.size(); ++i)
    b.setText(fields[i], lines[i]);
}

}  // namespace

PageFacts pageFactsOf(const RecordBuffer& web) {
  return {web.text("WEB:PAGEPATH"),  web.text("WEB:DOMAINNAME"),
          web.text("WEB:PAGENAME"),  web.text("WEB:USENOW"),
          web.text("WEB:LOCALPATH"), web.text("WEB:LOCALDEFAULTDIRECTORY")};
}

bool FailureReport::check(int rc, const std::string& errorText) {
  if (rc == 0) return true;
  if (!reported_) {
    reported_ = true;
    const MessageArgs args{.file = file_, .errorText = errorText};
    if (!sink_)
      errors().raise(id_, args);
    else if (sink_->empty())
      *sink_ = errors().text(id_, args);
  }
  return false;
}

bool FailureReport::check(int rc, const RecordFile& f) {
  if (rc == 0) return true;
  const std::string detail = reported_ ? std::string() : f.errorDetail();
  return check(rc, detail.empty() ? errorTextFor(rc) : errorTextFor(rc) + " - " + detail);
}

bool clearPageDetails(const std::string& pagePath, const ProgressStep& step, std::string* failure) {
  // The page goes back whole at its first failure: nothing more is tried.
  for (const DetailFile& d : kDetails)
    if (!clearOne(d, pagePath, step, failure)) return false;
  return true;
}

bool writePageDetails(const ScannedPage& found, const PageFacts& page, const ProgressStep& step,
                      std::string* failure, bool newPage) {
  const int32_t day = today();
  // The first failure ends the page.
  {
    Writer w(FileId::WPIMG, page, step, failure, newPage, found.images.size());
    const int src = w.field("WPI:WEBPAGEIMG"), height = w.field("WPI:HEIGHT"),
              width = w.field("WPI:WIDTH"), use = w.field("WPI:CURRENTLYUSE"),
              path = w.field("WPI:IMAGEPATH"), line = w.field("WPI:LINENUMBER"),
              entered = w.field("WPI:DATEENTERED");
    for (const PageImage& im : found.images) {
      RecordBuffer& b = w.start();
      b.setText(src, im.src);
      b.setText(height, im.height);
      b.setText(width, im.width);
      b.setText(use, page.useNow);
      b.setText(path, scanImagePath(page.localDir, im.src));
      b.setInteger(line, clampLine(static_cast<double>(im.line)));
      b.setDate(entered, day);
    }
    if (!w.finish()) return false;
  }
  {
    Writer w(FileId::WPLinks, page, step, failure, newPage, found.links.size());
    const int link = w.field("WPL:WEBPAGELINK"), line = w.field("WPL:LINENUMBER"),
              date = w.field("WPL:RECORDDATE");
    for (const PageLink& l : found.links) {
      RecordBuffer& b = w.start();
      b.setText(link, l.link);
      b.setReal(line, static_cast<double>(l.line));
      b.setDate(date, day);
    }
    if (!w.finish()) return false;
  }
  {
    Writer w(FileId::WPMeta, page, step, failure, newPage, found.metas.size());
    const int local = w.field("WPM:LOCALPATH"), contents = w.field("WPM:METACONTENTS"),
              name = w.field("WPM:METANAME");
    for (const PageMeta& m : found.metas) {
      RecordBuffer& b = w.start();
      b.setText(local, page.localPath);
      b.setText(contents, m.content);
      b.setText(name, m.name);
    }
    if (!w.finish()) return false;
  }
  {
    Writer w(FileId::WPScripts, page, step, failure, newPage, found.scripts.size());
    const std::vector<int>& fields = w.lineFields("WPS:SCRIPTLINE");
    const int date = w.field("WPS:RECORDDATE");
    for (const PageBlock& s : found.scripts) {
      RecordBuffer& b = w.start();
      setLines(b, fields, found.lines(s));
      b.setDate(date, day);
    }
    if (!w.finish()) return false;
  }
  {
    Writer w(FileId::WPForm, page, step, failure, newPage, found.forms.size());
    const std::vector<int>& fields = w.lineFields("WPF:FORMLINE");
    const int date = w.field("WPF:RECORDDATE"), line = w.field("WPF:LINENUMBER");
    for (const PageBlock& s : found.forms) {
      RecordBuffer& b = w.start();
      setLines(b, fields, found.lines(s));
      b.setDate(date, day);
      b.setInteger(line, clampLine(static_cast<double>(s.line)));
    }
    if (!w.finish()) return false;
  }
  return true;
}

}  // namespace qm
