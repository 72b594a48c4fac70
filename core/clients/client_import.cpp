#include "core/clients/client_import.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/clients/import_rules.h"
#include "core/data/records.h"
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
  d.controls = {
      ui::image("?Image1", "Import.gif").withNumber(ImportPicture).at(1, 1),
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
      std::error_code ec;
      fs::rename(chosen, folder / kImportFile, ec);
      if (ec) lastFileError_ = ec.message();
    }
    w_.setText(ImportStatus, "Press Import to Start Importing Data...");
    w_.setDisabled(ImportStart, false);
  }

  void Run() {
    rejected_ = 0;
    linesRead_ = 0;
    runningNumber_ = 0;
    imported_ = false;
    lastError_ = ImportError::None;
    logFailed_ = false;
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
    const fs::path file = s_.env.ui.currentFolder() / kImportFile;
    std::error_code ec;
    if (!fs::exists(file, ec)) {
      forms::tell(s_.forms, "File cannot be found in choosen directory");
      w_.setHidden(ImportProgress, true);
      return false;
    }
    if (!lastFileError_.empty()) forms::tell(s_.forms, lastFileError_);
    w_.setHidden(ImportProgress, false);
    w_.setHidden(ImportStatus, true);
    w_.setHidden(ImportPicture, true);
    data::FileRelations& clients = *s_.dictionary.ClientRelations;
    if (clients.open() != data::LevelOk) return false;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      ++linesRead_;
      if (linesRead_ == 1) continue;  // the heading line
      ImportLine(splitImportLine(line));
      w_.setValue(ImportProgress, std::int64_t{0});
    }
    clients.close();
    w_.setHidden(ImportProgress, true);
    return true;
  }

  void ImportLine(const ImportRecord& v) {
    const std::string fullName = importFullName(v);
    // A line without any name would otherwise land on the previous line's client.
    if (refusedCharacters(v) || fullName.empty()) {
      LogError(ImportError::NoCsvRecord, v);
      return;
    }
    w_.setValue(ImportProgress, static_cast<std::int64_t>(linesRead_));
    data::FileAccess& f = s_.dictionary.ClientRelations->file();
    f.primeRecord();
    ClientRecord& c = f.record<ClientRecord>();
    c.LName = fullName;
    if (f.fetch("CLI:KeyFullName") != store::Ok) {
      AddClient(v, fullName);
      return;
    }
    if (text::clip(v[VktEmail]) == c.Email.view()) {
      Fill(c, v, false);
      if (f.put() != store::Ok) {
        LogError(ImportError::DoubleKey, v);
      } else {
        imported_ = true;
      }
      return;
    }
    ++runningNumber_;
    AddClient(v, numberedName(fullName, runningNumber_));
  }

  // The values of the line over the client's; a new client also takes its contact and e-mail.
  static void Fill(ClientRecord& c, const ImportRecord& v, bool isNew) {
    const auto either = [&v](int first, int second) -> const std::string& {
      return text::clip(v[first]).empty() ? v[second] : v[first];
    };
    if (isNew) {
      c.Contact = v[VktNaam];
      c.Email = v[VktEmail];
    }
    c.Phone = either(VktTel, VktThuisTel);
    c.Address = either(VktAdres, VktThuisAdres);
    c.ZIPCode = either(VktPc, VktThuisPc);
    c.City = either(VktPlaats, VktThuisPlaats);
    c.State = either(VktRegio, VktThuisRegio);
    c.Phone2 = v[VktMobiel];
    c.Fax = either(VktFax, VktThuisFax);
    c.Remarks = v[VktRemark];
  }

  void AddClient(const ImportRecord& v, const std::string& fullName) {
    imported_ = true;
    data::FileAccess& f = s_.dictionary.ClientRelations->file();
    f.primeRecord();
    ClientRecord rec = f.record<ClientRecord>();
    rec.LName = fullName;
    Fill(rec, v, true);
    bool named = false;
    for (int attempt = 0; attempt <= kLastShortNameNumber; ++attempt) {
      rec.SName = shortNameCandidate(fullName, attempt);
      f.record<ClientRecord>() = rec;
      if (f.fetch("CLI:SNameKey") != store::Ok) {
        named = true;
        break;
      }
    }
    f.record<ClientRecord>() = rec;
    // Every short name of the numbering taken: the line is refused rather than looping.
    if (!named || f.add() != store::Ok) LogError(ImportError::DoubleKey, v);
  }

  void LogError(ImportError reason, const ImportRecord& v) {
    ++rejected_;
    lastError_ = reason;
    const std::string line =
        importErrorLine(s_.env.clock.today(), s_.env.clock.now(), reason, v[VktNaam], v[VktEmail]) +
        "\r\n";
    std::ofstream log(s_.env.ui.currentFolder() / kErrorLog, std::ios::binary | std::ios::app);
    log.write(line.data(), static_cast<std::streamsize>(line.size()));
    log.close();
    if (!log && !logFailed_) {
      // Said once: one refused log would otherwise bring a box for every line.
      logFailed_ = true;
      forms::tell(s_.forms, std::string("The error log ") + kErrorLog + " could not be written.");
    }
  }

  ProgramState& s_;
  ui::Window& w_;
  std::string lastFileError_;
  std::uint64_t linesRead_ = 0, rejected_ = 0;
  int runningNumber_ = 0;
  bool imported_ = false;
  bool logFailed_ = false;
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
