#pragma once
// The reader's dictionary in the test's folder, beside what its start-up
// looks for there (the main program and the control file), and its
// procedures registered. Header only: its tests link the reader already.
#include <gtest/gtest.h>

#include <fstream>

#include "appkit/procedures.h"
#include "dictionary/dictionary.h"
#include "reader/globals.h"
#include "reader/register.h"
#include "runtime/store/store.h"

namespace qmtest {

inline void startReaderData() {
  qm::reader::initReaderGlobals();
  qm::StartDictionary(qm::DictionaryKind::Reader, {[] { return qm::reader::HtmlFileName.str(); },
                                                   [] { return qm::reader::WorkFileName.str(); }});
  std::ofstream("QUILLMARK.EXE") << "x";
  const qm::FileDef& def = qm::fileDef(qm::FileId::Con);
  qm::RecordFile con(def);
  ASSERT_EQ(con.open(qm::OpenMode::ReadWriteDenyNone, true, 1, def.ownerPassword), 0);
  con.close();
  qm::reader::registerReaderProcedures(qm::procedureRegistrar());
}

}  // namespace qmtest
