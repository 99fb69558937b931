#include "webdata/reports/source.h"

#include <algorithm>
#include <utility>

#include "dictionary/datafile_adapter.h"
#include "runtime/config/errors.h"
#include "runtime/values/text.h"
#include "runtime/view/fieldvalue.h"

namespace qm::webreports {

namespace {

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

PageDataSource::PageDataSource(SourceSpec spec)
    : ViewSource(SourceFile::of(managedFile(spec.file))),
      spec_(std::move(spec)),
      def_(fileDef(spec_.file)) {
  key_ = spec_.key.empty() ? -1 : def_.keyIndex(spec_.key);
  thenBy_ = spec_.thenBy.empty() ? -1 : def_.fieldIndex(spec_.thenBy);
  progress_ = spec_.progressField.empty() ? -1 : def_.fieldIndex(spec_.progressField);
}

void PageDataSource::setRunName(const std::string& name, std::string value) {
  runNames_[upper(name)] = std::move(value);
}

bool PageDataSource::takeFilter() {
  // A text that does not apply to this file selects nothing the user asked
  // for, so the run stops rather than print the rest.
  filter_ = Filter();
  if (clip(spec_.filter).empty()) return true;
  std::string error;
  Filter f = Filter::parse(spec_.filter, &error);
  if (f.valid()) {
    RecordBuffer blank(def_);
    const std::string unknown = f.firstUnknownName(RunNames(blank, runNames_));
    if (!unknown.empty()) error = "Unknown name " + unknown;
  }
  if (!error.empty()) {
    MessageArgs args;
    args.file = access(spec_.file).name();
    args.errorText = error;
    errors().raise(ViewOpenError, args);
    return false;
  }
  filter_ = std::move(f);
  return true;
}

bool PageDataSource::open() {
  if (isOpen()) return true;
  SourcePlan plan;
  plan.key = key_;
  plan.progressField = progress_;
  plan.prepare = [this] { return takeFilter(); };
  // The filter needs the run's names, which the view does not know.
  plan.accept = [this](const RecordBuffer& r) {
    return filter_.empty() || filter_.matches(RunNames(r, runNames_));
  };
  if (key_ >= 0) {
    const KeyDef& k = def_.keys[static_cast<std::size_t>(key_)];
    const int n = std::min<int>(spec_.rangeComponents, static_cast<int>(k.components.size()));
    plan.range = [this, &k, n](const RecordBuffer& caller) {
      std::vector<std::string> values;
      for (int i = 0; i < n; ++i)
        values.push_back(i < static_cast<int>(givenRange_.size())
                             ? givenRange_[static_cast<std::size_t>(i)]
                             : caller.valueText(k.components[static_cast<std::size_t>(i)]));
      return values;
    };
    if (thenBy_ >= 0)
      plan.within = [f = thenBy_](const RecordBuffer& a, const RecordBuffer& b) {
        return a.text(f) < b.text(f);
      };
  }
  setPlan(std::move(plan));
  return ViewSource::open();
}

}  // namespace qm::webreports
