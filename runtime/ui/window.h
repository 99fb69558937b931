#pragma once
// A window built from its definition: the widgets, their bindings to fields
// (through pictures) and the events they give their procedure.
#include <QFont>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QScrollBar>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/store/store.h"
#include "runtime/ui/windowdef.h"

class QWidget;

namespace qm {

class WindowProcedure;

// Dialog units of a font: x in quarters of the average character width, y
// in eighths of the character height.
class DialogUnits {
 public:
  DialogUnits() = default;
  explicit DialogUnits(const QFont& font);
  int x(int du) const;
  int y(int du) const;
  int toDuX(int px) const;
  int toDuY(int px) const;

 private:
  double cx_ = 6.0;
  double cy_ = 13.0;
};

// The installed font a window definition names.
QFont windowFont(const WindowDef& def);

// Where a control reads and writes its value. Values are value texts as
// RecordBuffer::valueText gives them (dates as day numbers).
struct Binding {
  std::function<std::string()> get;
  std::function<bool(const std::string&)> set;
  std::optional<FieldType> type;  // of a record field; none for memos and values
  bool isMemo = false;
  int width = 0;  // characters the value holds (text fields, memos, globals); 0 unknown
};
using BindingResolver = std::function<std::optional<Binding>(const std::string& name)>;

class Control {
 public:
  Control(int number, const ControlDef& def) : number_(number), def_(def) {}

  int number() const { return number_; }
  const ControlDef& def() const { return def_; }
  const std::string& id() const { return def_.id; }
  Kind kind() const { return def_.kind; }
  QWidget* widget() const { return widget_; }
  // A list's own vertical scroll bar, beside it (nullptr for other kinds).
  QScrollBar* scrollBar() const { return bar_; }
  // How it follows a resizable window (Anchor flags, resolved).
  int anchor() const { return anchor_; }
  bool bound() const { return binding_.has_value(); }
  // Takes part in the form's OK pass: bound entries, memos, checks, options, drops.
  bool isData() const;

  // The text shown ("" for widgets without text).
  std::string screenText() const;
  void setScreenText(const std::string& text);
  // Shows the bound value through the picture.
  void show();
  // Stores what the control shows into its field. False, with the reason,
  // when the picture refuses it (the field keeps its value).
  bool take(std::string* error);
  // The bound value as text ("" when unbound).
  std::string value() const;
  bool setValue(const std::string& valueText);

  void setEnabled(bool on);
  void setHidden(bool on);

 private:
  friend class Window;
  int number_;
  ControlDef def_;
  QPointer<QWidget> widget_;
  QPointer<QScrollBar> bar_;
  std::optional<Binding> binding_;
  bool showing_ = false;
  // What show() put in a control and the whole value behind it: a control
  // left as shown stores that value, not what the control can represent.
  std::string shownText_, shownValue_;
  std::string choiceShown() const;
  QRect base_;          // in its container, as built (a list with its bar)
  int container_ = -1;  // index of the container control, -1 the window
  int anchor_ = AnchorNone;
};

class Window : public QObject {
  Q_OBJECT
 public:
  Window(const WindowDef& def, WindowProcedure& owner, BindingResolver resolve);
  ~Window() override;

  QWidget* content() const { return content_; }
  const DialogUnits& units() const { return units_; }
  const WindowDef& def() const { return def_; }
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  // Where a field name leads, as the controls bind it.
  std::optional<Binding> binding(const std::string& name) const {
    return resolve_ ? resolve_(name) : std::nullopt;
  }
  Control* find(int number) const;
  Control* find(const std::string& id) const;
  Control* byWidget(const QObject* w) const;
  void displayAll();
  // Client size in dialog units.
  int duWidth() const;
  int duHeight() const;

  // Moves and grows the controls by their anchors as the window's size changes.
  void relayout();

  // A status line along the bottom of the window (the window grows by it);
  // nullptr until added.
  QLabel* addStatusLine(const std::string& text);
  QLabel* statusLine() const { return status_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Origin;
  void build();
  void fitTexts();
  const Origin* originFor(const ControlDef& c) const;
  void wire(Control& c);
  void resolveAnchors();
  void place(Control& c, const QRect& r);

  WindowDef def_;
  WindowProcedure& owner_;
  BindingResolver resolve_;
  QPointer<QWidget> content_;
  DialogUnits units_;
  std::vector<std::unique_ptr<Control>> controls_;
  struct Origin {
    QWidget* widget;
    int x, y;    // the container's origin in window dialog units
    int px, py;  // where its children's area starts inside it, in pixels
    int index;   // of its control
  };
  std::vector<std::pair<std::string, Origin>> containers_;
  int baseW_ = 0, baseH_ = 0;
  QPointer<QLabel> status_;
  QRect statusBase_;
};

// Value text of a number for a field type (decimals keep two places).
std::string numberText(double v, std::optional<FieldType> type);

}  // namespace qm
