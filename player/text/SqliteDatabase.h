// A SQLite database and its statements, closed when they go out of scope;
// every failure is a platform::Exception with SQLite's own message.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

class TSqliteDatabase {
 public:
  // Opened for reading and writing, made when missing; a link is not followed.
  explicit TSqliteDatabase(const std::string& path);
  ~TSqliteDatabase();
  TSqliteDatabase(TSqliteDatabase&& other) noexcept : db_(other.db_) { other.db_ = nullptr; }
  TSqliteDatabase& operator=(TSqliteDatabase&&) = delete;
  TSqliteDatabase(const TSqliteDatabase&) = delete;

  void Execute(const std::string& sql);
  sqlite3* Handle() const { return db_; }
  // Throws with the database's message when `code` is a failure.
  void Check(int code, const char* what) const;

 private:
  sqlite3* db_ = nullptr;
};

class TSqliteStatement {
 public:
  TSqliteStatement(const TSqliteDatabase& db, const std::string& sql);
  ~TSqliteStatement();
  TSqliteStatement(const TSqliteStatement&) = delete;
  TSqliteStatement& operator=(const TSqliteStatement&) = delete;

  TSqliteStatement& Bind(int index, int64_t value);
  TSqliteStatement& Bind(int index, const std::string& value);
  // True with a row to read, false when done.
  bool Step();
  void Reset();
  int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }
  std::string Text(int column) const;

 private:
  const TSqliteDatabase& db_;
  sqlite3_stmt* statement_ = nullptr;
};
