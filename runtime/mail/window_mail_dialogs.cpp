#include "runtime/mail/window_mail_dialogs.h"

#include <algorithm>

#include "runtime/mail/mail_address.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::mail {
namespace {

constexpr int kFieldChars = 60;

void append(std::string& field, const std::string& item) {
  if (item.empty()) return;
  if (!trimmed(field).empty()) field += "; ";
  field += item;
}

void say(ui::UiRuntime& ui, std::string text, std::string caption) {
  ui::MessageRequest m;
  m.text = std::move(text);
  m.caption = std::move(caption);
  m.icon = ui::Icon::Exclamation;
  (void)ui.message(m);
}

// The recipients of the three fields, texts from the window (UTF-8) to the records' charset.
std::vector<MapiRecipDesc> collect(const std::string (&fields)[3],
                                   const std::vector<AddressEntry>& book) {
  std::vector<MapiRecipDesc> out;
  for (std::uint32_t k = 0; k < 3; ++k) {
    auto some = recipientsOf(text::fromUtf8(fields[k]), kMapiTo + k, book);
    out.insert(out.end(), some.begin(), some.end());
  }
  return out;
}

}  // namespace

std::string recipientText(const MapiRecipDesc& r) {
  std::string address = r.address;
  if (address.size() > 5 && equalAsciiNoCase(std::string_view(address).substr(0, 5), "SMTP:"))
    address.erase(0, 5);
  if (r.name.empty() || r.name == address) return address.empty() ? r.name : address;
  if (address.empty()) return r.name;
  return r.name + " <" + address + ">";
}

std::vector<MapiRecipDesc> recipientsOf(std::string_view text, std::uint32_t recipClass,
                                        const std::vector<AddressEntry>& book) {
  std::vector<MapiRecipDesc> out;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(';'), text.size());
    const std::string_view item = trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (item.empty()) continue;
    MapiRecipDesc r;
    r.recipClass = recipClass;
    auto known = std::find_if(book.begin(), book.end(), [&](const AddressEntry& e) {
      return equalAsciiNoCase(e.name, item) || equalAsciiNoCase(e.address, item);
    });
    if (known != book.end()) {
      r.name = known->name;
      r.address = known->address;
    } else if (auto parsed = parseAddress(item)) {
      r.name = parsed->name.empty() ? parsed->address : parsed->name;
      r.address = parsed->address;
    } else {
      r.name = std::string(item);
    }
    out.push_back(std::move(r));
  }
  return out;
}

std::optional<std::vector<MapiRecipDesc>> WindowMailDialogs::chooseRecipients(
    const AddressRequest& request) {
  if (ui::UiRuntime::current() != &ui_) return std::nullopt;
  // Fields by class: To, Cc, Bcc; how many the caller lets the user edit.
  const int fields = request.editFields == 0 ? 0 : std::min<int>(request.editFields, 3);
  std::string text[3];
  for (const MapiRecipDesc& r : request.initial)
    if (r.recipClass >= kMapiTo && r.recipClass <= kMapiBcc)
      append(text[r.recipClass - kMapiTo], text::toUtf8(recipientText(r)));

  ui::WindowDecl d;
  d.title = request.caption.empty() ? "Address Book" : request.caption;
  d.kind = ui::WindowKind::Modal;
  d.resizable = true;
  d.controls.push_back(
      ui::list("?Book", {{"Name", 30, "@s30", false}, {"Address", 40, "@s40", false}})
          .withNumber(kBookList)
          .withTip("The address book")
          .size(0, 10)
          .at(1, 1));
  const char* prompts[3] = {"&To:", "&Cc:", "&Bcc:"};
  const char* adds[3] = {"Add To", "Add Cc", "Add Bcc"};
  const char* names[3] = {"To", "Cc", "Bcc"};
  for (int k = 0; k < 3; ++k) {
    const int base = kBookToPrompt + 3 * k;
    const bool shown = k < fields;
    auto p = ui::prompt(std::string("?") + names[k] + "Prompt", prompts[k])
                 .withNumber(base)
                 .at(2 + k, 1);
    auto e = ui::entry(std::string("?") + names[k], "@s255", ui::useText(names[k], text[k]))
                 .withNumber(base + 1)
                 .size(kFieldChars)
                 .at(2 + k, 2);
    auto b = ui::button(std::string("?Add") + names[k], adds[k]).withNumber(base + 2).at(2 + k, 3);
    if (!shown) {
      p.asHidden();
      e.asHidden();
      b.asHidden();
    }
    d.controls.push_back(std::move(p));
    d.controls.push_back(std::move(e));
    d.controls.push_back(std::move(b));
  }
  d.controls.push_back(ui::button("?OK", "&OK").withNumber(kBookOk).asDefault());
  d.controls.push_back(ui::button("?Cancel", "&Cancel").withNumber(kBookCancel));

  std::unique_ptr<ui::Window> w = ui_.open(std::move(d));
  if (!w) return std::nullopt;
  std::vector<ui::ListRow> rows;
  for (const AddressEntry& e : request.book)
    rows.push_back({{text::toUtf8(e.name), e.address}, ui::kColorNone, ui::kColorNone});
  w->setRows(kBookList, std::move(rows));
  if (!request.book.empty()) w->setSelected(kBookList, 1);
  w->select(fields > 0 ? kBookTo : kBookList);

  std::optional<std::vector<MapiRecipDesc>> chosen;
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow) break;
    if (e.number != ui::EventAccepted) continue;
    int into = -1;
    if (e.control == kBookList && fields > 0) into = 0;
    for (int k = 0; k < fields; ++k)
      if (e.control == kBookAddTo + 3 * k) into = k;
    if (into >= 0) {
      const int row = w->selected(kBookList);
      if (row < 1 || row > static_cast<int>(request.book.size())) {
        ui_.beep();
        continue;
      }
      w->update();
      const AddressEntry& entry = request.book[static_cast<std::size_t>(row - 1)];
      append(text[into], text::toUtf8(recipientText({0, 0, entry.name, entry.address, {}})));
      w->display();
      continue;
    }
    if (e.control == kBookCancel) break;
    if (e.control == kBookOk) {
      w->update();
      std::vector<MapiRecipDesc> all = collect(text, request.book);
      if (all.size() > request.maxRecipients) {
        say(ui_,
            "At most " + std::to_string(request.maxRecipients) + " recipients can be chosen; " +
                std::to_string(all.size()) + " are named.",
            w->title());
        continue;
      }
      chosen = std::move(all);
      break;
    }
  }
  w->close();
  return chosen;
}

