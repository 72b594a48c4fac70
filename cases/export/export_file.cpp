#include "cases/export/export_file.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "cases/export/export_line.h"
#include "cases/reports/report_frame.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/program_message.h"
#include "runtime/forms/window_controller.h"
#include "runtime/report/report_runner.h"
#include "runtime/store/file_shrink.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"
#include "runtime/view/view_reader.h"

namespace trv::cases {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSection = "Config";
constexpr const char* kKey = "Export";
constexpr const char* kFileName = "cases.csv";
constexpr const char* kNotFound =
    " Export folder not found..\r\n File Export set to Local Database. ";
constexpr const char* kHeld = " Unable to create Export file - file held by other application";
constexpr const char* kOverwrite = " File already Exists.. \r\n Overwrite current file..?";

std::string exportPathOf(const std::string& folder) {
  std::string f = folder;
  while (!f.empty() && f.back() == ' ') f.pop_back();
  return (f + "/" + kFileName).substr(0, 255);
}

ui::WindowDecl dialogDecl() {
  ui::WindowDecl d;
  d.title = "Case Data Export Information";
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::button("?ExportButton", "&Export File").withNumber(ExportFileButton).at(4, 1),
      ui::box("?Box1").withNumber(2).at(1, 1),
      ui::button("?CancelButton", "&Cancel")
          .withNumber(ExportCancel)
          .withTip("Exit window ")
          .at(4, 2),
      ui::button("?HelpButton", "&Help").withNumber(ExportHelp).at(4, 3),
      ui::box("?Box2").withNumber(5).at(2, 1),
      ui::image("?Image1", "Mail10.ico").withNumber(ExportIcon).at(1, 1),
      ui::prompt("?Prompt1", "Case  data will be exported to the following folder and file:")
          .withNumber(ExportPrompt)
          .at(2, 1),
      ui::button("?ChooseFolder", "...")
          .withNumber(ExportChoose)
          .withTip("Choose another folder")
          .at(3, 2),
      ui::string("?ExportPath", "").withNumber(ExportPathText).at(3, 1),
  };
  return d;
}

class ExportDialog final : public forms::WindowController {
 public:
  explicit ExportDialog(core::ProgramState& s)
      : WindowController(s.forms, "WindowExportFile", dialogDecl()), s_(s) {
    SINGLESLOT = core::kWindowExportFileThread;
    RESTOREONFOCUS = true;
    AddCloseButton(ExportCancel);
    AddHelpButton(ExportHelp, "Export Case Data");
  }

  data::Level Init() override {
    ui::UiRuntime& ui = s_.env.ui;
    std::string folder = s_.AppSettings.ReadValue(kSection, kKey);
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) {
      folder = s_.ProgramFolder + "/DataBase";
      forms::tell(s_.forms, kNotFound);
    } else {
      ui.setCurrentFolder(folder);
    }
    SetFolder(folder);
    return WindowController::Init();
  }

  void OnOpen() override {
    WindowController::OnOpen();
    window().setText(ExportPathText, exportPath_);
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case ExportChoose:
        ChooseFolder();
        return data::LevelNotify;
      case ExportFileButton:
        return ExportNow();
      default:
        return WindowController::HandleAccepted();
    }
  }

  data::Level Shutdown() override {
    // However the dialog closes, relative names resolve in the program folder again.
    s_.env.ui.setCurrentFolder(s_.ProgramFolder);
    return WindowController::Shutdown();
  }

 private:
  void SetFolder(const std::string& folder) {
    folder_ = folder;
    exportPath_ = exportPathOf(folder);
    (void)s_.AppSettings.WriteValue(kSection, kKey, folder);
    if (hasWindow()) window().setText(ExportPathText, exportPath_);
  }

  void ChooseFolder() {
    ui::DialogRequest r;
    r.kind = ui::DialogKind::Folder;
    r.title = "Choose Export Directory";
    r.initial = folder_;
    const ui::Answer a = s_.env.ui.dialog(r);
    if (!a.ok || a.path.empty()) return;
    std::string folder = a.path;
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    SetFolder(folder);
  }

  data::Level ExportNow() {
    std::error_code ec;
    if (fs::exists(exportPath_, ec)) {
      const int b = forms::ask(s_.forms, kOverwrite, ui::Icon::Question, {"&Yes", "&No"}, 1);
      if (b != 1) {
        if (b == 2) ChooseFolder();
        return data::LevelNotify;
      }
      if (!fs::remove(exportPath_, ec) || ec) {
        forms::tell(s_.forms, kHeld);
        return data::LevelNotify;
      }
    }
    std::uint8_t failed = 0;
    ProcessExportFile(s_, failed);
    if (failed) return data::LevelNotify;
    RESPONSE = forms::ResponseCompleted;
    return data::LevelFatal;
  }

  core::ProgramState& s_;
  std::string folder_;
  std::string exportPath_;
};

