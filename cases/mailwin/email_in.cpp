#include "cases/mailwin/email_in.h"

#include <filesystem>

#include "cases/mailwin/inbox.h"
#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/program_message.h"
#include "runtime/list/list_format.h"
#include "runtime/list/queue_list.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

enum : int {
  kList = 1,
  kClose = 2,
  kDelete = 3,
  kCompose = 4,
  kSend = 5,
  kReply = 6,
  kCancel = 8,
  kSheet = 9,
  kMessageTab = 10,
  kAddressBook = 11,
  kSubjectPrompt = 12,
  kSubject = 13,
  kTextPrompt = 14,
  kText = 15,
  kFromPrompt = 16,
  kFrom = 17,
  kToPrompt = 18,
  kTo = 19,
  kAttachTab = 20,
  kAttachList = 21,
  kInsert = 22,
  kRemove = 23,
  kExtract = 24,
};

constexpr int kMailListColour = 12567173;
constexpr const char* kConfig = "Config";
constexpr const char* kFormatKey = "EmailList";

ui::ListColumn column(std::string header, int width) {
  ui::ListColumn c;
  c.header = std::move(header);
  c.width = width;
  return c;
}

// The From column shows whether the message has attachments.
constexpr const char* kIconAttachment = "attach1.ico";
constexpr const char* kIconLetter = "letter.ico";

std::vector<ui::ListColumn> builtInColumns() {
  ui::ListColumn from = column("From", 40);
  from.icon = true;
  return {from, column("Subject", 40), column("Date Received", 16)};
}

// The window's values, as it shows them (UTF-8).
struct Fields {
  std::string subject, text, from;
};

ui::WindowDecl windowDecl(Fields& f) {
  ui::WindowDecl d;
  d.title = "Inbox";
  d.kind = ui::WindowKind::Child;
  d.resizable = true;
  d.controls = {
      ui::list("?List1", builtInColumns()).withNumber(kList).at(1, 1).size(60, 10),
      ui::button("?Close", "Cl&ose").withNumber(kClose).at(2, 1),
      ui::button("?Delete", "&Delete").withNumber(kDelete).at(2, 2),
      ui::button("?Compose", "&Compose").withNumber(kCompose).at(2, 3),
      ui::button("?Send", "")
          .withNumber(kSend)
          .withImage("SEND1.ICO")
          .withTip("Send the message.")
          .at(2, 3)
          .asHidden(),
      ui::button("?Reply", "&Reply").withNumber(kReply).at(2, 4),
      ui::button("?Cancel", "&Cancel").withNumber(kCancel).at(2, 4).asHidden(),
      ui::sheet("?Sheet1").withNumber(kSheet).at(3, 1),
      ui::tab("?Tab1", "&Message").withNumber(kMessageTab).in(kSheet),
      ui::button("?AddressBook", "")
          .withNumber(kAddressBook)
          .withImage("TO2.ICO")
          .withTip("Select the recipients.")
          .at(1, 3)
          .in(kMessageTab)
          .asHidden(),
      ui::prompt("?SubjectPrompt", "Subject:").withNumber(kSubjectPrompt).at(2, 1).in(kMessageTab),
      ui::entry("?MailSubject", "@s255", ui::useText("MailSubject", f.subject))
          .withNumber(kSubject)
          .at(2, 2)
          .in(kMessageTab),
      ui::prompt("?TextPrompt", "Message:").withNumber(kTextPrompt).at(3, 1).in(kMessageTab),
      ui::textBox("?MailText", ui::useText("MailText", f.text))
          .withNumber(kText)
          .at(3, 2)
          .in(kMessageTab),
      ui::prompt("?FromPrompt", "From:").withNumber(kFromPrompt).at(1, 1).in(kMessageTab),
      ui::entry("?MailFromText", "@s255", ui::useText("MailFromText", f.from))
          .withNumber(kFrom)
          .at(1, 2)
          .in(kMessageTab),
      ui::prompt("?ToPrompt", "To:").withNumber(kToPrompt).at(1, 1).in(kMessageTab).asHidden(),
      ui::list("?ToList", {column("", 40)}).withNumber(kTo).at(1, 2).in(kMessageTab).asHidden(),
      ui::tab("?Tab2", "&Attachments").withNumber(kAttachTab).in(kSheet),
      ui::list("?AttachList", {column("Attached Files:", 50)})
          .withNumber(kAttachList)
          .at(1, 1)
          .in(kAttachTab),
      ui::button("?Insert", "&Insert").withNumber(kInsert).at(2, 1).in(kAttachTab).asHidden(),
      ui::button("?Remove", "Re&move").withNumber(kRemove).at(2, 2).in(kAttachTab).asHidden(),
      ui::button("?Extract", "&Extract").withNumber(kExtract).at(2, 3).in(kAttachTab),
  };
  return d;
}

