#pragma once
// Window procedures on logical threads. Every window, report and process is a
// WindowProcedure: the manager runs its life (name stack, request globals,
// files, window, placement) and the procedure overrides only the hooks.
// Qt's GUI thread runs everything; a "thread" here is a logical number with
// its own record buffers (see runtime/store/thread.h). No call waits in a
// nested event loop: a called procedure answers through a continuation.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "runtime/values/text.h"

class QAbstractButton;
class QIcon;
class QMdiArea;
class QMdiSubWindow;

namespace qm {

class Control;
struct Binding;
class DataFile;
struct HeldRecord;
class Window;
class WindowProcedure;
struct WindowDef;

using ProcedureFactory = std::function<std::unique_ptr<WindowProcedure>()>;
// How a subsystem hands its procedures to a registry: (name, stack size,
// factory); a stack size of 0 means called only, on the caller's thread.
using ProcedureRegistrar =
    std::function<void(std::string name, int stackSize, ProcedureFactory factory)>;
using ResponseHandler = std::function<void(int response)>;

// The frame's toolbar navigation, in the order of its buttons.
enum class Nav {
  First,
  PriorPage,
  PriorRecord,
  Locate,
  NextRecord,
  NextPage,
  Last,
  Select,
  Insert,
  Change,
  Delete,
  Ditto,
  Help
};
// Toolbar buttons are numbered from 2000 in Nav order; posting an Accepted
// event with one of these numbers navigates the target procedure.
constexpr int kToolbarFirst = 2000;
constexpr int kToolbarLast = 2012;
std::optional<Nav> navOfControl(int control);
constexpr int controlOfNav(Nav n) { return kToolbarFirst + static_cast<int>(n); }

// Events a procedure receives. Control events carry the control's number
// (its 1-based position in the window definition); window events carry 0.
enum class Event {
  Accepted,      // a control's value was accepted (left, pressed, chosen)
  Selected,      // a control got the focus
  NewSelection,  // a list or drop list moved to another row
  MouseDown,     // a mouse button went down on a region
  OpenWindow,    // the window has opened (after placement, before the user acts)
  CloseWindow,   // asked to close (the window's close box, a posted close)
  Completed,     // the form's OK pass is through: save
  Timer,
};

// ---- Program-wide hooks -------------------------------------------------
// Child windows go into this area; with none set, windows are top-level.
void setFrameArea(QMdiArea* area);
QMdiArea* frameArea();
// The program-wide icon ("~qm.ico"), given by the frame.
void setProgramIcon(const QIcon& icon);
QIcon programIcon();
// Turns an icon name of a window definition ("insert3.ico") into an icon.
void setIconLoader(std::function<QIcon(const std::string&)> loader);
QIcon loadIcon(const std::string& name);
// Help requests of the patterns (Help button, toolbar help) go here.
void setHelpHandler(std::function<void(const std::string& procedure)> h);
void requestHelp(const std::string& procedure);

// ---- Threads ---------------------------------------------------------------
// Starts the procedure on a new logical thread and returns the thread number
// at once; the thread ends when the procedure returns. The stack size is
// recorded with the thread.
int startProcedure(std::string name, int stackSize, ProcedureFactory factory);
// Runs a procedure on an existing thread with the request; done gets the
// response. A caller given is disabled until the procedure returns.
void runProcedure(int thread, ProcedureFactory factory, int request, ResponseHandler done,
                  WindowProcedure* caller = nullptr);
// Queues an event for the innermost running procedure of the thread. A
// toolbar number with Accepted navigates it. Unknown threads ignore it.
void postEvent(int thread, Event event, int control = 0);

int threadStackSize(int thread);  // 0 for a thread not started here
std::string threadName(int thread);
bool threadRunning(int thread);
std::vector<int> runningThreads();  // started threads still running
// Innermost running procedure of a thread, or nullptr.
WindowProcedure* topProcedure(int thread);
// The procedure of the active child window (or active top-level window).
WindowProcedure* activeProcedure();
// Forwards the toolbar's navigation to the active procedure; nothing when
// no procedure window is active.
void navigateActive(Nav nav);

// ---- The procedure ---------------------------------------------------------
class WindowProcedure : public QObject {
  Q_OBJECT

 public:
  explicit WindowProcedure(std::string name);
  ~WindowProcedure() override;
  WindowProcedure(const WindowProcedure&) = delete;
  WindowProcedure& operator=(const WindowProcedure&) = delete;

  const std::string& name() const { return name_; }
  int threadId() const { return thread_; }
  int request() const { return request_; }
  int response() const { return response_; }
  void setResponse(int r) { response_ = r; }
  WindowProcedure* caller() const { return caller_; }
  bool isRunning() const { return running_; }

  // The built window's client widget (nullptr for a windowless procedure or
  // before it is built) and its outer window (MDI child or top-level).
  QWidget* window() const;
  QWidget* outerWindow() const;
  Window* built() const { return win_.get(); }

