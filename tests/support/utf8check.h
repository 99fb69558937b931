#pragma once
// Every record file must read in any SQLite tool, which refuses text that is
// not UTF-8.

namespace qmtest {

// Fails the test for each text value that is not valid UTF-8 in any record
// file (*.qdf, any case) of the current directory, naming file, table,
// column and row.
void expectRecordFilesHoldUtf8();

}  // namespace qmtest
