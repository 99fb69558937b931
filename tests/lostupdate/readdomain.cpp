// Reads one domain's pages as the reader's batch run does, in a process of
// its own: readdomain DOMAIN DIRECTORY. Every message takes its default answer.
#include <QApplication>

#include "dictionary/dictionary.h"
#include "reader/globals.h"
#include "reader/readpages.h"
#include "runtime/config/messages.h"
#include "runtime/store/thread.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  QApplication app(argc, argv);
  qm::ScriptedAnswerer answers;
  answers.install();
  namespace rd = qm::reader;
  rd::initReaderGlobals();
  qm::StartDictionary(qm::DictionaryKind::Reader, {[] { return rd::HtmlFileName.str(); },
                                                   [] { return rd::WorkFileName.str(); }});
  {
    qm::ThreadScope t(1);
    rd::domainname = argv[1];
    rd::ReaderLocalDir = argv[2];
    rd::ReadAllPages();
  }
  qm::StopDictionary();
  return 0;
}
