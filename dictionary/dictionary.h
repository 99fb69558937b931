#pragma once
// The record files of both programs as data, and the file and relation
// managers through which the procedures reach them.
//
// Every manager keeps one RecordFile per logical thread (runtime/store/thread.h):
// buffer(), file() and every operation work on the calling thread's.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/store/store.h"

namespace qm {

// In set-up order.
enum class FileId {
  Domains,
  Con,
  dnotes,
  WPMeta,
  DOS1,
  DOS,
  Editor,
  WebPages,
  Hosts,
  Registrars,
  Intlink,
  WPLinks,
  WPScripts,
  WPForm,
  WPIMG
};
constexpr int FileIdCount = 15;

// Layouts, keys and memos of the main program's files.
const FileDef& fileDef(FileId id);
// The companion program's `Con`: only CON:DEFAULT (20 bytes).
const FileDef& readerConDef();
// The files the companion program declares, in its set-up order.
const std::vector<FileId>& readerFiles();
// The main program's files in set-up order.
const std::vector<FileId>& mainFiles();

struct RelationDef {
  FileId parent;
  FileId child;
  std::string childKey;     // "WEB:NAMES"
  std::string parentField;  // "DOM:DOMAINNAME"
  std::string childField;   // "WEB:DOMAINNAME"
  int fieldSize;
};
// The six relations in the order the relation managers record them.
const std::vector<RelationDef>& relationDefs();

class RelationManager;

class FileManager {
 public:
  FileManager(FileId id, const FileDef& def);
  ~FileManager();
  FileManager(const FileManager&) = delete;
  FileManager& operator=(const FileManager&) = delete;

  FileId id() const { return id_; }
  const FileDef& def() const { return def_; }
  std::string name() const;  // shown for "%File": label, or the disk name for Con, DOS, DOS1
  OpenMode openMode() const;
  bool createFlag() const;
  int lockRecovery() const { return 10; }

  // Opens on the calling thread (nested opens are counted; the last close
  // closes). Failures are reported ("File Access Error", "File Creation
  // Error"); the reporter's level is returned, 0 success.
  int open();
  // Opens as open() does, without a message: the store's code, 0 success;
  // *creating tells whether the open was to create the file. For a caller
  // that goes on after a file it could not create.
  int tryOpen(bool* creating = nullptr);
  int close();
  bool isOpen() const;  // on the calling thread

  RecordBuffer& buffer();
  RecordFile& file();

  // Reporter level; a missing record (35) or the end of the file (33)
  // returns 5 without a message, other failures show "Record Retrieval Error".
  int fetch(int key);
  int next();
  int previous();
  // The store's code, no message.
  int tryFetch(int key);
  int tryNext();
  int tryPrevious();

  // Adds the buffer. A unique-key clash shows "Duplicate Key Error" with the
  // key's description, unless it is the auto-numbered value primed into the
  // buffer: that is renumbered and tried again (three tries, then "Auto
  // Increment Error": Yes tries three more, No gives up and returns 4).
  int insert();
  int tryInsert();  // the store's code, no message, no renumbering
  // Rewrites the record last read or added ("Duplicate Key Error",
  // "Record was not updated").
  int update();
  // Deletes the record last read or added ("Record was not deleted").
  int remove();
  int tryRemove();  // the store's code, no message
  // Clears the buffer (unless kept), sets the file's primed values and
  // numbers the auto-numbered key components in the buffer. Adds nothing:
  // insert() adds the record when the form's OK asks.
  int primeRecord(bool keepBuffer = false);
  // True when the file is open on the calling thread; otherwise reports
  // "File Usage Error".
  bool useFile();

  // Outcome of the calling thread's last operation.
  int errorCode() const;
  std::string errorText() const;

  // Drops a thread's buffer and closes its file (thread end).
  void dropThread(int thread);
  // Line files: where the name comes from at each open.
  void setNameSource(std::function<std::string()> source);

 private:
  struct PerThread;
  PerThread& mine() const;
  int report(int id, const std::string& message = {});
  int numberKeys(PerThread& t);

  FileId id_;
  const FileDef& def_;
  std::function<std::string()> nameSource_;
  mutable std::mutex mutex_;
  mutable std::map<int, std::unique_ptr<PerThread>> threads_;
};

class RelationManager {
 public:
  struct ChildRelation {
    RelationManager* child;
    int childKey;     // key index in the child's def
    int parentField;  // field index in this file's def
    int childField;   // field index in the child's def
  };

  explicit RelationManager(FileManager& file);
  RelationManager(const RelationManager&) = delete;
  RelationManager& operator=(const RelationManager&) = delete;

  FileManager& file() { return file_; }
  int open();
  int close();
  // Deletes the record last read or added and, in the same transaction,
  // its children and theirs. With `ask`, "Confirm Delete" first (No: 4).
  int deleteRecord(bool ask = false);
  // The same delete without any message: the store's code (37 when the
  // file is not open here, 33 when no record is current).
  int tryDeleteRecord();
  // Rewrites the record; children are left alone.
  int update();
  RelationManager* parent() const { return parent_; }
  const std::vector<ChildRelation>& children() const { return children_; }

  void setParent(RelationManager* parent) { parent_ = parent; }
  void addChild(const ChildRelation& relation) { children_.push_back(relation); }

 private:
  FileManager& file_;
  RelationManager* parent_ = nullptr;
  std::vector<ChildRelation> children_;
};

enum class DictionaryKind { Main, Reader };
struct LineFileNames {
  std::function<std::string()> html;  // DOS
  std::function<std::string()> work;  // DOS1
};

// Sets up every declared file's managers in set-up order; StopDictionary
// releases them in the same order.
void StartDictionary(DictionaryKind kind, LineFileNames names);
void StopDictionary();
bool dictionaryStarted();
bool isDeclared(FileId id);

// The managers (the dictionary must be started and the file declared).
FileManager& access(FileId id);
RelationManager& relate(FileId id);

// Global references, filled by StartDictionary (null for undeclared files).
extern FileManager* Access_Domains;
extern FileManager* Access_Con;
extern FileManager* Access_dnotes;
extern FileManager* Access_WPMeta;
extern FileManager* Access_DOS1;
extern FileManager* Access_DOS;
extern FileManager* Access_Editor;
extern FileManager* Access_WebPages;
extern FileManager* Access_Hosts;
extern FileManager* Access_Registrars;
extern FileManager* Access_Intlink;
extern FileManager* Access_WPLinks;
extern FileManager* Access_WPScripts;
extern FileManager* Access_WPForm;
extern FileManager* Access_WPIMG;

extern RelationManager* Relate_Domains;
extern RelationManager* Relate_Con;
extern RelationManager* Relate_dnotes;
extern RelationManager* Relate_WPMeta;
extern RelationManager* Relate_DOS1;
extern RelationManager* Relate_DOS;
extern RelationManager* Relate_Editor;
extern RelationManager* Relate_WebPages;
extern RelationManager* Relate_Hosts;
extern RelationManager* Relate_Registrars;
extern RelationManager* Relate_Intlink;
extern RelationManager* Relate_WPLinks;
extern RelationManager* Relate_WPScripts;
extern RelationManager* Relate_WPForm;
extern RelationManager* Relate_WPIMG;

}  // namespace qm
