#include "runtime/ui/window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabWidget>
#include <QTableView>
#include <cmath>
#include <cstdio>
#include <optional>

#include "runtime/report/fontmap.h"
#include "runtime/ui/layoutcheck.h"
#include "runtime/ui/procedure.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/picture.h"
#include "runtime/values/text.h"

namespace qm {

// ---- dialog units -----------------------------------------------------------

DialogUnits::DialogUnits(const QFont& font) {
  QFontMetricsF fm(font);
  double w =
      fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
      52.0;
  if (w >= 4.0) cx_ = w;
  if (fm.height() >= 8.0) cy_ = fm.height();
}

int DialogUnits::x(int du) const { return static_cast<int>(std::lround(du * cx_ / 4.0)); }
int DialogUnits::y(int du) const { return static_cast<int>(std::lround(du * cy_ / 8.0)); }
int DialogUnits::toDuX(int px) const { return static_cast<int>(std::lround(px * 4.0 / cx_)); }
int DialogUnits::toDuY(int px) const { return static_cast<int>(std::lround(px * 8.0 / cy_)); }

QFont windowFont(const WindowDef& def) {
  return mappedFont(def.font, def.fontSize > 0 ? def.fontSize : 8);
}

std::string numberText(double v, std::optional<FieldType> type) {
  char buf[64];
  if (type && *type == FieldType::Decimal42) {
    std::snprintf(buf, sizeof buf, "%.2f", v);
  } else if (type &&
             (*type == FieldType::Int2 || *type == FieldType::Int4 || *type == FieldType::UInt1)) {
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(std::llround(v)));
  } else if (std::floor(v) == v && std::fabs(v) < 1e15) {
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
  } else {
    std::snprintf(buf, sizeof buf, "%.15g", v);
  }
  return buf;
}

// ---- control --------------------------------------------------------------

bool Control::isData() const {
  if (!bound() || def_.readOnly) return false;
  switch (def_.kind) {
    case Kind::Entry:
    case Kind::Memo:
    case Kind::Check:
    case Kind::Option:
    case Kind::Drop:
      return true;
    default:
      return false;
  }
}

std::string Control::screenText() const {
  if (!widget_) return {};
  if (auto* e = qobject_cast<QLineEdit*>(widget_)) return e->text().toStdString();
  if (auto* m = qobject_cast<QPlainTextEdit*>(widget_)) return m->toPlainText().toStdString();
  if (auto* l = qobject_cast<QLabel*>(widget_)) return l->text().toStdString();
  if (auto* b = qobject_cast<QAbstractButton*>(widget_)) return b->text().toStdString();
  if (auto* g = qobject_cast<QGroupBox*>(widget_)) return g->title().toStdString();
  if (auto* c = qobject_cast<QComboBox*>(widget_)) return c->currentText().toStdString();
  return {};
}

void Control::setScreenText(const std::string& text) {
  if (!widget_) return;
  QString t = QString::fromStdString(text);
  QSignalBlocker block(widget_);
  if (auto* e = qobject_cast<QLineEdit*>(widget_)) {
    e->setText(t);
    e->setModified(false);
  } else if (auto* m = qobject_cast<QPlainTextEdit*>(widget_)) {
    m->setPlainText(t);
  } else if (auto* l = qobject_cast<QLabel*>(widget_)) {
    l->setText(t);
  } else if (auto* b = qobject_cast<QAbstractButton*>(widget_)) {
    b->setText(t);
  } else if (auto* g = qobject_cast<QGroupBox*>(widget_)) {
    g->setTitle(t);
  }
}

std::string Control::value() const {
  return binding_ && binding_->get ? binding_->get() : std::string();
}

bool Control::setValue(const std::string& valueText) {
  if (!binding_ || !binding_->set) return false;
  return binding_->set(valueText);
}

namespace {

std::string shown(std::string_view picture, const std::string& value) {
  if (picture.empty()) return std::string(clip(value));
  std::string s = formatAny(picture, value);
  if (pictureKind(picture) == PictureKind::Text) return std::string(clip(s));
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return std::string(clip(std::string_view(s).substr(b)));
}

}  // namespace

