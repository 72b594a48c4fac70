#pragma once
// The uninstall information file: what the product's installer wrote about the installation.
//
// 8-bit text, one item a line, every line ended by a line feed (a carriage return before it
// stays part of the line): the product name; "CheckProgramNotRunning" or anything else; when it
// was the keyword, the class of the product's main window; the number of files and one path a
// line; the number of shared files and one path a line.

#include "uninstall/message_box.h"
#include "uninstall/ref_string.h"
#include "uninstall/text_array.h"

namespace trv::uninstall {

inline constexpr const char* kCloseKeyword = "CheckProgramNotRunning";

struct UninstallInfo {
  CRefString productName;
  bool closeProgram = false;
  CRefString windowClass;  // read only when closeProgram is set
  CTextArray files;
  CTextArray sharedFiles;
};

// The value of a count line: its leading digits after blanks, 0 for none or a negative number.
int countValue(const CRefString& line);

// Parses a whole file's content; false when it ends before the count of shared files.
[[nodiscard]] bool parseInformation(const CRefString& content, UninstallInfo& info);

// Reads and parses the file at `path`. A file that cannot be opened or read completely is
// reported (strings 6 and 7); a file cut short fails without a message. On true `info` is
// filled.
[[nodiscard]] bool readInformationFile(const CRefString& path, MessageBoxes& boxes,
                                       UninstallInfo& info);

}  // namespace trv::uninstall