class EmailInWindow final : public forms::WindowController {
 public:
  EmailInWindow(core::ProgramState& s, Fields& f)
      : WindowController(s.forms, "EmailIn", windowDecl(f)), s_(s), f_(f) {
    SINGLESLOT = core::kEmailInThread;
    RESTOREONFOCUS = true;
    AddCloseButton(kClose, forms::ResponseCancelled);
  }

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    inbox_ = std::make_unique<list::QueueList>(window(), kList);
    window().setColumns(kList, list::withListFormat(builtInColumns(),
                                                    s_.AppSettings.ReadValue(kConfig, kFormatKey)));
    return data::LevelOk;
  }

  data::Level Shutdown() override {
    if (hasWindow()) {
      if (const ui::ControlState* c = window().control(kList))
        (void)s_.AppSettings.WriteValue(kConfig, kFormatKey, list::listFormat(c->columns));
    }
    return WindowController::Shutdown();
  }

  void OnOpen() override {
    WindowController::OnOpen();
    const std::string colour = s_.AppSettings.ReadValue(kConfig, "Color");
    int value = 0;
    try {
      value = colour.empty() ? 0 : std::stoi(colour);
    } catch (...) {
      value = 0;
    }
    s_.ListColor = value == 0 ? kMailListColour : value;
    inbox_->SetListColour(s_.ListColor);
    window().setImage(kList, std::string(kIconAttachment) + "|" + kIconLetter);
    enterReadMode();
    load();
  }

  data::Level HandleEvent() override {
    if (event().control == 0 && event().number == ui::EventGainFocus)
      inbox_->SetListColour(s_.ListColor);
    if (event().control == kList && !composing_) {
      const int before = inbox_->selected();
      if (inbox_->HandleEvent(event(), nullptr)) {
        if (inbox_->selected() != before || event().number == ui::EventNewSelection) showSelected();
        return data::LevelNotify;
      }
    }
    return WindowController::HandleEvent();
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case kDelete:
        if (!composing_) deleteSelected();
        return data::LevelNotify;
      case kExtract:
        if (!composing_) extract();
        return data::LevelNotify;
      case kCompose:
        compose(false);
        return data::LevelNotify;
      case kReply:
        compose(true);
        return data::LevelNotify;
      case kCancel:
        enterReadMode();
        showSelected();
        return data::LevelNotify;
      case kAddressBook:
        addressBook();
        return data::LevelNotify;
      case kInsert:
        insertAttachment();
        return data::LevelNotify;
      case kRemove:
        removeAttachment();
        return data::LevelNotify;
      case kSend:
        send();
        return data::LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

 private:
  mail::SimpleMapi* mapi() { return s_.env.mapi; }

  void load() {
    entries_.clear();
    if (mapi()) entries_ = loadInbox(*mapi(), s_.MapiSession);
    std::vector<ui::ListRow> rows;
    for (const auto& e : entries_)
      rows.push_back({{text::toUtf8(e.from), text::toUtf8(e.subject), text::toUtf8(e.date),
                       e.attachments ? kIconAttachment : kIconLetter}});
    inbox_->SetRows(std::move(rows));
    const bool any = !entries_.empty();
    window().setDisabled(kList, !any);
    window().setDisabled(kReply, !any);
    if (any) showSelected();
  }

  void clearShown() {
    f_.subject.clear();
    f_.text.clear();
    f_.from.clear();
    attachments_.clear();
    showAttachments();
  }

  void showSelected() {
    clearShown();
    if (entries_.empty()) {
      window().setDisabled(kList, true);
      window().display();
      return;
    }
    if (inbox_->selected() < 0) inbox_->Select(0);
    const InboxEntry& e = entries_[static_cast<std::size_t>(inbox_->selected())];
    if (mapi()) {
      if (auto m = readMessage(*mapi(), s_.MapiSession, e.messageId,
                               mail::kMapiPeek | mail::kMapiSuppressAttach)) {
        f_.subject = text::toUtf8(m->subject);
        f_.text = text::toUtf8(m->text);
        f_.from = text::toUtf8(m->from);
        for (auto& a : m->attachments) attachments_.push_back(a.fileName);
        showAttachments();
      }
    }
    window().setHidden(kAttachTab, attachments_.empty());
    window().display();
  }

  void showAttachments() {
    std::vector<ui::ListRow> rows;
    for (const auto& a : attachments_) rows.push_back({{text::toUtf8(a)}});
    window().setRows(kAttachList, std::move(rows));
    if (!attachments_.empty()) window().setSelected(kAttachList, 1);
    if (composing_) window().setDisabled(kRemove, attachments_.empty());
  }

  void enterReadMode() {
    composing_ = false;
    draft_ = InboxDraft{};
    clearShown();
    for (int c : {kCancel, kSend, kInsert, kRemove, kAddressBook, kTo, kToPrompt})
      window().setHidden(c, true);
    for (int c : {kCompose, kReply, kExtract, kFrom, kFromPrompt}) window().setHidden(c, false);
    for (int c : {kDelete, kList, kClose}) window().setDisabled(c, false);
    window().setDisabled(kReply, entries_.empty());
    window().setReadOnly(kSubject, true);
    window().setReadOnly(kText, true);
    window().display();
  }

  void compose(bool reply) {
    if (!reply) {
      f_.subject.clear();
      f_.text.clear();
      draft_.toText.clear();
    } else {
      draft_.toText = text::fromUtf8(f_.from);
    }
    draft_.chosen.clear();
    composing_ = true;
    attachments_.clear();
    draft_.attachPaths.clear();
    for (int c : {kCompose, kReply, kExtract, kFrom, kFromPrompt}) window().setHidden(c, true);
    for (int c : {kInsert, kRemove, kSend, kCancel, kTo, kToPrompt, kAddressBook, kAttachTab})
      window().setHidden(c, false);
    window().setReadOnly(kSubject, false);
    window().setReadOnly(kText, false);
    for (int c : {kList, kClose, kDelete}) window().setDisabled(c, true);
    window().setDisabled(kAttachTab, false);
    showAttachments();
    showRecipients();
    window().display();
  }

  void deleteSelected() {
    const int row = inbox_->selected();
    if (row < 0 || !mapi()) return;
    const std::size_t i = static_cast<std::size_t>(row);
    if (mapi()->MAPIDeleteMail(s_.MapiSession, 0, entries_[i].messageId, 0, 0) ==
        mail::MapiSuccess) {
      entries_.erase(entries_.begin() + row);
      std::vector<ui::ListRow> rows = inbox_->rows();
      rows.erase(rows.begin() + row);
      inbox_->SetRows(std::move(rows));
    }
    if (entries_.empty()) {
      clearShown();
      window().setDisabled(kList, true);
      window().setDisabled(kReply, true);
      window().display();
      return;
    }
    showSelected();
  }

  void extract() {
    const int row = inbox_->selected();
    const int at = window().selected(kAttachList);
    if (row < 0 || at < 1 || static_cast<std::size_t>(at) > attachments_.size() || !mapi()) return;
    const std::string& name = attachments_[static_cast<std::size_t>(at - 1)];
    ui::DialogRequest d;
    d.kind = ui::DialogKind::FileSave;
    d.title = text::toUtf8(extractTitle(name));
    d.masks = text::toUtf8(extractFileTypes(name));
    d.initial = text::toUtf8(name);
    const ui::Answer a = s_.env.ui.dialog(d);
    if (!a.ok) {
      window().select(kAttachList);
      return;
    }
    std::string detail;
    const ExtractResult r = extractAttachment(*mapi(), s_.MapiSession,
                                              entries_[static_cast<std::size_t>(row)].messageId,
                                              static_cast<std::size_t>(at - 1), a.path, &detail);
    switch (r) {
      case ExtractResult::Saved:
      case ExtractResult::ReadFailed:
      case ExtractResult::NoSuchAttachment:
        break;
      case ExtractResult::FreeFailed:
        forms::tell(s_.forms, "Could not Free Buffer for Message!", ui::Icon::Exclamation,
                    forms::Caption::None);
        break;
      case ExtractResult::WriteFailed:
        forms::tell(s_.forms, "The attachment could not be saved as " + a.path + ": " + detail,
                    ui::Icon::Exclamation, forms::Caption::None);
        break;
    }
  }

  void showRecipients() {
    static constexpr const char* kClasses[] = {"To:", "To:", "CC:", "BCC:"};
    std::vector<ui::ListRow> rows;
    for (const auto& r : draft_.chosen)
      rows.push_back({{std::string(kClasses[r.recipClass <= 3 ? r.recipClass : 1]) + " " +
                       text::toUtf8(r.name)}});
    window().setRows(kTo, std::move(rows));
    if (!draft_.chosen.empty()) window().setSelected(kTo, 1);
  }

  void addressBook() {
    if (!mapi()) return;
    std::uint32_t count = 0;
    const mail::MapiRecipList* list = nullptr;
    const std::uint32_t r = mapi()->MAPIAddress(s_.MapiSession, 0, "Address To:", 3, "",
                                                draft_.chosen, 0, 0, count, list);
    if (r == mail::MapiSuccess && list != nullptr) {
      draft_.chosen.assign(list->begin(), list->begin() + static_cast<std::ptrdiff_t>(std::min(
                                                              list->size(), mail::kMaxRecipients)));
      if (!draft_.chosen.empty() && !draft_.chosen.front().name.empty())
        draft_.toText = draft_.chosen.front().name;
    }
    if (list != nullptr) (void)mapi()->MAPIFreeBuffer(list);
    showRecipients();
  }

  void insertAttachment() {
    ui::DialogRequest d;
    d.kind = ui::DialogKind::FileOpen;
    d.title = "Insert Attachment From...";
    d.masks = "All Files|*.*";
    const ui::Answer a = s_.env.ui.dialog(d);
    if (a.ok && draft_.attachPaths.size() < mail::kMaxAttachments) {
      draft_.attachPaths.push_back(a.path);  // the full path, however long
      attachments_.push_back(text::fromUtf8(a.path));
      showAttachments();
    }
    window().select(kAttachList);
  }

  void removeAttachment() {
    const int at = window().selected(kAttachList);
    if (at < 1 || static_cast<std::size_t>(at) > draft_.attachPaths.size()) return;
    draft_.attachPaths.erase(draft_.attachPaths.begin() + (at - 1));
    attachments_.erase(attachments_.begin() + (at - 1));
    showAttachments();
  }

  void send() {
    window().update();
    InboxDraft d = draft_;
    d.subject = text::fromUtf8(f_.subject);
    d.text = text::fromUtf8(f_.text);
    const InboxOutgoing out = buildInboxOutgoing(d);
    const std::uint32_t r = mapi()
                                ? mapi()->MAPISendMail(s_.MapiSession, 0, out.message, out.flags, 0)
                                : static_cast<std::uint32_t>(mail::MapiLoginFailure);
    if (r == mail::MapiSuccess) {
      enterReadMode();
      return;
    }
    // A failed send keeps the text as typed; only the outgoing copy carried the blanks.
    if (const std::string t = sendResultText(r); !t.empty())
      forms::tell(s_.forms, t, ui::Icon::Exclamation, forms::Caption::None);
  }

  core::ProgramState& s_;
  Fields& f_;
  std::unique_ptr<list::QueueList> inbox_;
  std::vector<InboxEntry> entries_;
  std::vector<std::string> attachments_;  // names shown (received) or paths (to send)
  InboxDraft draft_;
  bool composing_ = false;
};

}  // namespace

void EmailIn(core::ProgramState& s) {
  Fields f;
  EmailInWindow w(s, f);
  w.Run();
}

void registerEmailIn(core::ProgramState& s) {
  s.procedures.add("EmailIn",
                   forms::onOwnThread([&s](std::string_view) { EmailIn(s); }, core::kEmailInThread,
                                      forms::WhenRunning::ToFront));
}

}  // namespace trv::cases
