#pragma once
// Where a finished report goes: the desktop front end previews and prints it; headless runs and
// tests write it as PDF. Implemented outside the runtime (gui/), so the runtime stays free of Qt.

#include <filesystem>
#include <string>

#include "runtime/report/page_model.h"

namespace trv::report {

class PageRenderer {
 public:
  virtual ~PageRenderer() = default;
  // Writes the document as a PDF file. On failure returns false and says why in *error.
  virtual bool writePdf(const Document& document, const std::filesystem::path& file,
                        std::string* error) = 0;
};

}  // namespace trv::report
