#include "utf8check.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QByteArrayView>
#include <filesystem>
#include <string>
#include <vector>

namespace qmtest {
namespace {

bool isRecordFile(const std::filesystem::path& p) {
  std::string ext = p.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".qdf";
}

void checkFile(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << path << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    return;
  }
  std::vector<std::string> tables;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &st,
                         nullptr) == SQLITE_OK)
    while (sqlite3_step(st) == SQLITE_ROW)
      tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  for (const std::string& t : tables) {
    const std::string sql = "SELECT rowid, * FROM \"" + t + "\"";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << path << ": " << sqlite3_errmsg(db);
      continue;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
      for (int c = 1; c < sqlite3_column_count(st); ++c) {
        if (sqlite3_column_type(st, c) != SQLITE_TEXT) continue;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        const int n = sqlite3_column_bytes(st, c);
        if (!QByteArrayView(text, n).isValidUtf8())
          ADD_FAILURE() << path << " " << t << "." << sqlite3_column_name(st, c) << " row "
                        << sqlite3_column_int64(st, 0) << " is not UTF-8";
      }
    }
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
}

}  // namespace

void expectRecordFilesHoldUtf8() {
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(".", ec))
    if (e.is_regular_file() && isRecordFile(e.path()) && e.file_size() > 0)
      checkFile(e.path().string());
}

}  // namespace qmtest
