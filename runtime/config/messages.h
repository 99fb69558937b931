#pragma once
// The one message-box interface. The window layer installs an answerer that
// shows a real box; tests install a scripted one. No widget code here.
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class MsgIcon { None, Information, Exclamation, Question, Stop };

enum MsgButton : int {
  BtnOk = 1,
  BtnYes = 2,
  BtnNo = 4,
  BtnCancel = 8,
  BtnAbort = 16,
  BtnRetry = 32,
  BtnIgnore = 64
};

struct MessageRequest {
  std::string caption;
  std::string text;  // "|" = line break
  MsgIcon icon = MsgIcon::None;
  int buttons = BtnOk;
  int defaultButton = BtnOk;
};

class MessageAnswerer {
 public:
  virtual ~MessageAnswerer() = default;
  virtual int answer(const MessageRequest&) = 0;  // returns one MsgButton
};

// Installs the answerer (nullptr uninstalls). Not owned.
void setMessageAnswerer(MessageAnswerer*);
MessageAnswerer* messageAnswerer();

// Asks the installed answerer; with none installed returns the default button.
int showMessage(const MessageRequest&);
int message(std::string_view text, std::string_view caption = "", MsgIcon icon = MsgIcon::None,
            int buttons = BtnOk, int defaultButton = BtnOk);

// The stop box: an error text with which the user may end the run (Abort)
// or go on (Ignore, the default). True when the user chose to end.
bool stopBox(std::string_view text, std::string_view caption = "");

// "|" becomes "\n" (two bars give an empty line).
std::string messageLines(std::string_view partsText);

// Records every request and replies from a queue; an empty queue gives the
// request's default button.
class ScriptedAnswerer : public MessageAnswerer {
 public:
  std::vector<MessageRequest> asked;
  std::deque<int> replies;
  int answer(const MessageRequest&) override;
  void install();
  ~ScriptedAnswerer() override;  // uninstalls if installed
};

}  // namespace qm
