#pragma once
// The message-box answerer the programs install: a real modal box with the
// caption, icon and button texts asked for; "|" breaks lines.
#include <QString>
#include <map>

class QAbstractButton;
class QMessageBox;

#include "runtime/config/messages.h"

namespace qm {

class QtMessageAnswerer : public MessageAnswerer {
 public:
  int answer(const MessageRequest& request) override;
};

// Sets the box up as asked; codes gets each button's MsgButton.
void fillMessageBox(QMessageBox& box, const MessageRequest& request,
                    std::map<QAbstractButton*, int>& codes);

// The text shown on a button ("&Yes", "&No", "OK" ...).
QString buttonText(MsgButton b);

}  // namespace qm
