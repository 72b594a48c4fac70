#pragma once
// SearchScan: one search by a subject other than the case number, through every record of the
// case file and then the knowledge base (as the scope names them), each in its stored order,
// a batch at a time so that the window that runs it stays responsive between batches.
//
// Runs on one program thread, which must have opened the files. Reading replaces the thread's
// record buffers of the files. No read statement stays open between batches.

#include <cstdint>
#include <vector>

#include "cases/search/search_hits.h"
#include "runtime/store/error.h"

namespace trv::data {
class FileAccess;
}

namespace trv::cases {

class SearchScan {
 public:
  // One file of the scope: the case file ("Case") or the knowledge base ("Archive"). Both hold
  // the case fields at the same places.
  struct Source {
    data::FileAccess* file = nullptr;
    const char* fromFile = "Case";
  };

  // `hits` receives the hits (numbered on from its size) and must outlive the scan.
  SearchScan(std::vector<Source> sources, SearchSubject subject, std::string_view phrase,
             SearchHits& hits);
  // A scan left unfinished gives its file back its normal reading.
  ~SearchScan();
  SearchScan(const SearchScan&) = delete;
  SearchScan& operator=(const SearchScan&) = delete;

  // Reads up to `records` more records. False once the scan is over: every file read, or a
  // read failed (failedFile() then names the file and failure() the store's code; the scan
  // does not go on to the next file).
  bool Step(int records);
  // After a failed read: the scan goes on with the next file of the scope.
  void SkipFailedFile();

  std::uint64_t read() const { return read_; }
  // How far the scan is, 0 to 100: by the place of the record read last in its file, the files
  // weighed by their last places when the scan began (no count of a large file is waited for).
  int percent() const;
  store::Code failure() const { return failure_; }
  data::FileAccess* failedFile() const { return failedFile_; }

 private:
  void measure();
  bool startFile();
  void endFile();
  void check(const Source& source);

  std::vector<Source> sources_;
  SearchSubject subject_;
  PhraseMatcher matcher_;
  SearchHits& hits_;
  std::size_t current_ = 0;
  bool started_ = false;
  bool measured_ = false;
  std::uint64_t read_ = 0;
  std::vector<std::int64_t> lastRows_;  // per source, when the scan began
  std::int64_t doneRows_ = 0;           // of the sources read through
  std::int64_t atRow_ = 0;              // in the current source
  store::Code failure_ = store::Ok;
  data::FileAccess* failedFile_ = nullptr;
  int memo_ = -1;  // the history memo of the current file
};

}  // namespace trv::cases
