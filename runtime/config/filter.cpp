#include "runtime/config/filter.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

#include "runtime/values/clock.h"
#include "runtime/values/text.h"

namespace qm {

enum class Kind { Const, Name, Today, Clip, Upper, Neg, Not, Add, Sub, Concat, And, Or, Cmp };
enum class Cmp { Eq, Ne, Lt, Le, Gt, Ge };

struct Filter::Node {
  Kind kind = Kind::Const;
  Cmp cmp = Cmp::Eq;
  FilterValue value;
  std::string name;
  std::unique_ptr<Node> a, b;
  int depth = 1;
};

namespace {

using Node = Filter::Node;
constexpr int kMaxDepth = 500;

// Blanks around are ignored; "" is no number.
bool readsAsNumber(std::string_view t, double& out) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  return ec == std::errc() && p == t.data() + t.size() && std::isfinite(out);
}

std::string formatNumber(double x) {
  if (std::floor(x) == x && std::fabs(x) < 1e15) return std::to_string(static_cast<long long>(x));
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, x);
  return ec == std::errc() ? std::string(buf, p) : std::string();
}

double toNumber(const FilterValue& v) {
  if (!v.isText) return v.number;
  double d = 0;
  return readsAsNumber(v.text, d) ? d : 0;
}

std::string toText(const FilterValue& v) { return v.isText ? v.text : formatNumber(v.number); }

bool truth(const FilterValue& v) {
  if (!v.isText) return v.number != 0;
  double d = 0;
  if (readsAsNumber(v.text, d)) return d != 0;
  return !clip(v.text).empty();
}

bool isBlank(std::string_view t) { return t.find_first_not_of(' ') == std::string_view::npos; }

int sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

