#include "core/data/files.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/data/records.h"
#include "runtime/store/record_codec.h"

namespace trv::core {
namespace {

using store::FieldDecl;
using store::FieldType;
using store::FileDecl;
using store::KeyDecl;

template <typename T>
struct FieldTypeOf;
template <>
struct FieldTypeOf<std::uint8_t> {
  static constexpr FieldType kType = FieldType::Byte;
};
template <>
struct FieldTypeOf<std::uint16_t> {
  static constexpr FieldType kType = FieldType::UShort;
};
template <>
struct FieldTypeOf<std::int32_t> {
  static constexpr FieldType kType = FieldType::Long;
};
template <>
struct FieldTypeOf<std::uint32_t> {
  static constexpr FieldType kType = FieldType::ULong;
};
template <std::size_t N>
struct FieldTypeOf<text::FixedString<N>> {
  static constexpr FieldType kType = FieldType::String;
};
template <std::size_t N>
struct FieldTypeOf<text::CString<N>> {
  static constexpr FieldType kType = FieldType::CString;
};

// A field declared from the record struct itself, so offsets and widths cannot drift.
#define TRV_FIELD(R, prefix, member)                                               \
  FieldDecl {                                                                      \
    prefix ":" #member, FieldTypeOf<std::remove_cv_t<decltype(R::member)>>::kType, \
        static_cast<std::uint32_t>(offsetof(R, member)),                           \
        static_cast<std::uint32_t>(sizeof(R::member))                              \
  }

// A key over the named fields.
KeyDecl key(const FileDecl& d, std::string name, std::string description,
            std::initializer_list<const char*> fields, bool unique, bool primary = false,
            bool autoNumber = false) {
  KeyDecl k{std::move(name), std::move(description), {}, unique, primary, autoNumber};
  for (const char* f : fields) k.components.push_back(static_cast<std::size_t>(d.findField(f)));
  return k;
}

KeyDecl dupKey(const FileDecl& d, std::string name, std::initializer_list<const char*> fields) {
  std::string description = name;
  return key(d, std::move(name), std::move(description), fields, false);
}

FileDecl sercase() {
  using R = SercaseRecord;
  FileDecl d{"Sercase", "SER", sizeof(R), {}, {}, {}, true};
  d.fields = {TRV_FIELD(R, "SER", IDkey),        TRV_FIELD(R, "SER", UpdateFlag),
              TRV_FIELD(R, "SER", CaseNr),       TRV_FIELD(R, "SER", SName),
              TRV_FIELD(R, "SER", LName),        TRV_FIELD(R, "SER", Phone),
              TRV_FIELD(R, "SER", Product),      TRV_FIELD(R, "SER", IDProduct),
              TRV_FIELD(R, "SER", SProblem),     TRV_FIELD(R, "SER", ProblemFix),
              TRV_FIELD(R, "SER", Priority),     TRV_FIELD(R, "SER", PriorityFix),
              TRV_FIELD(R, "SER", Owner),        TRV_FIELD(R, "SER", SDate),
              TRV_FIELD(R, "SER", STime),        TRV_FIELD(R, "SER", FirstEscDate),
              TRV_FIELD(R, "SER", FirstEscTime), TRV_FIELD(R, "SER", FirstAction),
              TRV_FIELD(R, "SER", SecEscDate),   TRV_FIELD(R, "SER", SecEscTime),
              TRV_FIELD(R, "SER", SecAction),    TRV_FIELD(R, "SER", ThirdEscDate),
              TRV_FIELD(R, "SER", ThirdEscTime), TRV_FIELD(R, "SER", ThirdAction),
              TRV_FIELD(R, "SER", Status),       TRV_FIELD(R, "SER", Cdate)};
  d.keys = {key(d, "SER:CaseNrKey", "SER:CaseNrKey", {"SER:CaseNr"}, true, true, true),
            dupKey(d, "SER:ProductID", {"SER:IDProduct"}),
            dupKey(d, "SER:NameKey", {"SER:SName"}),
            dupKey(d, "SER:ClientIDKey", {"SER:IDkey"}),
            dupKey(d, "SER:KeyProblem", {"SER:SProblem"}),
            dupKey(d, "SER:FirstEscKey", {"SER:FirstEscDate", "SER:FirstEscTime"}),
            dupKey(d, "SER:SecEscKey", {"SER:SecEscDate", "SER:SecEscTime"}),
            dupKey(d, "SER:ThirdEscKey", {"SER:ThirdEscDate", "SER:ThirdEscTime"})};
  d.memos = {{"SER:History", 8000}, {"SER:AddHistory", 1500}};
  return d;
}

FileDecl archive() {
  using R = ArchiveRecord;
  FileDecl d{"Archive", "ARC", sizeof(R), {}, {}, {}, true};
  d.fields = {TRV_FIELD(R, "ARC", IDKEY),        TRV_FIELD(R, "ARC", UPDATEFLAG),
              TRV_FIELD(R, "ARC", CASENR),       TRV_FIELD(R, "ARC", SNAME),
              TRV_FIELD(R, "ARC", LNAME),        TRV_FIELD(R, "ARC", PHONE),
              TRV_FIELD(R, "ARC", Product),      TRV_FIELD(R, "ARC", IDPRODUCT),
              TRV_FIELD(R, "ARC", SProblem),     TRV_FIELD(R, "ARC", PROBLEMFIX),
              TRV_FIELD(R, "ARC", PRIORITY),     TRV_FIELD(R, "ARC", PRIORITYFIX),
              TRV_FIELD(R, "ARC", OWNER),        TRV_FIELD(R, "ARC", SDATE),
              TRV_FIELD(R, "ARC", STIME),        TRV_FIELD(R, "ARC", FIRSTESCDATE),
              TRV_FIELD(R, "ARC", FIRSTESCTIME), TRV_FIELD(R, "ARC", FIRSTACTION),
              TRV_FIELD(R, "ARC", SECESCDATE),   TRV_FIELD(R, "ARC", SECESCTIME),
              TRV_FIELD(R, "ARC", SECACTION),    TRV_FIELD(R, "ARC", THIRDESCDATE),
              TRV_FIELD(R, "ARC", THIRDESCTIME), TRV_FIELD(R, "ARC", THIRDACTION),
              TRV_FIELD(R, "ARC", STATUS)};
  d.keys = {key(d, "ARC:CaseNrKey", "ARC:CaseNrKey", {"ARC:CASENR"}, true, true),
            dupKey(d, "ARC:ProductID", {"ARC:IDPRODUCT"}),
            dupKey(d, "ARC:NameKey", {"ARC:SNAME"}),
            dupKey(d, "ARC:ClientIDKey", {"ARC:IDKEY"}),
            dupKey(d, "ARC:FirstEscKey", {"ARC:FIRSTESCDATE", "ARC:FIRSTESCTIME"}),
            dupKey(d, "ARC:SecEscKey", {"ARC:SECESCDATE", "ARC:SECESCTIME"}),
            dupKey(d, "ARC:ThirdEscKey", {"ARC:THIRDESCDATE", "ARC:THIRDESCTIME"})};
  d.memos = {{"ARC:History", 8000}, {"ARC:AddHistory", 1500}};
  return d;
}

FileDecl client() {
  using R = ClientRecord;
  FileDecl d{"Client", "CLI", sizeof(R), {}, {}, {}, true};
  d.fields = {TRV_FIELD(R, "CLI", SName),       TRV_FIELD(R, "CLI", LName),
              TRV_FIELD(R, "CLI", Contact),     TRV_FIELD(R, "CLI", Phone),
              TRV_FIELD(R, "CLI", Email),       TRV_FIELD(R, "CLI", Priority),
              TRV_FIELD(R, "CLI", PriorityFix), TRV_FIELD(R, "CLI", Address),
              TRV_FIELD(R, "CLI", ZIPCode),     TRV_FIELD(R, "CLI", City),
              TRV_FIELD(R, "CLI", State),       TRV_FIELD(R, "CLI", Phone2),
              TRV_FIELD(R, "CLI", Fax),         TRV_FIELD(R, "CLI", Remarks),
              TRV_FIELD(R, "CLI", ResByte1),    TRV_FIELD(R, "CLI", ResByte2),
              TRV_FIELD(R, "CLI", ResString),   TRV_FIELD(R, "CLI", ResCString)};
  d.keys = {key(d, "CLI:SNameKey", "CLI:SNameKey", {"CLI:SName"}, true, true),
            key(d, "CLI:KeyFullName", "CLI:KeyFullName", {"CLI:LName"}, true),
            dupKey(d, "CLI:KeyCity", {"CLI:City"}), dupKey(d, "CLI:KeyContact", {"CLI:Contact"})};
  return d;
}

FileDecl ide() {
  using R = IdeRecord;
  FileDecl d{"Ide", "IDE", sizeof(R), {}, {}, {}, false};
  d.fields = {TRV_FIELD(R, "IDE", IdNr),
              TRV_FIELD(R, "IDE", Name),
              TRV_FIELD(R, "IDE", PassWord),
              TRV_FIELD(R, "IDE", LogIn),
              TRV_FIELD(R, "IDE", Qualification),
              TRV_FIELD(R, "IDE", Level),
              TRV_FIELD(R, "IDE", Greet),
              TRV_FIELD(R, "IDE", FullName),
              TRV_FIELD(R, "IDE", Position),
              TRV_FIELD(R, "IDE", Company),
              TRV_FIELD(R, "IDE", Email),
              TRV_FIELD(R, "IDE", Phone),
              TRV_FIELD(R, "IDE", Fax)};
  d.keys = {key(d, "IDE:KeyID", "IDE:KeyID", {"IDE:IdNr"}, true, true, true),
            key(d, "IDE:KeyName", "IDE:KeyName", {"IDE:Name"}, true)};
  return d;
}

FileDecl sla() {
  using R = SlaRecord;
  FileDecl d{"Sla", "SLA", sizeof(R), {}, {}, {}, true};
  d.fields = {TRV_FIELD(R, "SLA", IDProduct),    TRV_FIELD(R, "SLA", Priority),
              TRV_FIELD(R, "SLA", PriorityFix),  TRV_FIELD(R, "SLA", ResByte1),
              TRV_FIELD(R, "SLA", ResByte2),     TRV_FIELD(R, "SLA", ResLong1),
              TRV_FIELD(R, "SLA", ResLong2),     TRV_FIELD(R, "SLA", Product),
              TRV_FIELD(R, "SLA", Respons),      TRV_FIELD(R, "SLA", FirstEsc),
              TRV_FIELD(R, "SLA", FirstEscDays), TRV_FIELD(R, "SLA", FirstEscMargin),
              TRV_FIELD(R, "SLA", SecEscDays),   TRV_FIELD(R, "SLA", SecEsc),
              TRV_FIELD(R, "SLA", SecEscMargin), TRV_FIELD(R, "SLA", ThdEsc),
              TRV_FIELD(R, "SLA", ThirdEscDays), TRV_FIELD(R, "SLA", ThirdEscMargin),
              TRV_FIELD(R, "SLA", ServiceShift), TRV_FIELD(R, "SLA", ServiceStart),
              TRV_FIELD(R, "SLA", ServiceEnd),   TRV_FIELD(R, "SLA", LName)};
  d.keys = {key(d, "SLA:IDPRODUCTKEY", "bv. LLI", {"SLA:IDProduct"}, true, true),
            key(d, "SLA:ProductKey", "SLA:ProductKey", {"SLA:Product"}, true)};
  return d;
}

FileDecl problem() {
  using R = ProblemRecord;
  FileDecl d{"Problem", "PRO", sizeof(R), {}, {}, {}, true};
  d.fields = {TRV_FIELD(R, "PRO", PROBLEM)};
  d.keys = {key(d, "PRO:KeyProblem", "PRO:KeyProblem", {"PRO:PROBLEM"}, true, true)};
  return d;
}

FileDecl log() {
  using R = LogRecord;
  FileDecl d{"Log", "LOG", sizeof(R), {}, {}, {}, true};
  d.fields = {TRV_FIELD(R, "LOG", NR),        TRV_FIELD(R, "LOG", ID),
              TRV_FIELD(R, "LOG", NAME),      TRV_FIELD(R, "LOG", CASENR),
              TRV_FIELD(R, "LOG", ACTION),    TRV_FIELD(R, "Log", ActionDate),
              TRV_FIELD(R, "Log", ActionTime)};
  d.keys = {key(d, "Log:KEYNR", "Log:KEYNR", {"LOG:NR"}, true, true, true),
            dupKey(d, "Log:CaseKey", {"LOG:CASENR"}),
            dupKey(d, "Log:KEYDATE", {"Log:ActionDate", "Log:ActionTime"}),
            dupKey(d, "Log:KEYID", {"LOG:ID"}), dupKey(d, "Log:KEYNAME", {"LOG:NAME"})};
  return d;
}

FileDecl sys() {
  using R = SysRecord;
  FileDecl d{"Sys", "SYS", sizeof(R), {}, {}, {}, true};
  d.fields = {TRV_FIELD(R, "Sys", ID),
              TRV_FIELD(R, "Sys", DoLog),
              TRV_FIELD(R, "Sys", HowLong),
              TRV_FIELD(R, "Sys", LastLogDate),
              TRV_FIELD(R, "Sys", LastLogTime),
              TRV_FIELD(R, "Sys", DoBackup),
              TRV_FIELD(R, "Sys", BackUpFlag),
              TRV_FIELD(R, "Sys", BackUpDays),
              TRV_FIELD(R, "Sys", PathBackupFiles),
              TRV_FIELD(R, "Sys", LastBackUpDate),
              TRV_FIELD(R, "Sys", LastBackUpTime),
              TRV_FIELD(R, "Sys", BackUpTime),
              TRV_FIELD(R, "Sys", ViewFlag2),
              TRV_FIELD(R, "Sys", RefreshInterval),
              TRV_FIELD(R, "Sys", Server),
              TRV_FIELD(R, "Sys", DeleteClosed),
              TRV_FIELD(R, "Sys", DeleteDays),
              TRV_FIELD(R, "Sys", DeleteTime),
              TRV_FIELD(R, "Sys", Server2),
              TRV_FIELD(R, "SYS", PROBLEMFIX),
              TRV_FIELD(R, "Sys", ResByte1),
              TRV_FIELD(R, "Sys", ResByte2),
              TRV_FIELD(R, "Sys", ResLong1),
              TRV_FIELD(R, "Sys", ResLong2),
              TRV_FIELD(R, "Sys", ResString),
              TRV_FIELD(R, "Sys", ResCString)};
  d.keys = {key(d, "Sys:KeyID", "Sys:KeyID", {"Sys:ID"}, true, true)};
  return d;
}

#undef TRV_FIELD

struct Table {
  DataFile file;
  std::string_view title;
  FileDecl decl;
};

const Table* tables() {
  static const Table all[] = {
      {DataFile::Sercase, "Sercase", sercase()},
      {DataFile::Archive, "Archive", archive()},
      {DataFile::Client, "Client", client()},
      {DataFile::Ide, "Ide", ide()},
      {DataFile::Sla, "Sla", sla()},
      {DataFile::Problem, "Problem", problem()},
      {DataFile::Log, "Log", log()},
      {DataFile::Sys, "Sys", sys()},
  };
  return all;
}

const Table& table(DataFile f) {
  return tables()[static_cast<int>(f)];
}

}  // namespace

const store::FileDecl& declaration(DataFile file) {
  return table(file).decl;
}
std::string_view fileTitle(DataFile file) {
  return table(file).title;
}
std::string fileName(DataFile file) {
  return std::string(fileTitle(file)) + ".kvx";
}
std::string filePath(const std::string& folder, DataFile file) {
  if (folder.empty() || folder.back() == '/') return folder + fileName(file);
  return folder + "/" + fileName(file);
}

std::optional<std::string> getFieldText(DataFile file, std::string_view fieldName,
                                        const std::string& record) {
  const store::FileDecl& d = declaration(file);
  const int f = d.findField(fieldName);
  if (f < 0 || record.size() != d.recordSize) return std::nullopt;
  return store::fieldText(d.fields[f], record.data());
}

std::string setFieldText(DataFile file, std::string_view fieldName, std::string& record,
                         std::string_view value) {
  const store::FileDecl& d = declaration(file);
  const int f = d.findField(fieldName);
  const std::string name(fieldName);
  if (f < 0) return "no field " + name + " in " + std::string(fileTitle(file));
  if (record.size() != d.recordSize) return "not a record of " + std::string(fileTitle(file));
  switch (store::setFieldText(d.fields[f], record.data(), value)) {
    case store::SetResult::Ok:
      return {};
    case store::SetResult::NotANumber:
      return name + ": \"" + std::string(value) + "\" is no number";
    case store::SetResult::OutOfRange:
      return name + ": " + std::string(value) + " does not fit";
    case store::SetResult::TooLong:
      return name + ": \"" + std::string(value) + "\" is longer than the field";
  }
  return {};
}

std::optional<DataFile> fileOfTitle(std::string_view title) {
  for (DataFile f : kDataFiles)
    if (store::sameName(fileTitle(f), title)) return f;
  return std::nullopt;
}

std::optional<DataFile> fileOfField(std::string_view fieldName) {
  const auto colon = fieldName.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  for (DataFile f : kDataFiles)
    if (store::sameName(declaration(f).prefix, fieldName.substr(0, colon))) return f;
  return std::nullopt;
}

}  // namespace trv::core
