#include "core/clients/client_import.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/clients/client_importer.h"
#include "core/import/import_file.h"
#include "core/import/import_rules.h"
#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/program_message.h"
#include "runtime/text/clock.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

namespace fs = std::filesystem;

constexpr const char* kImportFile = "VKT.csv";
constexpr const char* kErrorLog = "ImportError.log";

ui::WindowDecl importDecl() {
  ui::WindowDecl d;
  d.title = "Import Client Data";
  d.kind = ui::WindowKind::Modal;
  d.icon = "Member.ico";
  d.controls = {
      ui::image("?Image1", "Member.ico").withNumber(ImportPicture).at(1, 1),
      ui::string("?Status", "Select CSV-File Containing Client Data...")
          .withNumber(ImportStatus)
          .at(2, 1),
      ui::progress("?Progress", 0, 100).withNumber(ImportProgress).at(3, 1).asHidden(),
      ui::button("?Select", "&Select").withNumber(ImportSelect).withTip("Select CSV file").at(4, 1),
      ui::button("?Import", "&Import")
          .withNumber(ImportStart)
          .withTip("Start Import")
          .at(4, 2)
          .asDisabled(),
      ui::button("?Close", "&Close").withNumber(ImportClose).at(4, 3),
      ui::button("?Help", "&Help").withNumber(ImportHelp).at(4, 4),
  };
  return d;
}

class ClientImport {
 public:
  ClientImport(ProgramState& s, ui::Window& w) : s_(s), w_(w) {}

  void Select() {
    ui::DialogRequest r;
    r.kind = ui::DialogKind::FileOpen;
    r.title = "Select Import File";
    r.masks = "CSV|*.csv";
    const ui::Answer a = s_.env.ui.dialog(r);
    if (!a.ok || a.path.empty()) {
      w_.setDisabled(ImportStart, true);
      return;
    }
    fs::path chosen = a.path;
    if (chosen.is_relative()) chosen = s_.env.ui.currentFolder() / chosen;
    const fs::path folder = chosen.parent_path();
    s_.env.ui.setCurrentFolder(folder);
    lastFileError_.clear();
    if (chosen.filename() != kImportFile) {
      // A VKT.csv already there is another file: it is never replaced, and nothing is imported.
      const std::error_code ec = renameWithoutReplacing(chosen, folder / kImportFile);
      if (ec == std::errc::file_exists)
        lastFileError_ = std::string("The folder already holds a ") + kImportFile + ": " +
                         chosen.filename().string() + " keeps its name and nothing is imported.";
      else if (ec)
        lastFileError_ = chosen.filename().string() + " could not be renamed to " + kImportFile +
                         " (" + ec.message() + "); nothing is imported.";
    }
    w_.setText(ImportStatus, "Press Import to Start Importing Data...");
    w_.setDisabled(ImportStart, false);
  }

  void Run() {
    rejected_ = 0;
    imported_ = false;
    lastError_ = ImportError::None;
    w_.setDisabled(ImportStart, true);
    const bool ran = Import();
    w_.setTitle("Vorn Trovanel 1.2 - Import");
    w_.setHidden(ImportStatus, false);
    w_.setHidden(ImportPicture, false);
    // A missing file imported nothing: no status may claim otherwise.
    if (!ran) return;
    if (auto status = importFinalStatus(lastError_, rejected_, imported_))
      w_.setText(ImportStatus, *status);
  }

 private:
  bool Import() {
    w_.setTitle("Importing data, please wait...");
    const fs::path folder = s_.env.ui.currentFolder();
    std::error_code ec;
    if (!fs::exists(folder / kImportFile, ec)) {
      forms::tell(s_.forms, "File cannot be found in choosen directory");
      w_.setHidden(ImportProgress, true);
      return false;
    }
    if (!lastFileError_.empty()) {
      // The file there is not the one chosen.
      forms::tell(s_.forms, lastFileError_);
      w_.setHidden(ImportProgress, true);
      return false;
    }
    w_.setHidden(ImportProgress, false);
    w_.setHidden(ImportStatus, true);
    w_.setHidden(ImportPicture, true);
    data::FileRelations& clients = *s_.dictionary.ClientRelations;
    if (clients.open() != data::LevelOk) return false;
    data::FileAccess& f = clients.file();
    std::ifstream in(folder / kImportFile, std::ios::binary);
    ClientImporter importer(data::FileAccess::threadConnection(), f.fileId(), f.decl(),
                            folder / kErrorLog, s_.env.clock.today(), s_.env.clock.now());
    std::string failure;
    const bool written = importer.run(
        in, [this](std::uint64_t lines) { w_.setValue(ImportProgress, std::int64_t(lines)); },
        &failure, [this] { return s_.env.ui.yieldBaton(); },
        [this](const std::function<void()>& commit) { s_.env.ui.withoutBaton(commit); });
    clients.close();
    w_.setValue(ImportProgress, std::int64_t{0});
    w_.setHidden(ImportProgress, true);
    rejected_ = importer.rejected();
    imported_ = importer.imported();
    lastError_ = importer.lastError();
    // Said once, after the run: a refused log would otherwise bring a box for every line.
    if (importer.logFailed())
      forms::tell(s_.forms, std::string("The error log ") + kErrorLog + " could not be written.");
    if (!written) {
      forms::tell(s_.forms, "The import stopped after line " + std::to_string(importer.line()) +
                                ": the client file could not be written (" + failure +
                                "). The last lines read were not imported.");
    }
    return true;
  }

  ProgramState& s_;
  ui::Window& w_;
  std::string lastFileError_;
  std::uint64_t rejected_ = 0;
  bool imported_ = false;
  ImportError lastError_ = ImportError::None;
};

}  // namespace

void ImportClientData(ProgramState& s) {
  s.AppMessages.PushProcedureName("ImportClientData");
  data::FileRelations& clients = *s.dictionary.ClientRelations;
  const bool openedHere = clients.file().openCount() == 0;
  if (!openedHere || clients.open() == data::LevelOk) {
    std::unique_ptr<ui::Window> w = s.env.ui.open(importDecl());
    if (w) {
      ClientImport import(s, *w);
      ui::Event e;
      bool done = false;
      while (!done && w->accept(e)) {
        if (e.number == ui::EventCloseWindow) break;
        if (e.number != ui::EventAccepted) continue;
        switch (e.control) {
          case ImportSelect:
            import.Select();
            break;
          case ImportStart:
            import.Run();
            break;
          case ImportClose:
            done = true;
            break;
          case ImportHelp:
            s.env.ui.help("Import Client Data");
            break;
          default:
            break;
        }
      }
      w->close();
    }
    s.env.ui.setCurrentFolder(s.ProgramFolder);
    if (openedHere) clients.close();
  }
  s.AppMessages.PushProcedureName("ImportClientData", true);
}

void registerClientImport(ProgramState& s) {
  s.procedures.add("ImportClientData",
                   forms::onCallersThread([&s](std::string_view) { ImportClientData(s); }));
}

}  // namespace trv::core