// Text against text: trailing blanks ignored, case as written. A number
// against text that reads as a number (or is blank) compares as numbers.
int compare(const FilterValue& x, const FilterValue& y) {
  if (!x.isText && !y.isText) return sign(x.number - y.number);
  if (x.isText != y.isText) {
    const FilterValue& t = x.isText ? x : y;
    double d = 0;
    if (isBlank(t.text) || readsAsNumber(t.text, d)) return sign(toNumber(x) - toNumber(y));
  }
  std::string_view a = clip(x.isText ? std::string_view(x.text) : std::string_view());
  std::string_view b = clip(y.isText ? std::string_view(y.text) : std::string_view());
  std::string ta, tb;
  if (!x.isText) a = ta = formatNumber(x.number);
  if (!y.isText) b = tb = formatNumber(y.number);
  int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  if (c != 0) return c < 0 ? -1 : 1;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

FilterValue eval(const Node& n, const NameResolver& r) {
  switch (n.kind) {
    case Kind::Const:
      return n.value;
    case Kind::Name: {
      if (auto v = r.lookup(n.name)) return *v;
      if (auto v = boundNames().lookup(n.name)) return *v;
      return FilterValue::ofText({});
    }
    case Kind::Today:
      return FilterValue::ofNumber(today());
    case Kind::Clip:
      return FilterValue::ofText(std::string(clip(toText(eval(*n.a, r)))));
    case Kind::Upper:
      return FilterValue::ofText(upper(toText(eval(*n.a, r))));
    case Kind::Neg:
      return FilterValue::ofNumber(-toNumber(eval(*n.a, r)));
    case Kind::Not:
      return FilterValue::ofNumber(truth(eval(*n.a, r)) ? 0 : 1);
    case Kind::Add:
      return FilterValue::ofNumber(toNumber(eval(*n.a, r)) + toNumber(eval(*n.b, r)));
    case Kind::Sub:
      return FilterValue::ofNumber(toNumber(eval(*n.a, r)) - toNumber(eval(*n.b, r)));
    case Kind::Concat:
      return FilterValue::ofText(toText(eval(*n.a, r)) + toText(eval(*n.b, r)));
    case Kind::And:
      return FilterValue::ofNumber(truth(eval(*n.a, r)) && truth(eval(*n.b, r)) ? 1 : 0);
    case Kind::Or:
      return FilterValue::ofNumber(truth(eval(*n.a, r)) || truth(eval(*n.b, r)) ? 1 : 0);
    case Kind::Cmp: {
      int c = compare(eval(*n.a, r), eval(*n.b, r));
      bool res = false;
      switch (n.cmp) {
        case Cmp::Eq:
          res = c == 0;
          break;
        case Cmp::Ne:
          res = c != 0;
          break;
        case Cmp::Lt:
          res = c < 0;
          break;
        case Cmp::Le:
          res = c <= 0;
          break;
        case Cmp::Gt:
          res = c > 0;
          break;
        case Cmp::Ge:
          res = c >= 0;
          break;
      }
      return FilterValue::ofNumber(res ? 1 : 0);
    }
  }
  return FilterValue::ofNumber(0);
}

enum class Tok { End, Number, Text, Ident, Op, LParen, RParen, Comma };

struct Token {
  Tok type = Tok::End;
  std::string text;  // identifier in upper case, operator, or text constant
  double number = 0;
  size_t pos = 0;  // 0-based
};

struct SyntaxError {
  std::string what;
};

bool identStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool identChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string at(size_t pos) { return " at position " + std::to_string(pos + 1); }

std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  while (true) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    Token t;
    t.pos = i;
    if (i >= s.size()) {
      out.push_back(t);
      return out;
    }
    char c = s[i];
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      size_t j = i;
      while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
      auto [p, ec] = std::from_chars(s.data() + i, s.data() + j, t.number);
      if (ec != std::errc() || p != s.data() + j) throw SyntaxError{"Bad number" + at(i)};
      t.type = Tok::Number;
      i = j;
    } else if (c == '\'') {
      size_t j = i + 1;
      while (true) {
        if (j >= s.size()) throw SyntaxError{"Unterminated text constant" + at(i)};
        if (s[j] == '\'') {
          if (j + 1 < s.size() && s[j + 1] == '\'') {
            t.text += '\'';
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        t.text += s[j++];
      }
      t.type = Tok::Text;
      i = j;
    } else if (identStart(c)) {
      size_t j = i;
      while (j < s.size() && identChar(s[j])) ++j;
      // A field label: prefix, colon, name.
      if (j + 1 < s.size() && s[j] == ':' && identStart(s[j + 1])) {
        ++j;
        while (j < s.size() && identChar(s[j])) ++j;
      }
      t.type = Tok::Ident;
      t.text = upper(s.substr(i, j - i));
      i = j;
    } else if (c == '(' || c == ')' || c == ',') {
      t.type = c == '(' ? Tok::LParen : c == ')' ? Tok::RParen : Tok::Comma;
      t.text = std::string(1, c);
      ++i;
    } else {
      static constexpr std::string_view ops[] = {"<>", "<=", ">=", "=>", "=<", "=",
                                                 "<",  ">",  "+",  "-",  "&"};
      std::string_view rest = s.substr(i);
      for (std::string_view op : ops) {
        if (rest.substr(0, op.size()) == op) {
          t.type = Tok::Op;
          t.text = std::string(op);
          break;
        }
      }
      if (t.type != Tok::Op) throw SyntaxError{"Unexpected '" + std::string(1, c) + "'" + at(i)};
      i += t.text.size();
    }
    out.push_back(std::move(t));
  }
}

class Parser {
 public:
  Parser(std::vector<Token> toks, std::vector<std::string>& names)
      : toks_(std::move(toks)), names_(names) {}

  std::unique_ptr<Node> parseAll() {
    auto n = orExpr();
    if (peek().type != Tok::End)
      throw SyntaxError{"Unexpected '" + describe(peek()) + "'" + at(peek().pos)};
    return n;
  }

 private:
  const Token& peek() const { return toks_[i_]; }
  Token take() { return toks_[i_ < toks_.size() - 1 ? i_++ : i_]; }
  bool isKeyword(const char* k) const { return peek().type == Tok::Ident && peek().text == k; }
  bool isOp(std::string_view op) const { return peek().type == Tok::Op && peek().text == op; }

  static std::string describe(const Token& t) {
    switch (t.type) {
      case Tok::End:
        return "end";
      case Tok::Number:
        return formatNumber(t.number);
      case Tok::Text:
        return "'" + t.text + "'";
      default:
        return t.text;
    }
  }

