#include "runtime/config/messages.h"

#include <atomic>

namespace qm {

namespace {
std::atomic<MessageAnswerer*> g_answerer{nullptr};
}

void setMessageAnswerer(MessageAnswerer* a) { g_answerer.store(a); }

MessageAnswerer* messageAnswerer() { return g_answerer.load(); }

int showMessage(const MessageRequest& req) {
  MessageAnswerer* a = g_answerer.load();
  return a ? a->answer(req) : req.defaultButton;
}

int message(std::string_view text, std::string_view caption, MsgIcon icon, int buttons,
            int defaultButton) {
  MessageRequest req;
  req.caption = std::string(caption);
  req.text = std::string(text);
  req.icon = icon;
  req.buttons = buttons;
  req.defaultButton = defaultButton;
  return showMessage(req);
}

bool stopBox(std::string_view text, std::string_view caption) {
  return message(text, caption, MsgIcon::Stop, BtnAbort | BtnIgnore, BtnIgnore) == BtnAbort;
}

std::string messageLines(std::string_view partsText) {
  std::string out(partsText);
  for (char& c : out)
    if (c == '|') c = '\n';
  return out;
}

int ScriptedAnswerer::answer(const MessageRequest& req) {
  asked.push_back(req);
  if (replies.empty()) return req.defaultButton;
  int r = replies.front();
  replies.pop_front();
  return r;
}

void ScriptedAnswerer::install() { setMessageAnswerer(this); }

ScriptedAnswerer::~ScriptedAnswerer() {
  MessageAnswerer* self = this;
  g_answerer.compare_exchange_strong(self, nullptr);
}

}  // namespace qm
