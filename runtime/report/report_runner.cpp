#include "runtime/report/report_runner.h"

#include <algorithm>

#include "runtime/report/print_previewer.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::report {
namespace {

constexpr int kBatchEvent = ui::EventUser + 1;

std::string percentText(int percent) {
  return std::to_string(percent) + "% Complete";
}

}  // namespace

void RecordLoop::Init(std::function<std::int64_t(const store::RecordBuffer&)> keyValue) {
  keyValue_ = std::move(keyValue);
  total_ = 0;
}

void RecordLoop::InitCounted(std::uint64_t total) {
  keyValue_ = nullptr;
  total_ = total;
}

data::Level RecordLoop::ProcessRecord(const store::RecordBuffer&) {
  return data::LevelOk;
}

int RecordLoop::percent() const {
  if (keyValue_) {
    if (!firstValue_ || !lastValue_ || *lastValue_ <= *firstValue_) return 0;
    const double f = static_cast<double>(currentValue_ - *firstValue_) /
                     static_cast<double>(*lastValue_ - *firstValue_);
    return std::clamp(static_cast<int>(f * 100), 0, 100);
  }
  if (total_ == 0) return 0;
  return static_cast<int>(std::min<std::uint64_t>(100, read_ * 100 / total_));
}

RecordLoop::Batch RecordLoop::next(int records) {
  Batch b;
  if (!started_ && keyValue_) {
    std::vector<store::RecordBuffer> ends;
    if (view_.first(1, ends) == store::Ok && !ends.empty()) firstValue_ = keyValue_(ends.front());
    ends.clear();
    if (view_.last(1, ends) == store::Ok && !ends.empty()) lastValue_ = keyValue_(ends.front());
  }
  started_ = true;
  int done = 0;
  while (done < records) {
    if (next_ == rows_.size()) {
      if (viewEnded_) break;
      if (!rows_.empty()) last_ = rows_.back();
      // The records done with go back to the view to be filled again.
      view_.recycle(rows_);
      next_ = 0;
      const int want = std::max(records, kReadAhead);
      const store::Code c = last_ ? view_.after(*last_, want, rows_) : view_.first(want, rows_);
      if (c != store::Ok) {
        rows_.clear();
        b.stopped = true;
        b.readError = c;
        return b;
      }
      viewEnded_ = static_cast<int>(rows_.size()) < want;
      if (rows_.empty()) break;
    }
    const store::RecordBuffer& r = rows_[next_++];
    ++read_;
    ++done;
    if (keyValue_) currentValue_ = keyValue_(r);
    const data::Level level = ProcessRecord(r);
    if (level == data::LevelOk) ++processed_;
    if (level == data::LevelFatal) {
      b.stopped = true;
      return b;
    }
  }
  b.atEnd = done < records;
  return b;
}

void ReportRunner::ReportNoRecords(const ReportSettings& settings) {
  if (settings.noRecordsText.empty()) {
    (void)messages_.raise(22);
    return;
  }
  rt_.message(settings.noRecordsText, settings.noRecordsCaption, settings.noRecordsIcon);
}

ReportResponse ReportRunner::Run(RecordLoop& loop, ReportLayout& layout,
                                 const ReportSettings& settings) {
  document_.reset();
  ui::WindowDecl decl;
  decl.title = "Progress...";
  decl.kind = ui::WindowKind::Progress;
  decl.controls = {
      ui::progress("?Progress:Thermometer", 0, 100).withNumber(kThermometer).at(1, 1),
      ui::string("?Progress:UserString", "").withNumber(kUserString).at(2, 1),
      ui::string("?Progress:PctText", percentText(0)).withNumber(kPercentText).at(3, 1),
      ui::button("?Progress:Cancel", "Cancel").withNumber(kCancel).at(4, 1),
  };
  std::unique_ptr<ui::Window> w = rt_.open(std::move(decl));
  if (!w) return ResponseCancelled;

  PrintPreviewer previewer(rt_, output_);
  previewer.SetIniSettings(settings_);
  // Once the first page is complete the preview shows it while the loop goes on; the progress
  // window stays in front, so Cancel is still what the user can press.
  auto showFirstPages = [&] {
    if (previewer.window()) {
      previewer.Progress(layout.completePages());
    } else if (layout.completePages() > 0 &&
               previewer.Open(std::make_shared<const Document>(layout.completeDocument()), false)) {
      (void)rt_.raise(*w);
    }
  };

  bool cancelled = false;
  bool finished = false;
  ui::Event e;
  while (!finished && w->accept(e)) {
    switch (e.number) {
      case ui::EventOpenWindow:
        w->post(kBatchEvent);
        break;
      case kBatchEvent: {
        // Other threads' windows answer between batches; the program's end cancels the report.
        if (!rt_.yieldBaton()) {
          cancelled = finished = true;
          break;
        }
        const RecordLoop::Batch b = loop.next(std::max(1, settings.recordsPerCycle));
        w->setValue(kThermometer, static_cast<std::int64_t>(loop.percent()));
        w->setText(kPercentText, percentText(loop.percent()));
        if (b.stopped) {
          cancelled = true;
          finished = true;
        } else if (b.atEnd) {
          finished = true;
        } else {
          if (settings.preview) showFirstPages();
          w->post(kBatchEvent);
        }
        break;
      }
      case ui::EventAccepted:
        if (e.control == kCancel) cancelled = finished = true;
        break;
      case ui::EventCloseWindow:
        cancelled = finished = true;
        break;
      default:
        break;
    }
  }
  w->close();
  w.reset();
  // A cancelled report shows nothing and prints nothing, also when its first pages were on show:
  // they would pass for the whole report.
  if (cancelled || rt_.ended()) {
    previewer.Close();
    return ResponseCancelled;
  }
  if (loop.processed() == 0) {
    previewer.Close();
    ReportNoRecords(settings);
    return ResponseCancelled;
  }
  document_ = std::make_shared<const Document>(layout.finish());
  if (settings.preview) {
    if (previewer.window())
      previewer.Finish(document_);
    else
      (void)previewer.Open(document_, true);
    previewer.Run();
  } else {
    std::string error;
    if (!output_.print(*document_, &error) && !error.empty()) {
      rt_.message("The report was not printed: " + error, "");
    }
  }
  return ResponseCompleted;
}

}  // namespace trv::report