  std::unique_ptr<Node> make(Kind k, std::unique_ptr<Node> a, std::unique_ptr<Node> b = nullptr) {
    auto n = std::make_unique<Node>();
    n->kind = k;
    n->depth = 1 + std::max(a ? a->depth : 0, b ? b->depth : 0);
    if (n->depth > kMaxDepth) throw SyntaxError{"Expression nested too deeply"};
    n->a = std::move(a);
    n->b = std::move(b);
    return n;
  }

  std::unique_ptr<Node> orExpr() {
    auto l = andExpr();
    while (isKeyword("OR")) {
      take();
      l = make(Kind::Or, std::move(l), andExpr());
    }
    return l;
  }

  std::unique_ptr<Node> andExpr() {
    auto l = notExpr();
    while (isKeyword("AND")) {
      take();
      l = make(Kind::And, std::move(l), notExpr());
    }
    return l;
  }

  std::unique_ptr<Node> notExpr() {
    if (isKeyword("NOT")) {
      take();
      Guard g(*this);
      return make(Kind::Not, notExpr());
    }
    return cmpExpr();
  }

  std::unique_ptr<Node> cmpExpr() {
    auto l = addExpr();
    static const std::pair<const char*, Cmp> ops[] = {
        {"=", Cmp::Eq},  {"<>", Cmp::Ne}, {"<", Cmp::Lt},  {"<=", Cmp::Le},
        {"=<", Cmp::Le}, {">", Cmp::Gt},  {">=", Cmp::Ge}, {"=>", Cmp::Ge}};
    for (const auto& [text, cmp] : ops) {
      if (isOp(text)) {
        take();
        auto n = make(Kind::Cmp, std::move(l), addExpr());
        n->cmp = cmp;
        return n;
      }
    }
    return l;
  }

  std::unique_ptr<Node> addExpr() {
    auto l = unary();
    while (isOp("+") || isOp("-") || isOp("&")) {
      std::string op = take().text;
      Kind k = op == "+" ? Kind::Add : op == "-" ? Kind::Sub : Kind::Concat;
      l = make(k, std::move(l), unary());
    }
    return l;
  }

  std::unique_ptr<Node> unary() {
    if (isOp("-")) {
      take();
      Guard g(*this);
      return make(Kind::Neg, unary());
    }
    if (isOp("+")) {
      take();
      Guard g(*this);
      return unary();
    }
    return primary();
  }

  std::unique_ptr<Node> primary() {
    Token t = take();
    switch (t.type) {
      case Tok::Number: {
        auto n = std::make_unique<Node>();
        n->value = FilterValue::ofNumber(t.number);
        return n;
      }
      case Tok::Text: {
        auto n = std::make_unique<Node>();
        n->value = FilterValue::ofText(t.text);
        return n;
      }
      case Tok::LParen: {
        Guard g(*this);
        auto n = orExpr();
        expect(Tok::RParen, ")");
        return n;
      }
      case Tok::Ident: {
        if (t.text == "AND" || t.text == "OR" || t.text == "NOT")
          throw SyntaxError{"Unexpected '" + t.text + "'" + at(t.pos)};
        if (peek().type == Tok::LParen) return call(t);
        if (std::find(names_.begin(), names_.end(), t.text) == names_.end())
          names_.push_back(t.text);
        auto n = std::make_unique<Node>();
        n->kind = Kind::Name;
        n->name = t.text;
        return n;
      }
      case Tok::End:
        throw SyntaxError{"Unexpected end of expression"};
      default:
        throw SyntaxError{"Unexpected '" + describe(t) + "'" + at(t.pos)};
    }
  }

  std::unique_ptr<Node> call(const Token& fn) {
    take();  // (
    Guard g(*this);
    if (fn.text == "TODAY") {
      expect(Tok::RParen, ")");
      auto n = std::make_unique<Node>();
      n->kind = Kind::Today;
      return n;
    }
    Kind k;
    if (fn.text == "CLIP")
      k = Kind::Clip;
    else if (fn.text == "UPPER")
      k = Kind::Upper;
    else
      throw SyntaxError{"Unknown function '" + fn.text + "'" + at(fn.pos)};
    auto arg = orExpr();
    expect(Tok::RParen, ")");
    return make(k, std::move(arg));
  }

