#include "runtime/config/errors.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "runtime/config/messages.h"

namespace qm {

const std::vector<ErrorEntry>& errorTable() {
  static const std::vector<ErrorEntry> table = {
      {1, Level::Notify, "Record Retrieval Error",
       "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
       "previous window."},
      {2, Level::Notify, "Access Denied",
       "Could not get write access to %File so trying read-only."},
      {3, Level::User, "Record Added",
       "This record has been added to the file. Do you want to add another record?"},
      {4, Level::Notify, "Record Insert Error",
       "An error was experienced during the creation of a record. Error: %ErrorText."},
      {5, Level::Notify, "Add New Record?",
       "Record match not found, do you wish to add a new one?"},
      {6, Level::Notify, "Record Was Not Updated", "This record was changed by another station."},
      {7, Level::Notify, "Record Was Not Updated",
       "This record was changed by another station. Those changes will now be displayed. Use the "
       "Ditto Button or Ctrl+' to recall your changes."},
      {8, Level::User, "Changes will be lost!", "Are you sure you want to cancel?"},
      {9, Level::User, "Confirm Delete", "Are you sure you want to delete the highlighted record?"},
      {10, Level::Fatal, "File Creation Error", "Error: (%ErrorText) creating %File."},
      {11, Level::Notify, "Record was not deleted",
       "An error (%ErrorText) was experienced when deleting a record from the %File file."},
      {12, Level::Notify, "Invalid Request", "This form cannot be used to delete a record"},
      {13, Level::Notify, "Duplicate Key Error",
       "Adding this record creates a duplicate entry for the key: %Message"},
      {14, Level::Notify, "Field contents error",
       "The value of %Field must be found in the %Message file."},
      {15, Level::Notify, "Value Error", "The value of %Field must be in the list : %Message."},
      {16, Level::Notify, "Range Error", "The value of %Field must be between %Message."},
      {17, Level::Notify, "Range Error", "The value of %Field must be lower than %Message."},
      {18, Level::Notify, "Range Error", "The value of %Field must be higher than %Message."},
      {19, Level::Notify, "File Load Error", "%File File Load Error.  Error: %ErrorText."},
      {20, Level::Notify, "Invalid Request", "This form cannot be used to insert a record"},
      {21, Level::Notify, "Transaction cancelled",
       "Error: (%ErrorText) attempting to frame the transaction on %File."},
      {22, Level::Notify, "No Records", "There are no records available to process."},
      {23, Level::Fatal, "File Access Error",
       "File (%File) could not be opened.  Error: %ErrorText."},
      {24, Level::Notify, "Procedure not defined", "The Procedure %Message has not been defined."},
      {25, Level::Notify, "Record was not updated",
       "An error (%ErrorText) was experienced when making changes to the %File file."},
      {26, Level::Fatal, "Key was not built", "Error: (%ErrorText) repairing key for %File."},
      {27, Level::Notify, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},
      {28, Level::Notify, "Record not read",
       "A record held by another station was encountered reading from the %File file."},
      {30, Level::Notify, "Referential Integrity Delete Error",
       "This record is referenced from the file %File. This record cannot be deleted while these "
       "references exist."},
      {31, Level::Notify, "Referential Integrity Update Error",
       "This record is referenced from the file %File. Linking field(s) have been restricted from "
       "change and have been reset to original values."},
      {32, Level::User, "Auto Increment Error",
       "Attempts to automatically number this record have failed.  Error: %ErrorText. Try Again?"},
      {33, Level::User, "Record Delete Error",
       "An error was experienced deleting this record. Do you want to try to delete it again?"},
      {34, Level::User, "Record Update Error",
       "An error was experienced changing this record. Do you want to try to save again?"},
      {35, Level::User, "Save Record", "Do you want to save the changes to this record?"},
      {36, Level::User, "Beginning of File Error",
       "The beginning of the file was encountered. Do you want to start again from the end of the "
       "file?"},
      {37, Level::User, "End of File Error",
       "The end of the file was encountered. Do you want to start again from the beginning?"},
      {38, Level::Notify, "Invalid Request", "This form cannot be used to update a record"},
      {39, Level::Program, "File Usage Error", "Attempt to use file (%File) before it was opened"},
      {40, Level::Notify, "View Open Error",
       "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
      {41, Level::Notify, "Unsupported QBE Column",
       "The saved QBE column, %Field is not supported. It will be dropped from the query."},
  };
  return table;
}

namespace {
std::mutex g_stackMutex;

constexpr std::string_view kEndText = "  Press OK to end this application";

// Shown for an id the table lacks: the caller made a mistake, but the user
// still learns that something failed and the program goes on.
const ErrorEntry kUnknown{0, Level::Notify, "Unknown Error",
                          "Error number %Message was reported; it has no message."};
}  // namespace

ErrorReporter::ErrorReporter() : exit_([](int code) { std::exit(code); }) {}

const ErrorEntry* ErrorReporter::entry(int id) const {
  const auto& t = errorTable();
  auto it = std::find_if(t.begin(), t.end(), [id](const ErrorEntry& e) { return e.id == id; });
  return it == t.end() ? nullptr : &*it;
}

std::string ErrorReporter::fill(std::string_view pattern, const MessageArgs& args) const {
  // One pass, so text put in for a placeholder is never scanned again.
  struct Key {
    std::string_view name;
    const std::string* value;
  };
  const std::string proc = currentProcedure();
  const Key keys[] = {{"%File", &args.file},
                      {"%ErrorText", &args.errorText},
                      {"%Message", &args.message},
                      {"%Field", &args.field},
                      {"%Procedure", &proc}};
  std::string out;
  out.reserve(pattern.size() + 32);
  for (size_t i = 0; i < pattern.size();) {
    bool done = false;
    if (pattern[i] == '%') {
      for (const Key& k : keys) {
        if (pattern.substr(i, k.name.size()) == k.name) {
          out += *k.value;
          i += k.name.size();
          done = true;
          break;
        }
      }
    }
    if (!done) out += pattern[i++];
  }
  return out;
}

std::string ErrorReporter::text(int id, const MessageArgs& args) const {
  const ErrorEntry* e = entry(id);
  if (!e) {
    MessageArgs a = args;
    a.message = std::to_string(id);
    return fill(kUnknown.text, a);
  }
  return fill(e->text, args);
}

std::string ErrorReporter::title(int id, const MessageArgs& args) const {
  const ErrorEntry* e = entry(id);
  return fill(e ? e->title : kUnknown.title, args);
}

std::optional<MessageRequest> ErrorReporter::request(int id, const MessageArgs& args) const {
  const ErrorEntry* e = entry(id);
  MessageRequest req;
  req.caption = title(id, args);
  req.text = text(id, args);
  switch (e ? e->level : kUnknown.level) {
    case Level::Benign:
    case Level::Cancel:
      return std::nullopt;
    case Level::User:
      req.icon = MsgIcon::Exclamation;
      req.buttons = BtnYes | BtnNo;
      req.defaultButton = BtnYes;
      break;
    case Level::Notify:
      req.icon = MsgIcon::Information;
      break;
    case Level::Program:
    case Level::Fatal:
      req.icon = MsgIcon::Stop;
      req.text += kEndText;
      break;
  }
  return req;
}

int ErrorReporter::raise(int id, const MessageArgs& args) {
  const ErrorEntry* e = entry(id);
  const Level level = e ? e->level : kUnknown.level;
  const std::optional<MessageRequest> req = request(id, args);
  switch (level) {
    case Level::Benign:
      return 0;
    case Level::Cancel:
      return static_cast<int>(Level::Cancel);
    case Level::User:
      return showMessage(*req) == BtnYes ? 0 : static_cast<int>(Level::Cancel);
    case Level::Notify:
      showMessage(*req);
      return static_cast<int>(Level::Notify);
    case Level::Program:
    case Level::Fatal:
      break;
  }
  showMessage(*req);
  // A fatal error raised while shutting down must not start the shut-down again.
  if (!inFatal_) {
    inFatal_ = true;
    std::function<void()> handler = fatalHandler_;  // the handler may replace itself
    if (handler) handler();
    inFatal_ = false;
  }
  if (exit_) exit_(1);
  return static_cast<int>(level);
}

void ErrorReporter::pushProcedure(std::string name) {
  std::lock_guard lock(g_stackMutex);
  procedures_.push_back(std::move(name));
}

void ErrorReporter::popProcedure() {
  std::lock_guard lock(g_stackMutex);
  if (!procedures_.empty()) procedures_.pop_back();
}

std::string ErrorReporter::currentProcedure() const {
  std::lock_guard lock(g_stackMutex);
  return procedures_.empty() ? std::string() : procedures_.back();
}

void ErrorReporter::setFatalHandler(std::function<void()> h) { fatalHandler_ = std::move(h); }

void ErrorReporter::setExitFunction(std::function<void(int)> f) { exit_ = std::move(f); }

ErrorReporter& errors() {
  static ErrorReporter reporter;
  return reporter;
}

}  // namespace qm