// The export's own progress window: the record loop in batches, Cancel served between them.
enum : int { kThermometer = 1, kUserString = 2, kPercentText = 3, kCancel = 4 };
constexpr int kBatchEvent = ui::EventUser + 1;
constexpr int kRecordsPerCycle = 200;
constexpr std::chrono::milliseconds kSlice{5};
constexpr std::size_t kWriteBuffer = std::size_t{256} << 10;

class ExportLoop final : public report::RecordLoop {
 public:
  ExportLoop(view::ViewReader& v, std::ofstream& out) : RecordLoop(v), out_(out) {}
  data::Level ProcessRecord(const store::RecordBuffer& b) override {
    const core::SercaseRecord r = reports::recordOf<core::SercaseRecord>(b);
    if (r.CaseNr == 0) return data::LevelNotify;
    line_.clear();
    formatter_.appendLine(r, line_);
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
    if (!out_) {
      ++unwritten_;
      out_.clear();
      return data::LevelNotify;
    }
    written_ += line_.size();
    return data::LevelOk;
  }
  std::uint64_t unwritten() const { return unwritten_; }
  // The bytes of the lines written, where the file ends.
  std::uint64_t written() const { return written_; }

 private:
  std::ofstream& out_;
  ExportFormatter formatter_;
  std::string line_;
  std::uint64_t unwritten_ = 0;
  std::uint64_t written_ = 0;
};

enum class RunEnd { Completed, Cancelled, ReadFailed };

// Runs the loop under the progress window.
RunEnd runWithProgress(core::ProgramState& s, ExportLoop& loop) {
  ui::WindowDecl decl;
  decl.title = "Progress...";
  decl.kind = ui::WindowKind::Progress;
  decl.controls = {
      ui::progress("?Progress:Thermometer", 0, 100).withNumber(kThermometer).at(1, 1),
      ui::string("?Progress:UserString", "").withNumber(kUserString).at(2, 1),
      ui::string("?Progress:PctText", "0% Completed").withNumber(kPercentText).at(3, 1),
      ui::button("?Progress:Cancel", "&Cancel").withNumber(kCancel).at(4, 1),
  };
  std::unique_ptr<ui::Window> w = s.env.ui.open(std::move(decl));
  if (!w) return RunEnd::Cancelled;
  RunEnd end = RunEnd::Cancelled;
  bool finished = false;
  ui::Event e;
  while (!finished && w->accept(e)) {
    switch (e.number) {
      case ui::EventOpenWindow:
        w->setTitle("Processing Records");
        w->setText(kPercentText, "0% Completed");
        w->setText(kUserString, "Copying data to ASCII file");
        w->post(kBatchEvent);
        break;
      case kBatchEvent: {
        // A large case file takes a while: the other threads' windows answer between batches.
        if (!s.env.ui.yieldBaton()) {
          finished = true;
          break;
        }
        // Batches for a few milliseconds between turns: a turn for every batch would cost as
        // much as the batches themselves.
        const auto sliceEnd = std::chrono::steady_clock::now() + kSlice;
        report::RecordLoop::Batch b;
        do {
          b = loop.next(kRecordsPerCycle);
        } while (!b.stopped && !b.atEnd && std::chrono::steady_clock::now() < sliceEnd);
        w->setValue(kThermometer, static_cast<std::int64_t>(loop.percent()));
        w->setText(kPercentText, std::to_string(loop.percent()) + "% Completed");
        if (b.stopped || b.atEnd) {
          finished = true;
          end = b.stopped ? RunEnd::ReadFailed : RunEnd::Completed;
        } else {
          w->post(kBatchEvent);
        }
        break;
      }
      case ui::EventAccepted:
        if (e.control == kCancel) finished = true;
        break;
      case ui::EventCloseWindow:
        finished = true;
        break;
      default:
        break;
    }
  }
  w->close();
  return end;
}

}  // namespace

