#pragma once
// The eight data files: their declarations for the store, their file names and the lookup of a
// field by the name the system gives it.
//
// Declarations are built once from the packed records of records.h (every field's offset and
// width come from the struct itself) and shared read-only by all threads.

#include <optional>
#include <string>
#include <string_view>

#include "runtime/store/declaration.h"

namespace trv::core {

enum class DataFile { Sercase, Archive, Client, Ide, Sla, Problem, Log, Sys };

inline constexpr DataFile kDataFiles[] = {DataFile::Sercase, DataFile::Archive, DataFile::Client,
                                          DataFile::Ide,     DataFile::Sla,     DataFile::Problem,
                                          DataFile::Log,     DataFile::Sys};

// The file's declaration: record, fields, keys with their registered descriptions, memos.
// Ide is declared never to be created.
const store::FileDecl& declaration(DataFile file);

// "Sercase", "Client", ...
std::string_view fileTitle(DataFile file);
// "Sercase.kvx", ...
std::string fileName(DataFile file);
// The file's path in a database folder.
std::string filePath(const std::string& folder, DataFile file);

// The file of a title ("Sercase", letter case ignored).
std::optional<DataFile> fileOfTitle(std::string_view title);
// The file whose prefix a field name carries ("SER:CaseNr" is Sercase, "sys:id" is Sys).
std::optional<DataFile> fileOfField(std::string_view fieldName);

// A field of a record of `file` by its name (letter case ignored) as text: numbers in decimal,
// text without trailing blanks. nullopt when the file has no such field.
std::optional<std::string> getFieldText(DataFile file, std::string_view fieldName,
                                        const std::string& record);
// Sets a field of a record of `file` from text. Empty when done, else why not (no such field,
// not a number, does not fit, longer than the field); the record is then unchanged.
std::string setFieldText(DataFile file, std::string_view fieldName, std::string& record,
                         std::string_view value);

// The value every new case record gets before a form shows it.
inline constexpr std::string_view kNewCasePriority = "Medium";  // kPriorityMedium

}  // namespace trv::core
