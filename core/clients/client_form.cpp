#include "core/clients/client_form.h"

#include "core/data/records.h"
#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/program_message.h"
#include "runtime/forms/record_use.h"
#include "runtime/store/error.h"
#include "runtime/text/charset.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

using enum clientform::Control;

struct EntrySpec {
  int number;
  const char* prompt;
  const char* field;
  int width;
  const char* tip;
};

constexpr EntrySpec kEntries[] = {
    {kSName, "Name ID:", "CLI:SName", 6, "Key Client"},
    {kLName, "Full Name", "CLI:LName", 80, "Long client name"},
    {kContact, "Contact:", "CLI:Contact", 30, "Contact person"},
    {kPhone, "Phone:", "CLI:Phone", 29, "Phone-number"},
    {kPhone2, "Mobile:", "CLI:Phone2", 20, "Mobile Phone"},
    {kEmail, "Email:", "CLI:Email", 99, "email addess"},
};
constexpr EntrySpec kMoreEntries[] = {
    {kFax, "Fax:", "CLI:Fax", 29, "Fax-number"},
    {kAddress, "Address:", "CLI:Address", 30, "Address"},
    {kZip, "ZIP:", "CLI:ZIPCode", 10, "ZIP Code"},
    {kCity, "City:", "CLI:City", 30, "City"},
    {kState, "State:", "CLI:State", 30, "State"},
};

ui::WindowDecl clientDecl(data::FileAccess& client) {
  ui::WindowDecl d;
  d.kind = ui::WindowKind::Modal;
  d.resizable = true;
  auto& c = d.controls;
  c.push_back(ui::sheet("?Sheet").withNumber(kSheet));
  c.push_back(ui::tab("?Tab:General", "General").withNumber(kTab).in(kSheet));
  int row = 1;
  auto addEntry = [&](const EntrySpec& e) {
    c.push_back(ui::prompt("?Prompt" + std::to_string(e.number), e.prompt)
                    .withNumber(e.number - 1)
                    .at(row, 1)
                    .in(kTab));
    c.push_back(ui::entry(std::string("?") + e.field, "@s" + std::to_string(e.width),
                          forms::useRecordField(client, e.field))
                    .withNumber(e.number)
                    .at(row, 2)
                    .size(e.width)
                    .withTip(e.tip)
                    .in(kTab));
    ++row;
  };
  for (const EntrySpec& e : kEntries) addEntry(e);
  c.push_back(ui::check("?CLI:PriorityFix", "Client Priority",
                        forms::useRecordField(client, "CLI:PriorityFix"))
                  .withNumber(kPriorityFix)
                  .withValue("1")
                  .withTip("Set Priority ")
                  .at(row, 1)
                  .in(kTab));
  c.push_back(ui::dropList("?CLI:Priority", {"High", "Medium", "Minimal"},
                           forms::useRecordField(client, "CLI:Priority"))
                  .withNumber(kPriority)
                  .withTip("Select Priority")
                  .size(7)
                  .at(row, 2)
                  .in(kTab));
  ++row;
  for (const EntrySpec& e : kMoreEntries) addEntry(e);
  c.push_back(ui::prompt("?Prompt27", "Remarks:").withNumber(kRemarks - 1).at(row, 1).in(kTab));
  c.push_back(ui::textBox("?CLI:Remarks", forms::useRecordField(client, "CLI:Remarks"))
                  .withNumber(kRemarks)
                  .withPicture("@s255")
                  .withTip("Remarks")
                  .size(60, 3)
                  .at(row, 2)
                  .in(kTab));
  ++row;
  c.push_back(ui::button("?OK", "OK").withNumber(kOk).at(row, 1).asDefault());
  c.push_back(ui::button("?Cancel", "Cancel").withNumber(kCancel).at(row, 2));
  c.push_back(ui::button("?Help", "Help").withNumber(kHelp).at(row, 3));
  return d;
}

