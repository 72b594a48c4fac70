#include "core/data/database_tool.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "core/data/records.h"
#include "runtime/store/connection.h"
#include "runtime/store/record_codec.h"

namespace trv::core {
namespace {

ToolResult fail(std::string message) {
  return {false, std::move(message)};
}

ToolResult storeFailure(const std::string& what) {
  const store::Error& e = store::lastError();
  std::string m = what + ": " + e.text + " (" + std::to_string(e.code) + ")";
  if (!e.keyDescription.empty()) m += " for the key " + e.keyDescription;
  if (!e.driverText.empty()) m += ": " + e.driverText;
  return fail(m);
}

// The new record of a file: text blank, numbers 0, with the new-record defaults.
store::RecordBuffer primed(DataFile file) {
  const store::FileDecl& d = declaration(file);
  store::RecordBuffer b(d);
  for (const store::FieldDecl& f : d.fields)
    if (f.type == store::FieldType::String) std::memset(b.record.data() + f.offset, ' ', f.width);
  if (file == DataFile::Sercase)
    (void)store::setFieldText(d.fields[d.findField("SER:Priority")], b.record.data(),
                              kNewCasePriority);
  return b;
}

ToolResult setFields(DataFile file, store::RecordBuffer& b, const FieldValues& fields) {
  for (const auto& [name, value] : fields) {
    if (fileOfField(name) != file)
      return fail(name + " is not a field of " + std::string(fileTitle(file)));
    // A memo ("SER:History") takes the text as it stands.
    if (const int memo = declaration(file).findMemo(name); memo >= 0) {
      b.memos[static_cast<std::size_t>(memo)] = value;
      continue;
    }
    if (std::string why = setFieldText(file, name, b.record, value); !why.empty()) return fail(why);
  }
  return {};
}

// One file opened on a connection of its own.
class OpenedFile {
 public:
  OpenedFile(DataFile file, const std::string& folder, bool mayCreate = false) : file_(file) {
    decl_ = declaration(file);
    if (mayCreate) decl_.createWhenMissing = true;
    code_ = conn_.open(decl_, filePath(folder, file), store::OpenMode::Shared, &id_);
  }
  bool ok() const { return code_ == store::Ok; }
  ToolResult failure() const { return storeFailure("opening " + std::string(fileTitle(file_))); }
  store::Connection& conn() { return conn_; }
  store::FileId id() const { return id_; }
  const store::FileDecl& decl() const { return decl_; }

 private:
  DataFile file_;
  store::FileDecl decl_;
  store::Connection conn_;
  store::FileId id_ = -1;
  store::Code code_;
};

// Finds the record by a field that is a key's only component.
ToolResult findByKey(OpenedFile& f, DataFile file, const std::pair<std::string, std::string>& key,
                     store::RecordBuffer& b) {
  const store::FileDecl& d = f.decl();
  const int field = d.findField(key.first);
  if (field < 0) return fail("no field " + key.first + " in " + std::string(fileTitle(file)));
  int k = -1;
  for (std::size_t i = 0; i < d.keys.size() && k < 0; ++i)
    if (d.keys[i].components.size() == 1 &&
        d.keys[i].components[0] == static_cast<std::size_t>(field))
      k = static_cast<int>(i);
  if (k < 0) return fail(key.first + " is not the only field of a key");
  b = primed(file);
  if (ToolResult r = setFields(file, b, {key}); !r.ok) return r;
  if (f.conn().fetch(f.id(), k, b) != store::Ok)
    return storeFailure("no record with " + key.first + "=" + key.second);
  return {};
}

std::optional<DataFile> fileOf(const FieldValues& fields) {
  if (fields.empty()) return std::nullopt;
  return fileOfField(fields.front().first);
}

ToolResult writeStarter(const std::string& folder, bool allFiles, bool incompatibleSys) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return fail("cannot create " + folder + ": " + ec.message());
  if (holdsDataFiles(folder)) return fail(folder + " already holds a database");

  for (DataFile file : kDataFiles) {
    if (!allFiles && file != DataFile::Ide && file != DataFile::Sys) continue;
    store::FileDecl decl = declaration(file);
    decl.createWhenMissing = true;
    if (file == DataFile::Sys && incompatibleSys) {
      // An older system record: the last reserved field one byte shorter.
      decl.fields.back().width -= 1;
      decl.recordSize -= 1;
    }
    store::Connection conn;
    store::FileId id = -1;
    if (conn.open(decl, filePath(folder, file), store::OpenMode::Shared, &id) != store::Ok)
      return storeFailure("creating " + fileName(file));
    store::RecordBuffer b(decl);
    if (file == DataFile::Ide) {
      b = primed(file);
      IdeRecord& u = *std::launder(reinterpret_cast<IdeRecord*>(b.record.data()));
      u.Name = "Admin";
      u.PassWord = "admin";
      u.Level = 2;
      u.Qualification = "Administrator";
    } else if (file == DataFile::Sys) {
      SysRecord s;
      s.ID = 1;
      s.DoLog = 1;
      s.RefreshInterval = 1;
      s.PROBLEMFIX = 1;
      std::memcpy(b.record.data(), &s, b.record.size());
    } else {
      continue;
    }
    if (conn.add(id, b) != store::Ok) return storeFailure("writing " + fileName(file));
  }
  return {};
}

}  // namespace

