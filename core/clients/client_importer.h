#pragma once
// ClientImporter: one run of the client import over the Client file, without its window.
// Records are read in order (csv_reader.h; the first, the heading, skipped); each adds, updates
// or refuses one client and a refused record is appended to the error log with its line. Lines are
// grouped into short transactions: each line writes at most one record in one statement, so a
// refused line leaves nothing behind, and no group holds the file longer than kGroupLines lines or
// kGroupTime.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <string>

#include "core/import/csv_reader.h"
#include "core/import/import_rules.h"
#include "runtime/store/connection.h"

namespace trv::core {

class ClientImporter {
 public:
  static constexpr int kGroupLines = 2000;
  static constexpr std::chrono::milliseconds kGroupTime{10};

  // The Client file open as `file` on `connection`; the log line's date and time.
  ClientImporter(store::Connection& connection, store::FileId file, const store::FileDecl& decl,
                 std::filesystem::path errorLog, std::int32_t date, std::int32_t time);

  // Imports the records of `in`; `progress` is told the number of records read before each is
  // imported. False when the Client file could not be written (a group's commit failed: its
  // lines are not imported, the run stops) with the reason in *failure. `betweenGroups`, when
  // given, is called after each group, outside any transaction (long work lets other threads in
  // there); its false (the program ends) stops the run there, as a success. `commitAside`, when
  // given, is handed each group's commit to run (a commit waits on the disk: other threads may
  // take their turns meanwhile); it must run it once, on the calling thread.
  bool run(std::istream& in, const std::function<void(std::uint64_t)>& progress,
           std::string* failure, const std::function<bool()>& betweenGroups = {},
           const std::function<void(const std::function<void()>&)>& commitAside = {});

  // Records read, the heading included.
  std::uint64_t linesRead() const { return linesRead_; }
  // The file line on which the record read last starts.
  std::uint64_t line() const { return line_; }
  std::uint64_t rejected() const { return rejected_; }
  bool imported() const { return imported_; }
  ImportError lastError() const { return lastError_; }
  // True when appending to the error log failed at least once.
  bool logFailed() const { return logFailed_; }

 private:
  void importLine(const CsvRecord& record);
  void addClient(const ImportRecord& v, const std::string& fullName);
  void logError(ImportError reason);  // of record_, at place_

  store::Connection& conn_;
  store::FileId file_;
  const store::FileDecl& decl_;
  int fullNameKey_, shortNameKey_;
  std::filesystem::path errorLog_;
  std::ofstream log_;
  std::int32_t date_, time_;
  std::uint64_t linesRead_ = 0, line_ = 0, rejected_ = 0;
  const CsvRecord* record_ = nullptr;  // the record being imported
  ImportErrorPlace place_;
  int runningNumber_ = 0;
  bool imported_ = false;
  bool logFailed_ = false;
  ImportError lastError_ = ImportError::None;
};

}  // namespace trv::core
