#pragma once
// The message-box answerer the programs install: a real modal box with the
// caption, icon and button texts asked for; "|" breaks lines.
#include <QString>

#include "runtime/config/messages.h"

namespace qm {

class QtMessageAnswerer : public MessageAnswerer {
 public:
  int answer(const MessageRequest& request) override;
};

// The text shown on a button ("&Yes", "&No", "OK" ...).
QString buttonText(MsgButton b);

}  // namespace qm
