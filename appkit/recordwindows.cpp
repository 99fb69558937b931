#include "appkit/recordwindows.h"

#include <QApplication>
#include <QLineEdit>

#include "appkit/procedures.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/desktop/shellopen.h"
#include "runtime/ui/datafile.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"

namespace qm {

// ---- browse -------------------------------------------------------------------

RecordBrowse::RecordBrowse(std::string name, const WindowDef& window, BrowseDef browse,
                           DataFile* primary)
    : BrowseProcedure(std::move(name), window, std::move(browse), primary) {}

bool RecordBrowse::takeWindowEvent(Event e) {
  if (BrowseProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow && window()) {
    tabs_.createStandard(window());
    tabs_.colour();
  }
  return false;
}

void RecordBrowse::cleanup() {
  tabs_.release();
  BrowseProcedure::cleanup();
}

void RecordBrowse::callWithRow(ProcedureFactory factory) {
  if (list().current() && !loadHighlighted()) return;
  callProcedure(std::move(factory), 0, [this](int) { refreshList(); });
}

void RecordBrowse::callNamedWithRow(const std::string& procedure) {
  if (list().current() && !loadHighlighted()) return;
  callNamedProcedure(*this, procedure, 0, [this](int) { refreshList(); });
}

// ---- form -------------------------------------------------------------------------

RecordForm::RecordForm(std::string name, const WindowDef& window, RecordFormSpec spec,
                       DataFile* primary)
    : FormProcedure(std::move(name), window, spec.form, primary), spec_(std::move(spec)) {}

bool RecordForm::beforeWindow() {
  // The numbering step leaves "1" in a new record's name; a real record named
  // "1" keeps its name.
  if (request() == InsertRecord && file().buffer().text(spec_.nameField) == "1")
    file().buffer().setText(spec_.nameField, "");
  return FormProcedure::beforeWindow();
}

bool RecordForm::takeWindowEvent(Event e) {
  if (FormProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow && window()) {
    tabs_.createStandard(window());
    tabs_.colour();
  }
  return false;
}

void RecordForm::cleanup() {
  tabs_.release();
  FormProcedure::cleanup();
}

std::string RecordForm::shellText(const std::string& buttonId) const {
  for (const ShellButton& b : spec_.shell)
    if (compareNoCase(buttonId, b.id) == 0)
      return std::string(b.prefix) + primaryFile()->buffer().text(b.field);
  return {};
}

bool RecordForm::takeAccepted(Control& c) {
  if (FormProcedure::takeAccepted(c)) return true;
  if (c.kind() != Kind::Button) return false;
  for (const ShellButton& b : spec_.shell)
    if (compareNoCase(c.id(), b.id) == 0) {
      RunShellCommand(window(), shellText(b.id));
      return true;
    }
  return false;
}

bool RecordForm::okPressed() {
  if (!acceptTyped()) return false;
  // A record without a name is in no key: it would vanish from every list.
  if (std::string(clip(file().buffer().text(spec_.nameField))).find_first_not_of(' ') ==
      std::string::npos) {
    message(std::string("Please enter the ") + spec_.nameWhat + ".||A record without a " +
                spec_.nameWhat + " cannot be listed or found.",
            "Name Required", MsgIcon::Exclamation);
    if (Control* name = control(std::string("?") + spec_.nameField)) select(*name);
    return false;
  }
  return formOk();
}

}  // namespace qm
