#pragma once
// What the record browses and forms of both programs share: tab colours,
// the handing over of the highlighted row, the shell-open buttons, the
// blanked "1" of a new record and the refusal of a nameless one.
#include <string>
#include <vector>

#include "appkit/tabcolor.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/form.h"

namespace qm {

class RecordBrowse : public BrowseProcedure {
  Q_OBJECT
 public:
  RecordBrowse(std::string name, const WindowDef& window, BrowseDef browse, DataFile* primary);

  // Loads the highlighted row (when there is one) into the buffer, calls the
  // procedure on this thread and refreshes the list when it returns.
  void callWithRow(ProcedureFactory factory);
  void callNamedWithRow(const std::string& procedure);

 protected:
  bool takeWindowEvent(Event e) override;
  void cleanup() override;

 private:
  TabColorClass tabs_;
};

// A button that opens prefix + the field's text through the shell.
struct ShellButton {
  const char* id;
  const char* prefix;
  const char* field;
};

struct RecordFormSpec {
  FormDef form;
  const char* nameField;  // the unique name: "DOM:DOMAINNAME"
  const char* nameWhat;   // for the refusal: "domain name"
  std::vector<ShellButton> shell;
};

class RecordForm : public FormProcedure {
  Q_OBJECT
 public:
  RecordForm(std::string name, const WindowDef& window, RecordFormSpec spec, DataFile* primary);

 protected:
  // The text a shell button opens now (in this procedure's scope).
  std::string shellText(const std::string& buttonId) const;
  bool beforeWindow() override;
  bool takeWindowEvent(Event e) override;
  bool takeAccepted(Control& c) override;
  bool okPressed() override;
  void cleanup() override;
  // The form's own OK handling once the name is there; false stops the OK.
  virtual bool formOk() { return true; }
  DataFile& file() const { return *primaryFile(); }

 private:
  RecordFormSpec spec_;
  TabColorClass tabs_;
};

}  // namespace qm
