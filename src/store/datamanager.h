// The record builder: owns one database connection and turns a list of fields, a table name
// and a condition into insert, update and delete statements. Writes never raise (a failed
// statement is dropped and the caller goes on); queries raise ESQLiteException.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/sqlitedatabase.h"
#include "store/sqlitetable.h"

namespace zoqa {

// One field of the record being built.
struct TDataField {
  std::uint8_t Kind = 0;  // 0 text, 1 numeric
  std::string Name;       // trimmed, never empty
  std::string Value;      // the value in text form
};

class TDataManager {
 public:
  // Opens `databaseName` in the directory "Data" of the program directory.
  TDataManager(const std::string& databaseName, int keyLength);
  // Opens the database file at the full path `fileName` (UTF-8).
  static std::unique_ptr<TDataManager> OpenFile(const std::string& fileName, int keyLength);
  ~TDataManager();
  TDataManager(const TDataManager&) = delete;
  TDataManager& operator=(const TDataManager&) = delete;

  // The full path of the database file: AppDir() + "Data/" + name.
  static std::string DatabasePath(const std::string& databaseName);

  void Reset();
  void AddText(const std::string& name, const std::string& value);
  void AddInteger(const std::string& name, std::int32_t value);
  void AddFloat(const std::string& name, double value);
  void SetWhere(const std::string& condition);

  // Each returns true when its statement ran; a failure is dropped.
  bool InsertInto(const std::string& table);
  bool UpdateTable(const std::string& table);
  bool DeleteFrom(const std::string& table);
  bool ExecStatement(const std::string& sql);

  // Runs SqlText as a query; none when SqlText is empty.
  std::unique_ptr<TSQLiteTable> OpenQuery();

  TSQLiteDatabase& Database() { return *database_; }
  const std::string& FileName() const { return fileName_; }
  const std::vector<TDataField>& Fields() const { return fields_; }
  const std::string& WhereText() const { return whereText_; }

  // The last statement run through ExecStatement, or the query text set for OpenQuery.
  std::string SqlText;

 private:
  struct FromPath {};
  TDataManager(FromPath, const std::string& fileName, int keyLength);
  void AddField(std::uint8_t kind, const std::string& name, std::string value);
  std::string InsertStatement(const std::string& table) const;
  std::string UpdateStatement(const std::string& table) const;
  std::string DeleteStatement(const std::string& table) const;
  using StatementBuilder = std::string (TDataManager::*)(const std::string&) const;
  bool RunWrite(const std::string& table, StatementBuilder build);

  std::string fileName_;
  std::unique_ptr<TSQLiteDatabase> database_;
  std::vector<TDataField> fields_;
  std::string whereText_;
};

// `value` as an SQL text literal: between single quotes, each single quote doubled.
std::string SqlQuoted(const std::string& value);

}  // namespace zoqa
