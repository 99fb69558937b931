#pragma once
// The form pattern: one record of the primary file, opened with a request.
#include <map>
#include <string>

#include "runtime/store/store.h"
#include "runtime/ui/procedure.h"
#include "runtime/ui/windowdef.h"

namespace qm {

struct FormDef {
  std::string insertTitle;  // request 1
  std::string changeTitle;  // request 2
  bool allowInsert = true;  // a refused request shows "Invalid Request"
  bool allowChange = true;
  bool allowDelete = true;
};

class FormProcedure : public WindowProcedure {
  Q_OBJECT
 public:
  FormProcedure(std::string name, const WindowDef& window, FormDef form, DataFile* primary);

  const FormDef& formDef() const { return fdef_; }
  // The file whose record the form edits.
  DataFile* editedFile() const { return primaryFile(); }
  // The record on screen differs from the record at open.
  bool changed() const;
  // OK and Cancel as their buttons do.
  void ok();
  void cancel();
  // Ctrl+' and the toolbar's ditto: the focused field's value in the last
  // record this form saved, or tried to save over a change made elsewhere.
  void ditto();
  void navigate(Nav nav) override;

  // The last record saved by forms of this name (for ditto), if any.
  static const RecordBuffer* history(const std::string& formName);
  static void clearHistory();

 protected:
  bool beforeWindow() override;
  void beforeEventLoop() override;
  void afterOpenWindow() override;
  bool takeAccepted(Control& c) override;
  bool takeFieldEvent(Control& c, Event e) override;
  bool takeKey(int key, int modifiers) override;
  bool escape() override;
  QAbstractButton* defaultButton() const override;
  void closeRequested() override;
  bool askClose() override;
  bool takeWindowEvent(Event e) override;
  // The procedure's own handling of OK, before the pass; false stops it.
  virtual bool okPressed() { return true; }
  // Saves (insert or change) once the pass is through.
  virtual void save();
  // The record its derived values come from: the record of `parent` whose
  // key `key` holds the primary record's `link`, read when the form opens
  // (a blank link, or one naming no record, keeps what the caller left).
  // Like the primary record it is the form's own until it closes.
  void useParent(DataFile* parent, std::string key, std::string link);
  // Insert: the form's own priming from its parent record, before the
  // record at open is kept.
  virtual void primeFromParent() {}
  // The record changed elsewhere is shown now: what the form derives from it
  // beyond its fields follows.
  virtual void recordReshown() {}
  // Takes in what was typed into the focused entry but not yet accepted;
  // false when that stopped the action (a refused entry, the form closed).
  bool acceptTyped();

 private:
  Control* keyControl(int key) const;
  // The data control a widget belongs to: a radio button's option group.
  Control* dataControl(QWidget* w) const;
  void readParent();
  // The record with what every data control shows taken in.
  RecordBuffer onScreen() const;
  // The record was changed elsewhere since it was read: it is shown as it
  // is now, and what was typed becomes the ditto history.
  void showChangedElsewhere();

  FormDef fdef_;
  RecordBuffer atOpen_;       // as read (change) or primed (insert)
  RecordBuffer shownAtOpen_;  // what the window showed once open
  Control* focused_ = nullptr;
  DataFile* parent_ = nullptr;
  std::string parentKey_, link_;
};

}  // namespace qm
