#pragma once
// Where the user names the control panel's programs: the one record of the
// Editor file and settings section cpanel.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "appkit/recordwindows.h"
#include "appkit/tabcolor.h"
#include "runtime/ui/form.h"

namespace qm::desk {

// Asks for a file: the full name chosen, or nothing when the user cancels.
using FileChooser =
    std::function<std::optional<std::string>(QWidget* parent, const std::string& title)>;
// Installs chooser (an empty one restores the file dialog); returns the one before.
FileChooser setFileChooser(FileChooser chooser);

// Writes the fourteen cpanel entries from the control-panel globals, in order.
void writeCpanelSection();

// The menu's routine: the set-up list, or a warning while a panel is open.
class ConfigureControlPanel : public WindowProcedure {
  Q_OBJECT
 public:
  ConfigureControlPanel();

 protected:
  void setup() override;
};

class Browsecpanel : public RecordBrowse {
  Q_OBJECT
 public:
  Browsecpanel();
  void runUpdate(int number, int request, ResponseHandler done) override;

 private:
  void forgetPrograms();
};

class Controlpanel : public FormProcedure {
  Q_OBJECT
 public:
  Controlpanel();

 protected:
  bool beforeWindow() override;
  bool takeWindowEvent(Event e) override;
  bool takeAccepted(Control& c) override;
  bool okPressed() override;
  void cleanup() override;

 private:
  TabColorClass tabs_;
};

// A plain message window with its text and buttons; any button closes it.
class MessageWindow : public WindowProcedure {
  Q_OBJECT
 public:
  MessageWindow(std::string name, const WindowDef& def);

 protected:
  bool takeWindowEvent(Event e) override;
  bool takeAccepted(Control& c) override;
};

std::unique_ptr<WindowProcedure> makeConfigureControlPanel();
std::unique_ptr<WindowProcedure> makeBrowsecpanel();
std::unique_ptr<WindowProcedure> makeControlpanel();
std::unique_ptr<WindowProcedure> makeClosit();
std::unique_ptr<WindowProcedure> makeCpwarn();

}  // namespace qm::desk
