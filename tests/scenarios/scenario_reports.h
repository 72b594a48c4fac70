#pragma once
// Where the reports of a scenario go: each "Report Preview" window's pages are kept for the
// report checks to read; printing always succeeds and keeps the document printed.

#include <map>
#include <memory>
#include <vector>

#include "runtime/report/report_output.h"
#include "runtime/ui/front_end.h"

namespace trv::scenario {

class ScenarioReports final : public report::ReportOutput {
 public:
  void showPages(const ui::Window& preview,
                 std::shared_ptr<const report::Document> document) override;
  bool print(const report::Document& document, std::string* error) override;

  // The document the preview window shows; null when it shows none. Requires the baton.
  std::shared_ptr<const report::Document> shownIn(ui::WindowId preview) const;
  const std::vector<report::Document>& printed() const { return printed_; }

 private:
  std::map<ui::WindowId, std::shared_ptr<const report::Document>> shown_;
  std::vector<report::Document> printed_;
};

}  // namespace trv::scenario