void Control::show() {
  if (!widget_ || !binding_) return;
  std::string v = value();
  QSignalBlocker block(widget_);
  switch (def_.kind) {
    case Kind::Entry:
    case Kind::Text:
      shownText_ = shown(def_.picture, v);
      shownValue_ = v;
      setScreenText(shownText_);
      break;
    case Kind::Memo:
      setScreenText(v);
      shownText_ = screenText();
      shownValue_ = v;
      break;
    case Kind::Check:
      if (auto* c = qobject_cast<QCheckBox*>(widget_)) c->setChecked(textEqual(v, def_.trueValue));
      shownText_ = choiceShown();
      shownValue_ = v;
      break;
    case Kind::Option: {
      auto radios = widget_->findChildren<QRadioButton*>();
      QRadioButton* on = nullptr;
      for (auto* r : radios)
        if (textEqual(v, r->property("qmValue").toString().toStdString())) on = r;
      for (auto* r : radios) {
        r->setAutoExclusive(false);
        r->setChecked(r == on);
        r->setAutoExclusive(true);
      }
      shownText_ = choiceShown();
      shownValue_ = v;
      break;
    }
    case Kind::Drop:
      if (auto* c = qobject_cast<QComboBox*>(widget_)) {
        // A value not among the entries read so far still shows.
        const QString shown = QString::fromStdString(std::string(clip(v)));
        c->setCurrentIndex(c->findText(shown));
        if (c->currentIndex() < 0) c->setPlaceholderText(shown);
      }
      shownText_ = choiceShown();
      shownValue_ = v;
      break;
    default:
      break;
  }
}

// The state of a check box, option or drop list as a text to compare.
std::string Control::choiceShown() const {
  if (auto* c = qobject_cast<QCheckBox*>(widget_)) return c->isChecked() ? "1" : "0";
  if (auto* d = qobject_cast<QComboBox*>(widget_))
    return std::to_string(d->currentIndex()) + ":" + d->currentText().toStdString();
  std::string on;
  if (widget_)
    for (auto* r : widget_->findChildren<QRadioButton*>())
      if (r->isChecked()) on += r->property("qmValue").toString().toStdString() + "\n";
  return on;
}

bool Control::take(std::string* error) {
  if (!binding_ || def_.readOnly) return true;
  std::string v;
  switch (def_.kind) {
    case Kind::Entry:
    case Kind::Memo: {
      std::string typed = screenText();
      if (def_.kind == Kind::Memo) {
        // Held to the memo's size as typed; left as shown, it keeps it all.
        v = typed == shownText_
                ? shownValue_
                : std::string(cutChars(typed, binding_->width > 0 ? std::size_t(binding_->width)
                                                                  : std::string::npos));
        break;
      }
      if (def_.picture.empty()) {
        v = typed;
        break;
      }
      Deformatted d = deformat(def_.picture, typed);
      if (!d.ok) {
        if (error) *error = d.error.empty() ? "The value entered is not valid." : d.error;
        return false;
      }
      switch (pictureKind(def_.picture)) {
        case PictureKind::Number:
          v = numberText(d.number, binding_->type);
          break;
        case PictureKind::Date:
          v = std::to_string(d.day);
          break;
        case PictureKind::Time:
          v = std::to_string(d.time);
          break;
        case PictureKind::Pattern:
          v = binding_->type && *binding_->type != FieldType::Text
                  ? numberText(d.number, binding_->type)
                  : d.text;
          break;
        default:
          v = typed == shownText_ ? shownValue_ : d.text;
          break;
      }
      break;
    }
    case Kind::Check:
      v = qobject_cast<QCheckBox*>(widget_) && qobject_cast<QCheckBox*>(widget_)->isChecked()
              ? def_.trueValue
              : def_.falseValue;
      break;
    case Kind::Option: {
      bool any = false;
      for (auto* r : widget_->findChildren<QRadioButton*>())
        if (r->isChecked()) {
          v = r->property("qmValue").toString().toStdString();
          any = true;
        }
      if (!any) return true;
      break;
    }
    case Kind::Drop: {
      auto* c = qobject_cast<QComboBox*>(widget_);
      if (!c || c->currentIndex() < 0) return true;
      v = c->currentText().toStdString();
      break;
    }
    default:
      return true;
  }
  // A choice left as shown gives back the value it was shown, one it cannot
  // represent ("y", "X") included; a blank check box still writes its mark.
  const bool choice = def_.kind == Kind::Option || def_.kind == Kind::Drop ||
                      (def_.kind == Kind::Check && !clip(shownValue_).empty());
  if (choice && choiceShown() == shownText_) v = shownValue_;
  if (!setValue(v)) {
    if (error) *error = "The value entered cannot be stored.";
    return false;
  }
  return true;
}