  void expect(Tok type, const char* what) {
    if (peek().type != type)
      throw SyntaxError{std::string("Expected '") + what + "'" + at(peek().pos) + ", found '" +
                        describe(peek()) + "'"};
    take();
  }

  // Bounds the parser's own recursion (parentheses, signs, not).
  struct Guard {
    explicit Guard(Parser& p) : p(p) {
      if (++p.nesting_ > kMaxDepth) throw SyntaxError{"Expression nested too deeply"};
    }
    ~Guard() { --p.nesting_; }
    Parser& p;
  };

  std::vector<Token> toks_;
  size_t i_ = 0;
  int nesting_ = 0;
  std::vector<std::string>& names_;
};

}  // namespace

Filter Filter::parse(std::string_view expr, std::string* error) {
  Filter f;
  if (error) error->clear();
  if (expr.find_first_not_of(" \t\r\n") == std::string_view::npos) return f;
  try {
    std::vector<std::string> names;
    Parser p(tokenize(expr), names);
    std::shared_ptr<const Node> root = p.parseAll();
    f.root_ = std::move(root);
    f.names_ = std::move(names);
  } catch (const SyntaxError& e) {
    f.valid_ = false;
    if (error) *error = e.what;
  }
  return f;
}

bool Filter::matches(const NameResolver& names) const {
  if (!valid_ || !root_) return true;
  return truth(eval(*root_, names));
}

std::string Filter::firstUnknownName(const NameResolver& names) const {
  for (const std::string& n : names_)
    if (!names.lookup(n) && !boundNames().lookup(n)) return n;
  return {};
}

namespace {

bool usesRecordName(const Node& n, const std::function<bool(std::string_view)>& isRecordName) {
  if (n.kind == Kind::Name && isRecordName(n.name)) return true;
  return (n.a && usesRecordName(*n.a, isRecordName)) || (n.b && usesRecordName(*n.b, isRecordName));
}

void collectBounds(const Node& n, const std::function<bool(std::string_view)>& isRecordName,
                   std::vector<Filter::Bound>& out) {
  if (n.kind == Kind::And) {
    collectBounds(*n.a, isRecordName, out);
    collectBounds(*n.b, isRecordName, out);
    return;
  }
  if (n.kind != Kind::Cmp || n.cmp == Cmp::Ne) return;
  const bool left = n.a->kind == Kind::Name && isRecordName(n.a->name);
  const Node& name = left ? *n.a : *n.b;
  const Node& other = left ? *n.b : *n.a;
  if (name.kind != Kind::Name || !isRecordName(name.name) || usesRecordName(other, isRecordName))
    return;
  using Op = Filter::Bound::Op;
  Op op = Op::Eq;
  switch (n.cmp) {
    case Cmp::Lt:
      op = left ? Op::Lt : Op::Gt;
      break;
    case Cmp::Le:
      op = left ? Op::Le : Op::Ge;
      break;
    case Cmp::Gt:
      op = left ? Op::Gt : Op::Lt;
      break;
    case Cmp::Ge:
      op = left ? Op::Ge : Op::Le;
      break;
    default:
      break;
  }
  out.push_back({name.name, op, eval(other, NoNames())});
}

}  // namespace

std::vector<Filter::Bound> Filter::bounds(
    const std::function<bool(std::string_view)>& isRecordName) const {
  std::vector<Bound> out;
  if (valid_ && root_) collectBounds(*root_, isRecordName, out);
  return out;
}

std::string quoteText(std::string_view userText) {
  std::string out = "'";
  for (char c : userText) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

void BoundNames::bind(std::string name, std::function<FilterValue()> getter) {
  std::lock_guard lock(mutex_);
  getters_[upper(name)] = std::move(getter);
}

std::optional<FilterValue> BoundNames::lookup(std::string_view name) const {
  std::function<FilterValue()> g;
  {
    std::lock_guard lock(mutex_);
    auto it = getters_.find(upper(name));
    if (it == getters_.end()) return std::nullopt;
    g = it->second;
  }
  return g();
}

BoundNames& boundNames() {
  static BoundNames names;
  return names;
}

}  // namespace qm
