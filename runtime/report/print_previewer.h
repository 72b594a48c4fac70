#pragma once
// PrintPreviewer: the "Report Preview" window over a finished report.
//
// The window shows one page at a time with "Page n of N"; the user prints the report or leaves.
// Its position is kept in the configuration file under "_PreviewWindow_". Runs on the calling
// program thread and returns when the window has closed.

#include <memory>

#include "runtime/report/page_model.h"
#include "runtime/report/report_output.h"

namespace trv::ini {
class IniSettings;
}
namespace trv::ui {
class UiRuntime;
}

namespace trv::report {

class PrintPreviewer {
 public:
  // Control numbers of the preview window.
  enum : int { kPageText = 1, kPrevious = 2, kNext = 3, kPrint = 4, kExit = 5 };

  PrintPreviewer(ui::UiRuntime& runtime, ReportOutput& output) : rt_(runtime), output_(output) {}
  // Keeps the window position in `settings` (may be null).
  void SetIniSettings(ini::IniSettings* settings) { settings_ = settings; }

  // Shows the document until the user leaves. True when it was printed.
  bool Preview(std::shared_ptr<const Document> document);

 private:
  ui::UiRuntime& rt_;
  ReportOutput& output_;
  ini::IniSettings* settings_ = nullptr;
};

}  // namespace trv::report
