#pragma once
// The error reporter: a table of numbered messages, each with a level that
// decides how it is shown and what the caller gets back.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/config/messages.h"

namespace qm {

enum class Level { Benign = 0, User = 1, Program = 2, Fatal = 3, Cancel = 4, Notify = 5 };

struct ErrorEntry {
  int id;
  Level level;
  const char* title;
  const char* text;  // may hold %File %ErrorText %Message %Field %Procedure; "|" = line break
};

// Initialised members, so callers can name only the ones they fill: {.file = ...}.
struct MessageArgs {
  std::string file{};
  std::string errorText{};
  std::string message{};
  std::string field{};
};

// The table, ids 1..41 in order (29 is not used).
const std::vector<ErrorEntry>& errorTable();

class ErrorReporter {
 public:
  ErrorReporter();
  // Shows the message as its level says. Returns 0 (Benign), 0 or 4 (User:
  // Yes/No), 5 (Notify), the level for Cancel; Program and Fatal call the
  // fatal handler after OK. An unknown id reports as a program error.
  int raise(int id, const MessageArgs& args = {});
  // The message box the entry shows (none for the benign and cancel levels).
  std::optional<MessageRequest> request(int id, const MessageArgs& args = {}) const;
  // The entry's text with its placeholders put in.
  std::string text(int id, const MessageArgs& args) const;
  std::string title(int id, const MessageArgs& args) const;
  const ErrorEntry* entry(int id) const;
  // pattern with %File %ErrorText %Message %Field %Procedure put in, in one pass.
  std::string fill(std::string_view pattern, const MessageArgs& args) const;

  void pushProcedure(std::string name);
  void popProcedure();
  std::string currentProcedure() const;

  // Levels 2 and 3 call it after OK (orderly shut-down); then the reporter
  // calls the exit function (default std::exit(1)).
  void setFatalHandler(std::function<void()> h);
  // For tests: replaces the exit that follows the fatal handler.
  void setExitFunction(std::function<void(int)> f);

 private:
  std::vector<std::string> procedures_;
  std::function<void()> fatalHandler_;
  std::function<void(int)> exit_;
  bool inFatal_ = false;
};

ErrorReporter& errors();  // the program's one reporter

// Keeps a procedure name on the reporter's stack for a scope.
class ProcedureScope {
 public:
  explicit ProcedureScope(std::string name) { errors().pushProcedure(std::move(name)); }
  ~ProcedureScope() { errors().popProcedure(); }
  ProcedureScope(const ProcedureScope&) = delete;
  ProcedureScope& operator=(const ProcedureScope&) = delete;
};

}  // namespace qm
