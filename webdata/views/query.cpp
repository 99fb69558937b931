#include "webdata/views/query.h"

#include <QComboBox>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>

#include "appkit/layout.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/settings.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"
#include "runtime/view/fieldvalue.h"

namespace qm::webviews {

// ---- the query object ----------------------------------------------------------

const std::vector<std::string>& QueryObject::operators() {
  static const std::vector<std::string> ops = {"=", "<>", ">", ">=", "<", "<=", "Begins With"};
  return ops;
}

void QueryObject::init(IniFile& ini, std::string family) {
  ini_ = &ini;
  family_ = std::move(family);
}

void QueryObject::addItem(std::string expression, std::string title, std::string picture) {
  fields_.push_back({std::move(expression), std::move(title), std::move(picture)});
  conditions_.emplace_back();
}

void QueryObject::clear() {
  for (Condition& c : conditions_) c = Condition{};
}

namespace {

// The smallest text above every text that begins with prefix; "" when there
// is none (a prefix of nothing but 0xFF bytes).
std::string pastPrefix(std::string prefix) {
  while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF) prefix.pop_back();
  if (!prefix.empty())
    prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
  return prefix;
}

bool knownOperator(const std::string& op) {
  for (const std::string& o : QueryObject::operators())
    if (o == op) return true;
  return false;
}

}  // namespace

std::string QueryObject::filter() const {
  std::string out;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const Condition& c = conditions_[i];
    const std::string value = upper(clip(c.value));  // every expression is upper case
    if (value.empty()) continue;
    const std::string& e = fields_[i].expression;
    std::string term;
    if (c.op == "Begins With") {
      term = filterTerm(e, ">=", value);
      if (std::string past = pastPrefix(value); !past.empty())
        term = "(" + term + " AND " + filterTerm(e, "<", past) + ")";
    } else {
      term = filterTerm(e, knownOperator(c.op) ? c.op : "=", value);
    }
    if (!out.empty()) out += " AND ";
    out += term;
  }
  return out;
}

std::string QueryObject::indexSection() const { return family_ + ":Query"; }

std::string QueryObject::selectionSection(const std::string& name) const {
  return family_ + ":" + name + ":Query";
}

bool QueryObject::written(bool ok) {
  if (!ok) ini_->reportWriteFailure("The selection could not be saved in " + ini_->fileName());
  return ok;
}

std::vector<std::string> QueryObject::savedNames() const {
  std::vector<std::string> names;
  if (!ini_) return names;
  int count = std::atoi(ini_->read(indexSection(), "Count", "0").c_str());
  for (int i = 1; i <= count; ++i) {
    std::string n = ini_->read(indexSection(), "Name" + std::to_string(i), "");
    if (!clip(n).empty()) names.push_back(n);
  }
  return names;
}

bool QueryObject::writeNames(const std::vector<std::string>& names) {
  bool ok = ini_->write(indexSection(), "Count", std::to_string(names.size()));
  for (size_t i = 0; i < names.size() && ok; ++i)
    ok = ini_->write(indexSection(), "Name" + std::to_string(i + 1), names[i]);
  return written(ok);
}

bool QueryObject::save(const std::string& name) {
  if (!ini_) return false;
  const std::string sec = selectionSection(name);
  bool ok = ini_->write(sec, "Columns", std::to_string(fields_.size()));
  for (size_t i = 0; i < fields_.size() && ok; ++i) {
    const std::string n = std::to_string(i + 1);
    ok = ini_->write(sec, "Expression" + n, fields_[i].expression) &&
         ini_->write(sec, "Operator" + n, conditions_[i].op) &&
         ini_->write(sec, "Value" + n, conditions_[i].value);
  }
  if (!written(ok)) return false;
  if (textEqual(name, kRecent)) return true;
  std::vector<std::string> names = savedNames();
  for (const std::string& n : names)
    if (compareNoCase(n, name) == 0) return true;
  names.push_back(name);
  return writeNames(names);
}

bool QueryObject::load(const std::string& name) {
  if (!ini_) return false;
  const std::string sec = selectionSection(name);
  const std::string count = ini_->read(sec, "Columns", "");
  if (count.empty()) return false;
  std::vector<Condition> loaded(fields_.size());
  for (int i = 1, n = std::atoi(count.c_str()); i <= n; ++i) {
    const std::string k = std::to_string(i);
    const std::string expr = ini_->read(sec, "Expression" + k, "");
    size_t at = fields_.size();
    for (size_t f = 0; f < fields_.size(); ++f)
      if (compareNoCase(fields_[f].expression, expr) == 0) at = f;
    if (at == fields_.size()) {
      errors().raise(41, MessageArgs{{}, {}, {}, expr});
      continue;
    }
    loaded[at].op = ini_->read(sec, "Operator" + k, "=");
    if (!knownOperator(loaded[at].op)) loaded[at].op = "=";
    loaded[at].value = ini_->read(sec, "Value" + k, "");
  }
  conditions_ = std::move(loaded);
  return true;
}