void Control::setEnabled(bool on) {
  if (widget_) widget_->setEnabled(on);
  if (bar_) bar_->setEnabled(on);
}

void Control::setHidden(bool on) {
  if (widget_) widget_->setHidden(on);
  if (bar_) bar_->setHidden(on);
}

namespace {

// A sheet that tells where its pages start, as its own layout places them.
class Sheet : public QTabWidget {
 public:
  using QTabWidget::QTabWidget;
  QPoint pageOrigin() const {
    QStyleOptionTabWidgetFrame opt;
    initStyleOption(&opt);
    return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &opt, this).topLeft();
  }
};

bool grows(Kind k) { return k == Kind::List || k == Kind::Sheet || k == Kind::Memo; }

}  // namespace

// ---- window -------------------------------------------------------------------

Window::Window(const WindowDef& def, WindowProcedure& owner, BindingResolver resolve)
    : def_(def), owner_(owner), resolve_(std::move(resolve)) {
  build();
}

Window::~Window() {
  if (content_) content_->removeEventFilter(this);
}

Control* Window::find(int number) const {
  if (number < 1 || number > static_cast<int>(controls_.size())) return nullptr;
  return controls_[static_cast<size_t>(number - 1)].get();
}

Control* Window::find(const std::string& id) const {
  for (auto& c : controls_)
    if (!c->id().empty() && compareNoCase(c->id(), id) == 0) return c.get();
  return nullptr;
}

Control* Window::byWidget(const QObject* w) const {
  for (auto& c : controls_)
    if (c->widget_ == w) return c.get();
  return nullptr;
}

void Window::displayAll() {
  for (auto& c : controls_) c->show();
}

int Window::duWidth() const { return content_ ? units_.toDuX(content_->width()) : 0; }
int Window::duHeight() const { return content_ ? units_.toDuY(content_->height()) : 0; }

const Window::Origin* Window::originFor(const ControlDef& c) const {
  if (c.parent.empty()) return nullptr;
  for (auto& [id, o] : containers_)
    if (compareNoCase(id, c.parent) == 0) return &o;
  return nullptr;
}