std::optional<MapiMessage> WindowMailDialogs::composeMessage(
    const MapiMessage& draft, const std::vector<AddressEntry>& book) {
  if (ui::UiRuntime::current() != &ui_) return std::nullopt;
  std::string fields[3];  // To, Cc, Bcc as the address book keeps them
  for (const MapiRecipDesc& r : draft.recips)
    if (r.recipClass >= kMapiTo && r.recipClass <= kMapiBcc)
      append(fields[r.recipClass - kMapiTo], text::toUtf8(recipientText(r)));
  std::string subject = text::toUtf8(draft.subject);
  std::string body = text::toUtf8(draft.noteText);
  std::string files;
  for (const MapiFileDesc& f : draft.files)
    append(files, text::toUtf8(f.fileName.empty() ? f.pathName : f.fileName));

  ui::WindowDecl d;
  d.title = "Send Mail";
  d.kind = ui::WindowKind::Modal;
  d.resizable = true;
  d.controls = {
      ui::prompt("?ToPrompt", "&To:").withNumber(kComposeToPrompt).at(1, 1),
      ui::entry("?To", "@s255", ui::useText("To", fields[0]))
          .withNumber(kComposeTo)
          .size(kFieldChars)
          .at(1, 2),
      ui::prompt("?CcPrompt", "&Cc:").withNumber(kComposeCcPrompt).at(2, 1),
      ui::entry("?Cc", "@s255", ui::useText("Cc", fields[1]))
          .withNumber(kComposeCc)
          .size(kFieldChars)
          .at(2, 2),
      ui::button("?Book", "Address &Book...").withNumber(kComposeBook).at(1, 3),
      ui::prompt("?SubjectPrompt", "&Subject:").withNumber(kComposeSubjectPrompt).at(3, 1),
      ui::entry("?Subject", "@s255", ui::useText("Subject", subject))
          .withNumber(kComposeSubject)
          .size(kFieldChars)
          .at(3, 2),
      ui::string("?Files", files.empty() ? "" : "Attachments: " + files)
          .withNumber(kComposeFiles)
          .at(4, 1),
      ui::textBox("?Text", ui::useText("Text", body))
          .withNumber(kComposeText)
          .size(70, 12)
          .at(5, 1),
      ui::button("?Send", "&Send").withNumber(kComposeSend).asDefault(),
      ui::button("?Cancel", "&Cancel").withNumber(kComposeCancel),
  };
  std::unique_ptr<ui::Window> w = ui_.open(std::move(d));
  if (!w) return std::nullopt;
  w->select(trimmed(fields[0]).empty() ? kComposeTo : kComposeSubject);

  std::optional<MapiMessage> done;
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow) break;
    if (e.number != ui::EventAccepted) continue;
    if (e.control == kComposeCancel) break;
    if (e.control == kComposeBook) {
      w->update();
      AddressRequest request;
      request.caption = "Address Book";
      request.editFields = 2;
      request.initial = collect(fields, book);
      request.book = book;
      if (auto chosen = chooseRecipients(request)) {
        fields[0].clear();
        fields[1].clear();
        for (const MapiRecipDesc& r : *chosen)
          if (r.recipClass == kMapiTo || r.recipClass == kMapiCc)
            append(fields[r.recipClass - kMapiTo], text::toUtf8(recipientText(r)));
      }
      w->display();
      continue;
    }
    if (e.control == kComposeSend) {
      w->update();
      MapiMessage m = draft;
      m.recips = collect(fields, book);
      if (m.recips.empty()) {
        say(ui_, "Name at least one recipient in To: before sending.", "Send Mail");
        w->select(kComposeTo);
        continue;
      }
      m.subject = text::fromUtf8(subject);
      m.noteText = text::fromUtf8(body);
      done = std::move(m);
      break;
    }
  }
  w->close();
  return done;
}

}  // namespace trv::mail
