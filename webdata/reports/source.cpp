#include "webdata/reports/source.h"

#include <algorithm>
#include <utility>

#include "dictionary/datafile_adapter.h"
#include "runtime/config/errors.h"
#include "runtime/store/thread.h"
#include "runtime/values/text.h"
#include "runtime/view/fieldvalue.h"

namespace qm::webreports {

namespace {

constexpr int PageRows = 64;
constexpr int RecordRetrievalError = 1;
constexpr int ViewOpenError = 40;

// The record's fields first, then the run's own values of global names.
class RunNames : public NameResolver {
 public:
  RunNames(const RecordBuffer& r, const std::map<std::string, std::string>& names)
      : record_(r), names_(names) {}
  std::optional<FilterValue> lookup(std::string_view upperName) const override {
    if (auto v = record_.lookup(upperName)) return v;
    auto it = names_.find(std::string(upperName));
    if (it != names_.end()) return FilterValue::ofText(it->second);
    return std::nullopt;
  }

 private:
  RecordNames record_;
  const std::map<std::string, std::string>& names_;
};

}  // namespace

PageDataSource::PageDataSource(SourceSpec spec) : spec_(std::move(spec)), def_(fileDef(spec_.file)) {
  key_ = spec_.key.empty() ? -1 : def_.keyIndex(spec_.key);
  thenBy_ = spec_.thenBy.empty() ? -1 : def_.fieldIndex(spec_.thenBy);
  progress_ = spec_.progressField.empty() ? -1 : def_.fieldIndex(spec_.progressField);
}

PageDataSource::~PageDataSource() {
  if (open_) close();
}

void PageDataSource::setRunName(const std::string& name, std::string value) {
  runNames_[upper(name)] = std::move(value);
}

bool PageDataSource::open() {
  if (open_) return true;
  thread_ = currentThread();
  if (relate(spec_.file).open() != 0) return false;  // the manager has said why
  FileManager& m = access(spec_.file);
  const std::string fileName = m.name();

  // The filter first: a text that does not apply to this file selects
  // nothing the user asked for, so the run stops rather than print the rest.
  filter_ = Filter();
  if (!clip(spec_.filter).empty()) {
    std::string error;
    Filter f = Filter::parse(spec_.filter, &error);
    if (f.valid()) {
      RecordBuffer blank(def_);
      const std::string unknown = f.firstUnknownName(RunNames(blank, runNames_));
      if (!unknown.empty()) error = "Unknown name " + unknown;
    }
    if (!error.empty()) {
      MessageArgs args;
      args.file = fileName;
      args.errorText = error;
      errors().raise(ViewOpenError, args);
      relate(spec_.file).close();
      return false;
    }
    filter_ = std::move(f);
  }

  open_ = true;
  held_ = HeldRecord::of(managedFile(spec_.file));
  ready_.clear();
  pending_.clear();
  haveAnchor_ = viewDone_ = atEnd_ = false;
  current_ = Row{};
  percent_ = 0;

  RecordFile* file = &m.file();
  view_ = std::make_unique<RecordView>([file]() -> RecordFile& { return *file; });
  view_->setOrder(key_);
  rangeValues_.clear();
  std::vector<std::function<std::string()>> range;
  if (key_ >= 0) {
    const KeyDef& k = def_.keys[static_cast<std::size_t>(key_)];
    const int n = std::min<int>(spec_.rangeComponents, static_cast<int>(k.components.size()));
    for (int i = 0; i < n; ++i)
      rangeValues_.push_back(
          i < static_cast<int>(givenRange_.size())
              ? givenRange_[static_cast<std::size_t>(i)]
              : held_.record.valueText(k.components[static_cast<std::size_t>(i)]));
    for (const std::string& v : rangeValues_) range.push_back([v] { return v; });
  }
  view_->setRange(std::move(range));

  // The ends of the range, unfiltered, for the progress estimate.
  readProgress_.start(*view_, progress_);
  return true;
}

bool PageDataSource::passes(const RecordBuffer& r) const {
  return filter_.empty() || filter_.matches(RunNames(r, runNames_));
}

bool PageDataSource::sameKey(const RecordBuffer& a, const RecordBuffer& b) const {
  if (key_ < 0) return false;
  for (int c : def_.keys[static_cast<std::size_t>(key_)].components)
    if (compareNoCase(a.text(c), b.text(c)) != 0) return false;
  return true;
}

bool PageDataSource::readPage(std::vector<Row>& out) {
  out.clear();
  if (viewDone_) return true;
  const int rc = view_->page(haveAnchor_ ? &anchor_ : nullptr, true, PageRows, out);
  if (rc != 0) {
    MessageArgs args;
    args.file = access(spec_.file).name();
    args.errorText = access(spec_.file).file().errorText();
    errors().raise(RecordRetrievalError, args);
    viewDone_ = true;
    return false;
  }
  if (!out.empty()) {
    anchor_ = out.back();
    haveAnchor_ = true;
  }
  if (static_cast<int>(out.size()) < PageRows) viewDone_ = true;
  return true;
}

bool PageDataSource::fill() {
  std::vector<Row> page;
  while (ready_.empty()) {
    if (pending_.empty()) {
      if (!readPage(page)) return false;
      if (page.empty()) return false;
      for (auto& r : page) pending_.push_back(std::move(r));
    }
    if (thenBy_ < 0) {
      for (auto& r : pending_)
        if (passes(r.record)) ready_.push_back(std::move(r));
      pending_.clear();
      continue;
    }
    // A whole group of equal keys, then ordered by the second field.
    std::vector<Row> group;
    group.push_back(std::move(pending_.front()));
    pending_.pop_front();
    for (;;) {
      while (!pending_.empty() && sameKey(pending_.front().record, group.front().record)) {
        group.push_back(std::move(pending_.front()));
        pending_.pop_front();
      }
      if (!pending_.empty() || viewDone_) break;
      if (!readPage(page)) return false;
      if (page.empty()) break;
      for (auto& r : page) pending_.push_back(std::move(r));
    }
    std::stable_sort(group.begin(), group.end(), [this](const Row& a, const Row& b) {
      return a.record.text(thenBy_) < b.record.text(thenBy_);
    });
    for (auto& r : group)
      if (passes(r.record)) ready_.push_back(std::move(r));
  }
  return true;
}

bool PageDataSource::next() {
  if (!open_ || atEnd_) return false;
  ThreadScope scope(thread_);
  if (ready_.empty() && !fill()) {
    atEnd_ = true;
    percent_ = 100;
    return false;
  }
  current_ = std::move(ready_.front());
  ready_.pop_front();
  access(spec_.file).buffer() = current_.record;
  percent_ = readProgress_.at(current_);
  return true;
}

void PageDataSource::close() {
  if (!open_) return;
  ThreadScope scope(thread_);
  ready_.clear();
  pending_.clear();
  view_.reset();
  held_.putBack();
  open_ = false;
  relate(spec_.file).close();
}

void PageDataSource::setQuickScan(bool on) {
  if (!open_) return;
  ThreadScope scope(thread_);
  access(spec_.file).file().setQuickScan(on);
}

}  // namespace qm::webreports