void Window::build() {
  QFont font = windowFont(def_);
  units_ = DialogUnits(font);
  content_ = new QWidget;
  content_->setFont(font);
  content_->setWindowTitle(QString::fromStdString(def_.title));
  content_->resize(units_.x(def_.w), units_.y(def_.h));
  content_->installEventFilter(this);
  baseW_ = content_->width();
  baseH_ = content_->height();

  int number = 0;
  for (const ControlDef& cd : def_.controls) {
    auto ctl = std::make_unique<Control>(++number, cd);
    // A copy: adding a container below may move the list the origin came from.
    std::optional<Origin> origin;
    if (const Origin* o = originFor(cd)) origin = *o;
    QWidget* parent = origin ? origin->widget : content_.data();
    ctl->container_ = origin ? origin->index : -1;
    int index = number - 1;
    QString text = QString::fromStdString(cd.text);
    QWidget* w = nullptr;
    switch (cd.kind) {
      case Kind::Prompt:
      case Kind::Text:
      case Kind::Image:
        w = new QLabel(text, parent);
        break;
      case Kind::Entry: {
        auto* e = new QLineEdit(parent);
        e->setReadOnly(cd.readOnly);
        w = e;
        break;
      }
      case Kind::Memo: {
        auto* m = new QPlainTextEdit(parent);
        m->setReadOnly(cd.readOnly);
        m->setTabChangesFocus(true);  // Tab goes on to the next control
        w = m;
        break;
      }
      case Kind::Check:
        w = new QCheckBox(text, parent);
        break;
      case Kind::Option:
      case Kind::Group: {
        auto* g = new QGroupBox(text, parent);
        w = g;
        containers_.push_back({cd.id, Origin{g, cd.x, cd.y, 0, 0, index}});
        break;
      }
      case Kind::Radio: {
        auto* r = new QRadioButton(text, parent);
        r->setProperty("qmValue", QString::fromStdString(cd.value));
        w = r;
        break;
      }
      case Kind::Button: {
        auto* b = new QPushButton(text, parent);
        if (!cd.icon.empty()) b->setIcon(loadIcon(cd.icon));
        b->setDefault(cd.defaultButton);
        b->setAutoDefault(false);
        w = b;
        break;
      }
      case Kind::List: {
        auto* t = new QTableView(parent);
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        // The list holds only the rows it shows: its own bar cannot tell the
        // place in the file, so the browse drives a bar of its own beside it.
        t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        t->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        t->verticalHeader()->hide();
        t->setWordWrap(false);  // a long link or path stays on its row
        // Compact rows: the font's height and a small margin.
        const int rowH = QFontMetrics(font).height() + 4;
        t->verticalHeader()->setMinimumSectionSize(rowH);
        t->verticalHeader()->setDefaultSectionSize(rowH);
        t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        // Tab leaves the list for the next control; arrows move in it.
        t->setTabKeyNavigation(false);
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setContextMenuPolicy(Qt::CustomContextMenu);
        auto* bar = new QScrollBar(Qt::Vertical, parent);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setRange(0, 0);
        ctl->bar_ = bar;
        w = t;
        break;
      }
      case Kind::Drop: {
        auto* c = new QComboBox(parent);
        c->setEditable(false);
        w = c;
        break;
      }
      case Kind::Sheet: {
        auto* sheet = new Sheet(parent);
        // Tabs beyond the sheet's width scroll into view, each whole.
        sheet->setElideMode(Qt::ElideNone);
        sheet->setUsesScrollButtons(true);
        w = sheet;
        break;
      }
      case Kind::Tab: {
        auto* page = new QWidget;
        QPoint at;
        int sx = origin ? origin->x : 0, sy = origin ? origin->y : 0;
        if (auto* sheet = dynamic_cast<Sheet*>(parent)) {
          sheet->addTab(page, text);
          at = sheet->pageOrigin();  // below the real tab bar
        } else {
          page->setParent(content_);
        }
        containers_.push_back({cd.id, Origin{page, sx, sy, at.x(), at.y(), index}});
        w = page;
        break;
      }
      case Kind::Region:
        w = new QWidget(parent);
        w->setAttribute(Qt::WA_NoSystemBackground);
        break;
      case Kind::Progress:
        w = new QProgressBar(parent);
        break;
    }
    ctl->widget_ = w;
    if (cd.kind != Kind::Tab) {
      int ox = origin ? origin->x : 0, oy = origin ? origin->y : 0;
      int px = origin ? origin->px : 0, py = origin ? origin->py : 0;
      ctl->base_ = QRect(std::max(0, units_.x(cd.x - ox) - px),
                         std::max(0, units_.y(cd.y - oy) - py), units_.x(cd.w), units_.y(cd.h));
      place(*ctl, ctl->base_);
    }
    if (cd.kind == Kind::Sheet) containers_.push_back({cd.id, Origin{w, cd.x, cd.y, 0, 0, index}});
    if (!cd.tip.empty()) w->setToolTip(QString::fromStdString(cd.tip));
    if (cd.hidden) ctl->setHidden(true);
    if (cd.disabled) ctl->setEnabled(false);
    if (!cd.field.empty() && resolve_) ctl->binding_ = resolve_(cd.field);
    // An entry bound to a path or directory takes the whole of it, whatever
    // the width of its picture.
    if (ctl->binding_ && ctl->binding_->width >= kPathWidth)
      ctl->def_.picture = widenedPicture(cd.picture, ctl->binding_->width);
    w->installEventFilter(this);
    wire(*ctl);
    controls_.push_back(std::move(ctl));
  }
  fitTexts();
  resolveAnchors();
}

