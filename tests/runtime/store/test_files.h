#pragma once
// A small data file for store tests and a temporary database folder.

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "runtime/store/connection.h"
#include "runtime/store/record_codec.h"

namespace trv::store::testing {

// Item: Nr ULONG (auto-numbered), Name STRING(10) unique, Group STRING(6) with duplicates,
// When LONG + Time LONG (composite), and a memo.
inline FileDecl itemDecl() {
  FileDecl d;
  d.name = "Item";
  d.prefix = "ITM";
  d.recordSize = 24;
  d.fields = {{"ITM:Nr", FieldType::ULong, 0, 4},
              {"ITM:Name", FieldType::String, 4, 10},
              {"ITM:Group", FieldType::String, 14, 6},
              {"ITM:When", FieldType::Long, 20, 4}};
  d.keys = {{"ITM:NrKey", "ITM:NrKey", {0}, true, true, true},
            {"ITM:NameKey", "Item name", {1}, true, false, false},
            {"ITM:GroupKey", "ITM:GroupKey", {2, 3}, false, false, false}};
  d.memos = {{"ITM:Notes", 20}};
  return d;
}

struct Item {
  std::uint32_t nr = 0;
  std::string name, group;
  std::int32_t when = 0;
};

inline RecordBuffer itemBuffer(const FileDecl& d, const Item& it) {
  RecordBuffer b(d);
  writeNumber(d.fields[0], b.record.data(), it.nr);
  (void)setFieldText(d.fields[1], b.record.data(), it.name);
  (void)setFieldText(d.fields[2], b.record.data(), it.group);
  writeNumber(d.fields[3], b.record.data(), it.when);
  return b;
}

inline std::string field(const FileDecl& d, const RecordBuffer& b, int i) {
  return fieldText(d.fields[i], b.record.data());
}

class TempFolder {
 public:
  TempFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "trvstoreXXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace trv::store::testing