  // Controls by number (1-based position in the definition) or by id.
  Control* control(int number) const;
  Control* control(const std::string& id) const;

  // Queues an event for this procedure.
  void post(Event event, int control = 0);
  // Ends the procedure with the response (now: files closed, placement
  // saved, caller continued; widgets are deleted later).
  void close(int response);
  // Asks to close as the close box does: window hooks and checks first.
  void requestClose();
  // A long run of this window lets events in between its pages. While it
  // does, a close (Esc, Close, the close box) asks the run to stop instead
  // and the window stays to show what the run did; no other control is
  // accepted (its run button does not start a second run inside the first).
  void beginRun();
  void endRun();
  bool stopAsked() const { return stopAsked_; }
  // Asked before the program closes every window: false when the user keeps
  // this one, and with it the program, open. A yes holds for the close that
  // follows; keepOpen withdraws it when another window stayed.
  bool mayClose();
  void keepOpen() { closeAgreed_ = false; }
  // The frame's toolbar.
  virtual void navigate(Nav nav);

  // Calls a procedure on this thread; this window is disabled until it
  // returns, then done runs (in this procedure's scope) with its response.
  void callProcedure(ProcedureFactory factory, int request, ResponseHandler done);
  // The update call by number: sets the request, calls, answers with the
  // response. The default calls the factory set for the number, else
  // answers 2 at once.
  virtual void runUpdate(int number, int request, ResponseHandler done);
  void setUpdate(int number, ProcedureFactory factory);

  // Focus a control; the form's OK pass stops when a handler does this.
  void select(Control& c);
  // Gives the keyboard to the control that last had it in this window, else
  // to the one the window opens on.
  void focusWindow();
  // Redisplay every control (or one) from its field.
  void display();
  void display(Control& c);

  // The status text its definition gives ("" when none). A frame child
  // shows it in the frame's status bar while active; another window on a
  // status line of its own.
  std::string statusText() const;

  // Settings section of this procedure (its name).
  std::string section() const { return name_; }

  // Runs a function in this procedure's scope (its thread and name).
  void inScope(const std::function<void()>& f);
  // Record state is found by thread: whatever reaches the procedure from
  // outside its pattern (a signal, a helper's callback, a watched widget's
  // events) comes through these, so it runs in the procedure's scope.
  //
  // handler, made to run in this procedure's scope with the arguments it is
  // called with (or none, when it takes none).
  template <class Handler>
  auto scoped(Handler handler) {
    return [this, handler](const auto&... args) {
      inScope([&] {
        if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
          handler(args...);
        else
          handler();
      });
    };
  }
  // Connects sender's signal to the scoped handler; the connection ends
  // with either side.
  template <class Sender, class Signal, class Handler>
  QMetaObject::Connection connectInScope(Sender* sender, Signal signal, Handler handler) {
    return QObject::connect(sender, signal, this, scoped(std::move(handler)));
  }
  // Hands watched's events to filter in this procedure's scope (true: the
  // event is taken), for a helper that works one of the window's widgets.
  void watchInScope(QObject* watched, std::function<bool(QObject*, QEvent*)> filter);

  // Used by the manager: begins the life on a thread (the request is taken
  // from the request global).
  void begin(int thread, WindowProcedure* caller, ResponseHandler done);

 protected:
  // ---- Definition (data) --------------------------------------------------
  void setDefinition(const WindowDef& def);
  const WindowDef* definition() const { return def_.get(); }
  // Files this procedure opens at start and closes at end; the first given
  // with primary=true is the primary file.
  void useFile(DataFile* file, bool primary = false);
  DataFile* primaryFile() const { return primary_; }
  const std::vector<DataFile*>& files() const { return files_; }
  // This procedure's record of the file is its own: whatever a procedure it
  // calls does to the thread's buffer and position of the file is undone
  // when the call returns, before the continuation runs.
  void ownRecord(DataFile* file);
  // Binds a window control to a value that is not a record field (a global):
  // get gives the text, set stores it (returns false to refuse).
  void bindValue(const std::string& name, std::function<std::string()> get,
                 std::function<bool(const std::string&)> set, int width = 0);
  // A fixed-width text global the user may edit, cut to its width.
  template <std::size_t N>
  void bindText(const std::string& name, FixedText<N>& global) {
    bindValue(
        name, [&global] { return global.str(); },
        [&global](const std::string& v) {
          global = v;
          return true;
        },
        static_cast<int>(N));
  }
  // A value the window only shows.
  void bindDisplay(const std::string& name, std::function<std::string()> get) {
    bindValue(name, std::move(get), {});
  }

