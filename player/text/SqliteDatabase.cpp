#include "SqliteDatabase.h"

#include <mutex>

#include "Exception.h"

namespace {

// Searches read many caches at once, each in a thread of its own: without
// the count of memory in use, SQLite takes no lock shared by all of them at
// every allocation.
void ConfigureOnce() {
  static std::once_flag once;
  std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

}  // namespace

TSqliteDatabase::TSqliteDatabase(const std::string& path) {
  ConfigureOnce();
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
  const int code = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    sqlite3_close(db_);
    db_ = nullptr;
    throw platform::Exception("can't open " + path + ": " + message);
  }
  // Another program may be writing the same cache: wait for it a while.
  sqlite3_busy_timeout(db_, 10000);
  // A damaged file must fail, not be trusted: no loading of code, no
  // triggers or views that a planted file could hold.
  sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
}

TSqliteDatabase::~TSqliteDatabase() { sqlite3_close_v2(db_); }

void TSqliteDatabase::Check(int code, const char* what) const {
  if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
    throw platform::Exception(std::string(what) + ": " + sqlite3_errmsg(db_));
}

void TSqliteDatabase::Execute(const std::string& sql) {
  Check(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), "text cache");
}

TSqliteStatement::TSqliteStatement(const TSqliteDatabase& db, const std::string& sql) : db_(db) {
  db_.Check(sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &statement_, nullptr), "text cache");
}

TSqliteStatement::~TSqliteStatement() { sqlite3_finalize(statement_); }

TSqliteStatement& TSqliteStatement::Bind(int index, int64_t value) {
  db_.Check(sqlite3_bind_int64(statement_, index, value), "text cache");
  return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int index, const std::string& value) {
  db_.Check(sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT),
            "text cache");
  return *this;
}

bool TSqliteStatement::Step() {
  const int code = sqlite3_step(statement_);
  db_.Check(code, "text cache");
  return code == SQLITE_ROW;
}

void TSqliteStatement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::string TSqliteStatement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(statement_, column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
}