class ClientForm final : public forms::WindowController {
 public:
  ClientForm(ProgramState& s, std::string clientId)
      : WindowController(s.forms, "Updateclient", clientDecl(*s.dictionary.ClientAccess)),
        s_(s),
        clientId_(std::move(clientId)) {
    PRIMARY = s.dictionary.ClientRelations.get();
    OKCONTROL = kOk;
    DELETEACTION = 2;  // the list's delete asks first and never shows the form
    // At most two forms: a third brings the last one to the front and never opens.
    SINGLESLOT = kUpdateclientThread;
    INSTANCELIMIT = 2;
    HOLDFRAMETIMER = true;
    RESTOREONFOCUS = true;
    UseFile(*s.dictionary.ClientRelations);
    AddCloseButton(kCancel, forms::ResponseCancelled);
    AddHelpButton(kHelp, "Inserting Clients");
    for (int control : {kSName, kLName, kContact, kPhone, kPhone2, kEmail, kPriorityFix, kPriority,
                        kFax, kAddress, kZip, kCity, kState, kRemarks})
      RememberHistoryField(control);
  }

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    window().setTitle(REQUEST == forms::RequestInsert ? "Adding a Client Record"
                                                      : "Changing a Client Record");
    const int level = s_.user.Level;
    if (byId()) {
      window().setDisabled(kSName, true);
      window().select(kLName);
      if (!found_) {
        forms::tell(
            s_.forms,
            "Client ID is changed ! - Press OK in the \r\nCase Window to select a new ID..");
        RESPONSE = forms::ResponseCancelled;
        window().close();
        return data::LevelOk;
      }
      window().setDisabled(kPriorityFix, true);
      window().setDisabled(kPriority, true);
    } else {
      window().setDisabled(kPriorityFix, level == 0);
      window().setDisabled(kPriority, level == 0);
    }
    window().setHidden(kPriority, !client().PriorityFix);
    return data::LevelOk;
  }

  data::Level PrepareRequest() override {
    if (byId()) {
      // A case's client is always changed. It is fetched without messages; a vanished client
      // is said at opening.
      REQUEST = forms::RequestChange;
      client().SName = text::fromUtf8(clientId_);
      found_ = s_.dictionary.ClientAccess->fetch("CLI:SNameKey") == store::Ok;
      if (!found_) return data::LevelOk;
    }
    return WindowController::PrepareRequest();
  }

  // The priority check taken back by the ditto key shows or hides the drop list, as a click
  // would.
  void RestoreHistoryField(int control) override {
    WindowController::RestoreHistoryField(control);
    if (control == kPriorityFix) window().setHidden(kPriority, !client().PriorityFix);
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case kPriorityFix:
        window().update(kPriorityFix);
        window().setHidden(kPriority, !client().PriorityFix);
        window().display();
        return data::LevelOk;
      case kOk:
        window().update();
        if (client().PriorityFix && client().Priority.blank()) {
          window().select(kPriority);
          return data::LevelNotify;
        }
        return WindowController::HandleAccepted();
      default:
        return WindowController::HandleAccepted();
    }
  }

  // The client's values as stored (a cancelled or refused edit never reaches the case).
  bool storedValues(std::string& fullName, std::string& phone) {
    data::FileAccess& f = *s_.dictionary.ClientAccess;
    if (f.openCount() == 0) return false;
    client().SName = text::fromUtf8(clientId_);
    if (f.fetch("CLI:SNameKey") != store::Ok) return false;
    fullName = client().LName.str();
    phone = client().Phone.str();
    return true;
  }

  bool byId() const { return !text::clip(clientId_).empty(); }

 private:
  ClientRecord& client() { return s_.dictionary.ClientAccess->record<ClientRecord>(); }

  ProgramState& s_;
  std::string clientId_;
  bool found_ = true;
};

}  // namespace

void Updateclient(ProgramState& s, const std::string& clientId, std::string* fullName,
                  std::string* phone) {
  ClientForm form(s, clientId);
  data::FileAccess& client = *s.dictionary.ClientAccess;
  // Keep the file open past the form's own close, to read back what is stored.
  const bool readBack = form.byId() && (fullName || phone);
  if (readBack && client.open() != data::LevelOk) return;
  form.Run();
  if (readBack) {
    std::string name, tel;
    if (form.storedValues(name, tel)) {
      if (fullName) *fullName = name.substr(0, 50);
      if (phone) *phone = tel.substr(0, 16);
    }
    client.close();
  }
}

void registerClientForm(ProgramState& s) {
  s.procedures.add("Updateclient", forms::onCallersThread([&s](std::string_view id) {
                     Updateclient(s, std::string(id));
                   }));
}

}  // namespace trv::core
