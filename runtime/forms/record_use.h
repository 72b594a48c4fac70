#pragma once
// Use variables over a data file's record buffer: a control shows and edits a field of the
// calling thread's buffer (`CLI:SName`). Text fields convert between the records' Windows-1252
// and the screen's UTF-8; numeric fields read and write numbers. Text that does not fit the field
// is cut at its width; a control bound to the field takes no more than that (UseVar::width).

#include <string>

#include "runtime/data/file_access.h"
#include "runtime/ui/control.h"

namespace trv::forms {

// fieldName must be a field of the file's declaration (letter case ignored); aborts otherwise,
// as a declaration error.
ui::UseVar useRecordField(data::FileAccess& file, std::string fieldName);

}  // namespace trv::forms