bool QueryObject::remove(const std::string& name) {
  if (!ini_) return false;
  std::vector<std::string> names = savedNames();
  auto it = std::find_if(names.begin(), names.end(),
                         [&](const std::string& n) { return compareNoCase(n, name) == 0; });
  if (it == names.end()) return false;
  names.erase(it);
  // The section stays behind empty; the index decides what is listed.
  if (!written(ini_->write(selectionSection(name), "Columns", "0"))) return false;
  return writeNames(names);
}

// ---- the query window ------------------------------------------------------------

namespace {

using qm::button;
using qm::control;
using qm::entry;
using qm::prompt;

constexpr const char* kOpValue = "query:op";
constexpr const char* kValue = "query:value";
constexpr const char* kName = "query:name";
constexpr int kMaxName = 40;

WindowDef queryWindow(const QueryObject& q) {
  WindowDef w;
  w.title = "Make Selections (F1 for Help)";
  const int rows = static_cast<int>(q.fields().size());
  const int sheetH = std::max(120, 40 + rows * 15);
  w.w = 360, w.h = sheetH + 30;
  w.controls.push_back(control(Kind::Sheet, "?Sheet", {}, 4, 4, 352, sheetH));
  w.controls.push_back(control(Kind::Tab, "?TabSaved", "Saved Selections", 0, 0, 0, 0, "?Sheet"));
  w.controls.push_back(
      control(Kind::Tab, "?TabSettings", "Selection Settings", 0, 0, 0, 0, "?Sheet"));

  std::string tab = "?TabSaved";
  w.controls.push_back(prompt("&Selection name:", 10, 24, 60, tab));
  ControlDef name = entry(kName, "@s40", 72, 24, 170, tab);
  name.id = "?Name";
  w.controls.push_back(name);
  w.controls.push_back(button({"?Save", "&Save", Role::None, "", 44}, 248, 23, 12, tab));
  ControlDef list = control(Kind::List, "?Selections", {}, 10, 40, 232, sheetH - 48, tab);
  w.controls.push_back(list);
  w.controls.push_back(button({"?Load", "&Load", Role::None, "", 44}, 248, 40, 12, tab));
  w.controls.push_back(button({"?Delete", "&Delete", Role::None, "", 44}, 248, 56, 12, tab));

  tab = "?TabSettings";
  w.controls.push_back(prompt("Field", 10, 22, 96, tab));
  w.controls.push_back(prompt("Operator", 108, 22, 60, tab));
  w.controls.push_back(prompt("Value", 172, 22, 170, tab));
  for (int i = 0; i < rows; ++i) {
    const QueryField& f = q.fields()[static_cast<size_t>(i)];
    const int y = 36 + i * 15;
    const std::string n = std::to_string(i + 1);
    w.controls.push_back(prompt(f.title, 10, y, 96, tab));
    ControlDef op = control(Kind::Drop, "?Operator" + n, {}, 108, y - 1, 60, 12, tab);
    op.field = std::string(kOpValue) + n;
    w.controls.push_back(op);
    ControlDef v = entry(std::string(kValue) + n, f.picture, 172, y, 174, tab);
    v.id = "?Value" + n;
    w.controls.push_back(v);
  }
  qm::addButtons(w,
                 {{"?OK", "&OK", Role::Ok, "", 44},
                  {"?Cancel", "&Cancel", Role::Cancel, "", 44},
                  {"?Clear", "C&lear", Role::None, "", 44}},
                 212, sheetH + 10, 14, 4);
  return w;
}

class QueryWindow : public WindowProcedure {
 public:
  explicit QueryWindow(QueryObject& q)
      : WindowProcedure("MakeSelections"), q_(q), atOpen_(q.conditions()) {
    setDefinition(queryWindow(q));
    auto& conds = q_.conditions();
    for (size_t i = 0; i < conds.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      bindValue(
          kOpValue + n, [this, i] { return q_.conditions()[i].op; },
          [this, i](const std::string& v) {
            q_.conditions()[i].op = v;
            return true;
          });
      const int width = std::max(1, std::atoi(q_.fields()[i].picture.c_str() +
                                              (q_.fields()[i].picture.size() > 2 ? 2 : 0)));
      bindValue(
          kValue + n, [this, i] { return q_.conditions()[i].value; },
          [this, i](const std::string& v) {
            q_.conditions()[i].value = v;
            return true;
          },
          width);
    }
    bindValue(
        kName, [this] { return name_; },
        [this](const std::string& v) {
          name_ = v;
          return true;
        },
        kMaxName);
  }