void ProcessExportFile(core::ProgramState& s, std::uint8_t& failed) {
  s.AppMessages.PushProcedureName("ProcessExportFile");
  data::FileRelations& cases = *s.dictionary.SercaseRelations;
  if (cases.open() == data::LevelOk) {
    const std::string folder = s.AppSettings.ReadValue(kSection, kKey);
    const std::string path = exportPathOf(folder);
    const auto yield = [&s] { return s.env.ui.yieldBaton(); };
    // Written in large pieces: a line at a time through a small buffer is a system call for
    // every few lines.
    std::vector<char> buffer(kWriteBuffer);
    std::ofstream out;
    out.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    // The last export, often as large as this one, is written over and cut to the new length
    // at the end: emptying it first holds the program while the file system frees its blocks
    // and waits for the ones still being written.
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) out.open(path, std::ios::binary | std::ios::in);
    if (!out.is_open()) {
      out.clear();
      out.open(path, std::ios::binary | std::ios::trunc);
    }
    if (!out) {
      forms::tell(s.forms, kHeld);
      failed = 1;
    } else {
      s.env.ui.setCurrentFolder(folder);
      data::FileAccess& f = cases.file();
      f.setBulkRows(100);
      // The export writes no memo: reading them would only cost time.
      data::FileAccess::threadConnection().setSequenceMemos(f.fileId(), false);
      std::uint64_t total = 0;
      // The cases with a number, the ones exported, counted from their key: counting the
      // records themselves would read the whole file once more before the export starts. The
      // key of a large file still takes a while: counted in steps, the other threads' windows
      // answering between them.
      (void)data::FileAccess::threadConnection().countKeyed(
          f.fileId(), f.decl().findKey("SER:CaseNrKey"), &total, yield);
      RunEnd end = RunEnd::Cancelled;
      std::uint64_t unwritten = 0;
      std::uint64_t written = 0;
      {
        view::ViewReader v(data::FileAccess::threadConnection(), f.fileId(), f.decl());
        v.SetKeyOrder(-1);
        ExportLoop loop(v, out);
        loop.InitCounted(total);
        end = runWithProgress(s, loop);
        unwritten = loop.unwritten();
        written = loop.written();
      }
      f.setBulkRows(1);
      data::FileAccess::threadConnection().setSequenceMemos(f.fileId(), true);
      out.flush();
      if (!out) ++unwritten;
      out.close();
      if (out.fail()) ++unwritten;
      // The rest of the last export goes, also after a failed write (a file with other names is
      // cut at once).
      const bool cut = store::shrinkInSteps(path, yield, written) ||
                       ::truncate(path.c_str(), static_cast<off_t>(written)) == 0;
      s.env.ui.setCurrentFolder(s.ProgramFolder);
      if (!cut) {
        forms::tell(s.forms, " The export file " + path +
                                 " could not be cut to its new length: it still ends with lines"
                                 " of the last export.");
        failed = 1;
      } else if (unwritten > 0) {
        // A short file must never pass for a complete export.
        forms::tell(s.forms, " The export file " + path + " is incomplete: " +
                                 std::to_string(unwritten) + " record(s) could not be written.");
        failed = 1;
      } else if (end == RunEnd::ReadFailed) {
        forms::tell(s.forms, " The export file " + path +
                                 " is incomplete: the case file could not be read to its end.");
        failed = 1;
      }
    }
    cases.close();
  }
  s.AppMessages.PushProcedureName("ProcessExportFile", true);
}

void WindowExportFile(core::ProgramState& s) {
  ExportDialog d(s);
  d.Run();
}

void registerExportFile(core::ProgramState& s) {
  s.procedures.add("WindowExportFile",
                   forms::onCallersThread([&s](std::string_view) { WindowExportFile(s); }));
}

}  // namespace trv::cases
