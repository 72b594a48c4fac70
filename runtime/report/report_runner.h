#pragma once
// RecordLoop and ReportRunner: a report over the records of a view, with a progress window.
//
// The runner opens the progress window "Progress..." (bar, "% Complete" text, Cancel), reads the
// view in batches and hands each record to RecordLoop::ProcessRecord, which places what it
// prints on the report's layout. Each batch is one event of the progress window, so Cancel and
// other windows are served between batches. A previewed report opens the "Report Preview" at
// its first page as soon as that page is complete, behind the progress window, which stays in
// front (the preview takes no input until the loop ends). At the end of the view the progress
// window closes and the preview gets the whole report and runs (or the pages go straight to the
// printer); when no record was processed the report says so and nothing is shown. Cancel (or
// the progress window's close box, or a failed read) ends the report as cancelled: a preview
// already open closes with it and nothing is printed, since its pages would pass for the whole
// report. Runs on the calling program thread and returns when the report has ended.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/data/level.h"
#include "runtime/data/message_sink.h"
#include "runtime/report/report_layout.h"
#include "runtime/report/report_output.h"
#include "runtime/ui/front_end.h"
#include "runtime/view/view_reader.h"

namespace trv::ini {
class IniSettings;
}
namespace trv::ui {
class UiRuntime;
}

namespace trv::report {

enum ReportResponse : int { ResponseCompleted = 1, ResponseCancelled = 2 };

class RecordLoop {
 public:
  // `view` must outlive the loop.
  explicit RecordLoop(view::ViewReader& view) : view_(view) {}
  virtual ~RecordLoop() = default;

  // Progress by the key value: the position of each record's value between the first and the
  // last record's value.
  void Init(std::function<std::int64_t(const store::RecordBuffer&)> keyValue);
  // Progress by count: `total` records are expected.
  void InitCounted(std::uint64_t total);

  // Called for each record of the view, in order: LevelOk when it was processed (printed),
  // LevelNotify to skip it, LevelFatal to end the report as cancelled.
  virtual data::Level ProcessRecord(const store::RecordBuffer& record);

  std::uint64_t processed() const { return processed_; }
  std::uint64_t read() const { return read_; }

  struct Batch {
    bool atEnd = false;
    bool stopped = false;  // ProcessRecord asked to stop, or a read failed
    store::Code readError = store::Ok;
  };
  // Processes up to `records` more records (used by ReportRunner). The view is read ahead by
  // at least kReadAhead records: a statement and an index search for every batch made a long
  // report's reading about an eighth slower. A record is thus printed as it was read a few
  // batches earlier; a report of a file that others edit was never one moment's picture.
  Batch next(int records);
  static constexpr int kReadAhead = 500;
  // 0..100.
  int percent() const;

 private:
  view::ViewReader& view_;
  std::function<std::int64_t(const store::RecordBuffer&)> keyValue_;
  std::optional<std::int64_t> firstValue_, lastValue_;
  std::int64_t currentValue_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t processed_ = 0;
  std::uint64_t read_ = 0;
  std::optional<store::RecordBuffer> last_;  // the last record read from the view
  std::vector<store::RecordBuffer> rows_;    // read last; from rows_[next_] on still to process
  std::size_t next_ = 0;
  bool viewEnded_ = false;  // the last read found fewer records than it asked for
  bool started_ = false;
};

struct ReportSettings {
  // The report's own "no records" text and its caption; empty: message 22 "No Records".
  std::string noRecordsText;
  std::string noRecordsCaption;
  ui::Icon noRecordsIcon = ui::Icon::Information;
  int recordsPerCycle = 50;
  bool preview = true;  // false: straight to the printer
};

class ReportRunner {
 public:
  // Progress window control numbers.
  enum : int { kThermometer = 1, kUserString = 2, kPercentText = 3, kCancel = 4 };

  ReportRunner(ui::UiRuntime& runtime, data::MessageSink& messages, ReportOutput& output)
      : rt_(runtime), messages_(messages), output_(output) {}
  void SetIniSettings(ini::IniSettings* settings) { settings_ = settings; }

  // Runs the report over `loop`, printing on `layout`. ResponseCompleted when pages were made
  // (and shown or printed), ResponseCancelled when the user cancelled, nothing was processed or
  // a read failed.
  ReportResponse Run(RecordLoop& loop, ReportLayout& layout, const ReportSettings& settings);

  // The document of the last run that made pages (for callers that keep it).
  const std::shared_ptr<const Document>& document() const { return document_; }

 private:
  void ReportNoRecords(const ReportSettings& settings);

  ui::UiRuntime& rt_;
  data::MessageSink& messages_;
  ReportOutput& output_;
  ini::IniSettings* settings_ = nullptr;
  std::shared_ptr<const Document> document_;
};

}  // namespace trv::report