store::Code probeDataFile(const std::string& folder, DataFile file) {
  store::Connection conn;
  store::FileId id = -1;
  return conn.open(declaration(file), filePath(folder, file), store::OpenMode::ReadOnly, &id);
}

bool holdsDataFiles(const std::string& folder) {
  for (DataFile f : kDataFiles) {
    struct stat st {};
    if (::stat(filePath(folder, f).c_str(), &st) == 0) return true;
  }
  return false;
}

ToolResult createStarterDatabase(const std::string& folder) {
  return writeStarter(folder, true, false);
}
ToolResult createEmptyDatabase(const std::string& folder) {
  return writeStarter(folder, false, false);
}
ToolResult createIncompatibleDatabase(const std::string& folder) {
  return writeStarter(folder, true, true);
}

ToolResult insertRecord(const std::string& folder, const FieldValues& fields) {
  const auto file = fileOf(fields);
  if (!file) return fail("no data file for " + (fields.empty() ? "no fields" : fields[0].first));
  store::RecordBuffer b = primed(*file);
  if (ToolResult r = setFields(*file, b, fields); !r.ok) return r;
  OpenedFile f(*file, folder);
  if (!f.ok()) return f.failure();
  if (f.conn().add(f.id(), b) != store::Ok)
    return storeFailure("adding to " + std::string(fileTitle(*file)));
  return {};
}

ToolResult updateRecord(const std::string& folder, const std::pair<std::string, std::string>& key,
                        const FieldValues& fields) {
  const auto file = fileOfField(key.first);
  if (!file) return fail("no data file for " + key.first);
  OpenedFile f(*file, folder);
  if (!f.ok()) return f.failure();
  store::RecordBuffer b;
  if (ToolResult r = findByKey(f, *file, key, b); !r.ok) return r;
  if (ToolResult r = setFields(*file, b, fields); !r.ok) return r;
  if (f.conn().put(f.id(), b) != store::Ok)
    return storeFailure("changing " + std::string(fileTitle(*file)));
  return {};
}

ToolResult deleteRecord(const std::string& folder, const std::pair<std::string, std::string>& key) {
  const auto file = fileOfField(key.first);
  if (!file) return fail("no data file for " + key.first);
  OpenedFile f(*file, folder);
  if (!f.ok()) return f.failure();
  store::RecordBuffer b;
  if (ToolResult r = findByKey(f, *file, key, b); !r.ok) return r;
  if (f.conn().remove(f.id(), b.position) != store::Ok)
    return storeFailure("deleting from " + std::string(fileTitle(*file)));
  return {};
}

ToolResult findRecord(const std::string& folder, const FieldValues& fields, bool* found) {
  *found = false;
  const auto file = fileOf(fields);
  if (!file) return fail("no data file for " + (fields.empty() ? "no fields" : fields[0].first));
  const store::FileDecl& d = declaration(*file);
  std::vector<std::pair<int, std::string>> wanted;
  {
    // Values are compared as the field would hold them (cut, padded, numbers normalised).
    store::RecordBuffer probe = primed(*file);
    if (ToolResult r = setFields(*file, probe, fields); !r.ok) return r;
    for (const auto& [name, value] : fields) {
      const int i = d.findField(name);
      wanted.emplace_back(i, store::fieldText(d.fields[i], probe.record.data()));
    }
  }
  OpenedFile f(*file, folder);
  if (!f.ok()) return f.failure();
  f.conn().setBulkRows(f.id(), 200);
  if (f.conn().setFileOrder(f.id()) != store::Ok) return storeFailure("reading");
  store::RecordBuffer b(d);
  store::Code code;
  while ((code = f.conn().next(f.id(), b)) == store::Ok) {
    bool all = true;
    for (const auto& [i, value] : wanted)
      all = all && store::fieldText(d.fields[i], b.record.data()) == value;
    if (all) {
      *found = true;
      return {};
    }
  }
  if (code != store::RecordNotFound)
    return storeFailure("reading " + std::string(fileTitle(*file)));
  return {};
}

ToolResult countRecords(const std::string& folder, const std::string& title, std::uint64_t* n) {
  const auto file = fileOfTitle(title);
  if (!file) return fail("no data file " + title);
  OpenedFile f(*file, folder);
  if (!f.ok()) return f.failure();
  if (f.conn().count(f.id(), n) != store::Ok) return storeFailure("counting " + title);
  return {};
}

ToolResult readMemo(const std::string& folder, const std::string& memoName,
                    const std::pair<std::string, std::string>& key, std::string* memo) {
  const auto file = fileOfField(key.first);
  if (!file) return fail("no data file for " + key.first);
  const int m = declaration(*file).findMemo(memoName);
  if (m < 0) return fail("no memo " + memoName + " in " + std::string(fileTitle(*file)));
  OpenedFile f(*file, folder);
  if (!f.ok()) return f.failure();
  store::RecordBuffer b;
  if (ToolResult r = findByKey(f, *file, key, b); !r.ok) return r;
  *memo = b.memos[static_cast<std::size_t>(m)];
  return {};
}

}  // namespace trv::core