 protected:
  void setup() override {
    for (size_t i = 0; i < q_.conditions().size(); ++i)
      if (Control* c = control("?Operator" + std::to_string(i + 1)))
        if (auto* box = qobject_cast<QComboBox*>(c->widget()))
          for (const std::string& op : QueryObject::operators())
            box->addItem(QString::fromStdString(op));
    if (Control* c = control("?Selections")) {
      table_ = qobject_cast<QTableView*>(c->widget());
      if (table_) {
        model_ = new QStandardItemModel(0, 1, table_);
        model_->setHorizontalHeaderLabels({QStringLiteral("Selections")});
        table_->setModel(model_);
        table_->horizontalHeader()->setStretchLastSection(true);
        connectInScope(table_, &QTableView::clicked, [this](const QModelIndex& i) {
          name_ = i.data().toString().toStdString();
          display();
        });
      }
    }
    fillNames();
    if (Control* s = control("?Sheet"))
      if (auto* tabs = qobject_cast<QTabWidget*>(s->widget())) tabs->setCurrentIndex(1);
    display();
  }

  bool takeKey(int key, int modifiers) override {
    if (key == Qt::Key_F1) {
      requestHelp(name());
      return true;
    }
    return WindowProcedure::takeKey(key, modifiers);
  }

  bool takeAccepted(Control& c) override {
    if (WindowProcedure::takeAccepted(c)) return true;
    const std::string& id = c.id();
    if (c.def().role == Role::Ok) {
      takeAll();
      q_.save(QueryObject::kRecent);
      close(1);
    } else if (c.def().role == Role::Cancel) {
      q_.conditions() = atOpen_;
      close(2);
    } else if (id == "?Clear") {
      q_.clear();
      display();
    } else if (id == "?Save") {
      saveSelection();
    } else if (id == "?Load") {
      std::string n = chosenName();
      if (!n.empty() && q_.load(n)) {
        display();
        if (Control* s = control("?Sheet"))
          if (auto* tabs = qobject_cast<QTabWidget*>(s->widget())) tabs->setCurrentIndex(1);
      }
    } else if (id == "?Delete") {
      std::string n = chosenName();
      if (!n.empty() && q_.remove(n)) {
        name_.clear();
        fillNames();
        display();
      }
    } else {
      return false;
    }
    return true;
  }

  void closeRequested() override {
    q_.conditions() = atOpen_;
    close(2);
  }

 private:
  // What the entries show, typed but not yet left, becomes the rows.
  void takeAll() {
    for (auto& c : built()->controls())
      if (c->isData()) c->take(nullptr);
  }

  std::string chosenName() {
    takeAll();
    if (table_ && table_->currentIndex().isValid())
      return table_->currentIndex().data().toString().toStdString();
    return std::string(clip(name_));
  }

  void saveSelection() {
    takeAll();
    const std::string n(clip(name_));
    if (n.empty() || n.find_first_of("[]=") != std::string::npos ||
        textEqual(n, QueryObject::kRecent)) {
      message("Please enter a selection name of up to " + std::to_string(kMaxName) +
                  " characters, without [ ] or =.||\"" + std::string(QueryObject::kRecent) +
                  "\" is reserved.",
              "Make Selections", MsgIcon::Exclamation);
      return;
    }
    for (const std::string& old : q_.savedNames())
      if (compareNoCase(old, n) == 0 &&
          message("A selection named \"" + old + "\" exists already.||Do you want to replace it?",
                  "Make Selections", MsgIcon::Question, BtnYes | BtnNo, BtnNo) != BtnYes)
        return;
    if (q_.save(n)) fillNames();
  }

  void fillNames() {
    if (!model_) return;
    model_->removeRows(0, model_->rowCount());
    for (const std::string& n : q_.savedNames())
      model_->appendRow(new QStandardItem(QString::fromStdString(n)));
  }

  QueryObject& q_;
  std::vector<QueryObject::Condition> atOpen_;
  std::string name_;
  QTableView* table_ = nullptr;
  QStandardItemModel* model_ = nullptr;
};

}  // namespace

std::unique_ptr<WindowProcedure> makeQueryWindow(QueryObject& query) {
  return std::make_unique<QueryWindow>(query);
}

}  // namespace qm::webviews