  // ---- Hooks ----------------------------------------------------------------
  virtual void setup() {}
  virtual void cleanup() {}
  virtual void beforeEventLoop() {}
  // After the open-window event has been handled, window shown.
  virtual void afterOpenWindow() {}
  // Field events come here first; true consumes the event.
  virtual bool takeFieldEvent(Control&, Event) { return false; }
  // An accepted control; true means the event ended here (window closing,
  // focus moved) and callers of the pattern's handling stop too.
  virtual bool takeAccepted(Control&) { return false; }
  virtual void takeNewSelection(Control&) {}
  // Window events; true consumes the event (no default handling).
  virtual bool takeWindowEvent(Event) { return false; }
  // A key the window reserves ("F9", "Ctrl+'"): true when handled.
  virtual bool takeKey(int key, int modifiers);
  // Esc: a press of the window's own Cancel (else Close) button, so that
  // what the procedure makes of that button happens; without one, as the
  // close box. False for a window without a control the keyboard reaches.
  virtual bool escape();
  // The control the window opens on: its first input control in window
  // order (a button when it has none).
  virtual QWidget* firstFocus() const;
  // The button Enter presses: the one the definition marks as default.
  virtual QAbstractButton* defaultButton() const;
  // The window came forward from behind another child window.
  virtual void broughtForward() {}
  // The question closing would ask (a form's "Changes will be lost!"):
  // false keeps the window open.
  virtual bool askClose() { return true; }
  bool closeAgreed() const { return closeAgreed_; }

  // ---- Pattern hooks (browse, form) ------------------------------------------
  // After files open and before the window is built: false ends the
  // procedure there (its response as set) without a window.
  virtual bool beforeWindow() { return true; }
  // After the placement is restored (browse: list formats).
  virtual void afterPlacement() {}
  // Before files close at the end (browse: save list formats).
  virtual void beforeClose() {}
  // The pattern's handling of the close box; default closes with 2.
  virtual void closeRequested() { close(2); }
  // The events of the objects this procedure filters, in its scope.
  virtual bool filterEvent(QObject* watched, QEvent* event);
  // Delivers an event now (post() queues it).
  void dispatch(Event event, int control);
  // A control's event as the user's action gives it: hooks, then the
  // pattern (an accepted data control first stores its value).
  void fieldEvent(Control& c, Event e);
  // Where a control's field name leads: a record field or memo of a file
  // used, or a bound value.
  std::optional<Binding> resolveBinding(const std::string& name) const;
  // Looks a file up by its label (any case) among the files used.
  DataFile* fileByLabel(const std::string& label) const;

  // A procedure it called is still running (its window is disabled).
  bool waitingForCall() const { return disabledBy_ > 0; }
  bool focusMovedSince(int mark) const { return focusMoves_ != mark; }
  int focusMark() const { return focusMoves_; }

 private:
  friend class Window;
  friend class ProcedureManager;
  friend void runProcedure(int, ProcedureFactory, int, ResponseHandler, WindowProcedure*);
  bool eventFilter(QObject* watched, QEvent* event) final;  // filterEvent, in scope
  bool handleKey(int key, int modifiers);
  bool pressDefault();
  void fillDrops();
  void showWindow();
  void holdForCall();
  void releaseAfterCall();
  void finish();
  void buildWindow();
  void restorePlacement();
  void savePlacement();
  void openFiles(bool& ok);
  void closeFiles();
  void noteFocus(QWidget* w);
  static void activated(QMdiSubWindow* sub);

  std::string name_;
  int thread_ = 0;
  int request_ = 0;
  int response_ = 2;
  bool running_ = false;
  bool finished_ = false;
  WindowProcedure* caller_ = nullptr;
  ResponseHandler done_;
  std::unique_ptr<WindowDef> def_;
  std::unique_ptr<Window> win_;
  QPointer<QWidget> outer_;
  QPointer<QMdiSubWindow> opener_;         // the child window in front when this one opened
  QPointer<WindowProcedure> callerAlive_;  // caller_ while it lives
  std::vector<DataFile*> files_;
  std::vector<DataFile*> opened_;
  DataFile* primary_ = nullptr;
  std::map<int, ProcedureFactory> updates_;
  std::vector<DataFile*> owned_;
  std::vector<std::vector<HeldRecord>> heldForCalls_;  // one entry per call running over this one
  int focusMoves_ = 0;
  QPointer<QWidget> lastFocus_;  // the control that last had the keyboard
  int disabledBy_ = 0;           // called procedures running over this one
  bool maximize_ = false;
  bool closeAgreed_ = false;
  Control* inAccept_ = nullptr;
  int runs_ = 0;  // runs letting events in
  bool stopAsked_ = false;

  struct ValueBinding {
    std::function<std::string()> get;
    std::function<bool(const std::string&)> set;
    int width;
  };
  std::map<std::string, ValueBinding> values_;
  std::map<QObject*, std::function<bool(QObject*, QEvent*)>> watched_;
};

}  // namespace qm