namespace {

bool isFocusable(Kind k) {
  switch (k) {
    case Kind::Entry:
    case Kind::Memo:
    case Kind::Check:
    case Kind::Option:
    case Kind::Radio:
    case Kind::Button:
    case Kind::List:
    case Kind::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

// Texts are measured in the real font: a prompt taller than a line wraps as
// static text does; a text still too wide takes free room to its right (or,
// for a button, both sides) inside its container.
void Window::fitTexts() {
  for (size_t i = 0; i < controls_.size(); ++i) {
    Control& c = *controls_[i];
    if (auto* l = qobject_cast<QLabel*>(c.widget_.data()); l && c.kind() == Kind::Prompt) {
      // A prompt's mnemonic goes to the control after it.
      if (hasMnemonic(l->text())) {
        QWidget* buddy = content_;
        for (size_t j = i + 1; j < controls_.size(); ++j)
          if (isFocusable(controls_[j]->kind()) && controls_[j]->widget_) {
            buddy = controls_[j]->widget_;
            break;
          }
        l->setBuddy(buddy);
      }
      const QFontMetrics fm(l->font());
      if (l->height() >= 2 * fm.lineSpacing()) l->setWordWrap(true);
    }
    if (c.kind() != Kind::Prompt && c.kind() != Kind::Button && c.kind() != Kind::Check &&
        c.kind() != Kind::Radio)
      continue;
    QWidget* w = c.widget_;
    if (!w || c.def_.hidden || !w->parentWidget()) continue;
    const int need = textNeeds(w) - w->width();
    if (need <= 0) continue;
    auto freeRoom = [&](const QRect& strip) {
      if (!w->parentWidget()->rect().contains(strip)) return false;
      for (auto& o : controls_) {
        if (o.get() == &c || !o->widget_ || o->widget_->parentWidget() != w->parentWidget() ||
            o->def_.hidden || o->kind() == Kind::Group || o->kind() == Kind::Option ||
            o->kind() == Kind::Sheet || o->kind() == Kind::Tab)
          continue;
        QRect r = o->widget_->geometry();
        if (o->bar_) r = r.united(o->bar_->geometry());
        if (r.intersects(strip)) return false;
      }
      return true;
    };
    QRect g = w->geometry();
    const QRect right(g.right() + 1, g.y(), need, g.height());
    const int half = (need + 1) / 2;
    if (c.kind() == Kind::Button && freeRoom(QRect(g.x() - half, g.y(), half, g.height())) &&
        freeRoom(QRect(g.right() + 1, g.y(), half, g.height()))) {
      g.adjust(-half, 0, half, 0);
    } else if (freeRoom(right)) {
      g.setWidth(g.width() + need);
    } else {
      continue;
    }
    c.base_ = g;
    place(c, g);
  }
}

void Window::place(Control& c, const QRect& r) {
  if (!c.widget_) return;
  if (!c.bar_) {
    c.widget_->setGeometry(r);
    return;
  }
  int bw = std::min(r.width() / 2,
                    c.bar_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, c.bar_));
  c.widget_->setGeometry(r.x(), r.y(), r.width() - bw, r.height());
  c.bar_->setGeometry(r.x() + r.width() - bw, r.y(), bw, r.height());
}

// Anchors left to the definition come from each control's place beside the
// growing controls of its own container.
void Window::resolveAnchors() {
  auto below = [](const ControlDef& c, const ControlDef& g) { return c.y >= g.y + g.h; };
  auto rightOf = [](const ControlDef& c, const ControlDef& g) { return c.x >= g.x + g.w; };
  for (auto& c : controls_) {
    const ControlDef& d = c->def_;
    if (d.anchor != AnchorAuto) {
      c->anchor_ = d.anchor;
      continue;
    }
    if (d.kind == Kind::Tab) continue;
    bool down = false, right = false;
    for (auto& g : controls_) {
      if (g.get() == c.get() || !grows(g->kind()) || g->container_ != c->container_) continue;
      down = down || below(d, g->def_);
      right = right || rightOf(d, g->def_);
    }
    int a = AnchorNone;
    if (grows(d.kind))
      a = (down ? AnchorBottom : AnchorHeight) | (right ? AnchorRight : AnchorWidth);
    else
      a = (down ? AnchorBottom : 0) | (right ? AnchorRight : 0);
    c->anchor_ = a;
  }
}

QLabel* Window::addStatusLine(const std::string& text) {
  if (!content_) return nullptr;
  if (!status_) {
    status_ = new QLabel(content_);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    int h = status_->sizeHint().height();
    statusBase_ = QRect(0, baseH_, baseW_, h);
    status_->setGeometry(statusBase_);
    baseH_ += h;
    content_->resize(content_->width(), content_->height() + h);
  }
  status_->setText(QString::fromStdString(text));
  return status_;
}

void Window::wire(Control& c) {
  QWidget* w = c.widget_;
  Control* cp = &c;
  switch (c.kind()) {
    case Kind::Entry:
      QObject::connect(qobject_cast<QLineEdit*>(w), &QLineEdit::editingFinished, this, [this, cp] {
        if (!cp->widget_ || !cp->widget_->isVisible()) return;
        owner_.fieldEvent(*cp, Event::Accepted);
      });
      break;
    case Kind::Check:
      QObject::connect(qobject_cast<QCheckBox*>(w), &QCheckBox::clicked, this,
                       [this, cp] { owner_.fieldEvent(*cp, Event::Accepted); });
      break;
    case Kind::Radio:
      QObject::connect(qobject_cast<QRadioButton*>(w), &QRadioButton::clicked, this, [this, cp] {
        for (auto& o : controls_)
          if (o->kind() == Kind::Option && compareNoCase(o->id(), cp->def().parent) == 0) {
            owner_.fieldEvent(*o, Event::Accepted);
            return;
          }
        owner_.fieldEvent(*cp, Event::Accepted);
      });
      break;
    case Kind::Button:
      QObject::connect(qobject_cast<QPushButton*>(w), &QPushButton::clicked, this,
                       [this, cp] { owner_.fieldEvent(*cp, Event::Accepted); });
      break;
    case Kind::Drop:
      QObject::connect(qobject_cast<QComboBox*>(w), qOverload<int>(&QComboBox::activated), this,
                       [this, cp](int) {
                         owner_.fieldEvent(*cp, Event::NewSelection);
                         owner_.fieldEvent(*cp, Event::Accepted);
                       });
      break;
    case Kind::Sheet:
      QObject::connect(qobject_cast<QTabWidget*>(w), &QTabWidget::currentChanged, this,
                       [this, cp](int) { owner_.fieldEvent(*cp, Event::NewSelection); });
      break;
    default:
      break;
  }
}

void Window::relayout() {
  if (!content_) return;
  int dw = content_->width() - baseW_, dh = content_->height() - baseH_;
  if (status_)
    status_->setGeometry(statusBase_.x(), statusBase_.y() + dh,
                         std::max(0, statusBase_.width() + dw), statusBase_.height());
  // Every window follows its anchors: one its definition does not let the
  // user resize may still be maximised.
  // What each container grew by, in definition order (containers come first).
  std::vector<QPoint> grown(controls_.size());
  for (size_t i = 0; i < controls_.size(); ++i) {
    Control& c = *controls_[i];
    QPoint by = c.container_ < 0 ? QPoint(dw, dh) : grown[static_cast<size_t>(c.container_)];
    if (c.kind() == Kind::Tab) {
      grown[i] = by;  // the sheet's pages grow with it
      continue;
    }
    QRect r = c.base_;
    if (c.anchor_ & AnchorRight) r.translate(by.x(), 0);
    if (c.anchor_ & AnchorBottom) r.translate(0, by.y());
    if (c.anchor_ & AnchorWidth) r.setWidth(std::max(20, r.width() + by.x()));
    if (c.anchor_ & AnchorHeight) r.setHeight(std::max(20, r.height() + by.y()));
    grown[i] = QPoint(r.width() - c.base_.width(), r.height() - c.base_.height());
    place(c, r);
  }
}

bool Window::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* k = static_cast<QKeyEvent*>(event);
      if (owner_.handleKey(k->key(), static_cast<int>(k->modifiers()))) return true;
      break;
    }
    case QEvent::FocusIn:
      if (Control* c = byWidget(watched)) {
        owner_.noteFocus(c->widget());
        owner_.fieldEvent(*c, Event::Selected);
      }
      break;
    case QEvent::FocusOut:
      if (Control* c = byWidget(watched); c && c->kind() == Kind::Memo && c->widget_->isVisible())
        owner_.fieldEvent(*c, Event::Accepted);
      break;
    case QEvent::MouseButtonPress:
      if (Control* c = byWidget(watched); c && c->kind() == Kind::Region)
        owner_.fieldEvent(*c, Event::MouseDown);
      break;
    case QEvent::Resize:
      if (watched == content_) relayout();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace qm
