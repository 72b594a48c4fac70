#include "runtime/forms/message_catalog.h"

#include <algorithm>
#include <array>

#include "runtime/data/file_access.h"
#include "runtime/store/error.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::forms {
namespace {

enum class Placeholder {
  File,
  ErrorCode,
  ErrorText,
  Error,
  FileErrorCode,
  FileError,
  Message,
  Field,
  Procedure,
  Previous
};

// Longest first, so that a name is never taken for the start of a longer one.
constexpr std::array<std::pair<std::string_view, Placeholder>, 10> kPlaceholders{{
    {"%FileErrorCode", Placeholder::FileErrorCode},
    {"%ErrorCode", Placeholder::ErrorCode},
    {"%ErrorText", Placeholder::ErrorText},
    {"%FileError", Placeholder::FileError},
    {"%Procedure", Placeholder::Procedure},
    {"%Previous", Placeholder::Previous},
    {"%Message", Placeholder::Message},
    {"%Error", Placeholder::Error},
    {"%Field", Placeholder::Field},
    {"%File", Placeholder::File},
}};

bool startsNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (text::upper1252(s[i]) != text::upper1252(prefix[i])) return false;
  return true;
}

const std::string kEndText = "  Press OK to end this application";

}  // namespace

MessageCatalog::MessageCatalog(ui::UiRuntime& ui) : ui_(ui) {}

int MessageCatalog::Show(const ui::MessageRequest& request) {
  // The user may take minutes to answer: other stations must not wait on our locks meanwhile.
  store::Connection& c = data::FileAccess::threadConnection();
  if (c.inTransaction()) c.rollback();
  return ui_.message(request);
}

void MessageCatalog::Init() {
  {
    std::lock_guard lock(m_);
    entries_.clear();
    names_.clear();
  }
  auto block = builtInMessageBlock();
  [[maybe_unused]] bool ok = AddMessages(block);
}

void MessageCatalog::Shutdown() {
  std::lock_guard lock(m_);
  entries_.clear();
  names_.clear();
}

bool MessageCatalog::AddMessages(std::span<const std::uint8_t> block) {
  std::vector<MessageEntry> added;
  if (!decodeMessageBlock(block, added)) return false;
  std::lock_guard lock(m_);
  entries_.insert(entries_.end(), added.begin(), added.end());
  return true;
}

const MessageEntry* MessageCatalog::findLocked(int id, const MessageEntry** overridden) const {
  const MessageEntry* found = nullptr;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->id != id) continue;
    if (!found) {
      found = &*it;
      if (!overridden) break;
    } else {
      *overridden = &*it;
      break;
    }
  }
  return found;
}

const MessageEntry* MessageCatalog::Find(int id) const {
  std::lock_guard lock(m_);
  return findLocked(id, nullptr);
}

std::string MessageCatalog::Format(const MessageEntry& entry, const SavedError& saved) const {
  std::string previous;
  std::string procedure = CurrentProcedureName();
  std::lock_guard lock(m_);
  // The entry this one overrides is the next older one with its id.
  bool seen = false;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (&*it == &entry) {
      seen = true;
    } else if (seen && it->id == entry.id) {
      previous = it->text;
      break;
    }
  }
  auto value = [&](Placeholder p) -> std::string {
    switch (p) {
      case Placeholder::File:
        return fileName_;
      case Placeholder::ErrorCode:
        return std::to_string(saved.code);
      case Placeholder::ErrorText:
        if (saved.code == store::FileSystemError)
          return saved.driverText + " (" + std::to_string(saved.driverCode) + ")";
        return saved.text + " (" + std::to_string(saved.code) + ")";
      case Placeholder::Error:
        return saved.text;
      case Placeholder::FileErrorCode:
        return std::to_string(saved.driverCode);
      case Placeholder::FileError:
        return saved.driverText;
      case Placeholder::Message:
        return message_;
      case Placeholder::Field:
        return fieldName_;
      case Placeholder::Procedure:
        return procedure;
      case Placeholder::Previous:
        return previous;
    }
    return {};
  };
  std::string out;
  std::string_view t = entry.text;
  std::size_t i = 0;
  while (i < t.size()) {
    if (t[i] == '%') {
      bool replaced = false;
      for (const auto& [name, p] : kPlaceholders) {
        if (!startsNoCase(t.substr(i), name)) continue;
        out += value(p);
        i += name.size();
        replaced = true;
        break;
      }
      if (replaced) continue;
    }
    out += t[i++];
  }
  return out;
}

Level MessageCatalog::Raise(int id) {
  const store::Error& e = store::lastError();
  SavedError saved{e.code, e.text, e.driverCode, e.driverText};
  MessageEntry entry;
  {
    std::lock_guard lock(m_);
    const MessageEntry* found = findLocked(id, nullptr);
    if (!found) {
      entry.id = static_cast<std::uint16_t>(id);
      entry.kind = KindNotify;
    } else {
      entry = *found;
    }
  }
  std::string textOut;
  {
    // Format needs the stored entry to find what it overrides.
    const MessageEntry* stored = Find(id);
    textOut = stored ? Format(*stored, saved) : std::string();
  }
  switch (entry.kind) {
    case KindBenign:
      return OnBenign(entry.title, textOut);
    case KindQuestion:
    case KindQuestion2:
      return OnQuestion(entry.title, textOut);
    case KindProgram:
      return OnProgramError(entry.title, textOut);
    case KindFatal:
      return OnFatal(entry.title, textOut);
    case KindNotify:
      return OnNotify(entry.title, textOut);
    default:
      return OnOther(entry.title, textOut);
  }
}

Level MessageCatalog::RaiseWithText(int id, std::string_view text) {
  {
    std::lock_guard lock(m_);
    message_ = std::string(text);
  }
  return Raise(id);
}

data::MessageButton MessageCatalog::ShowMessage(int id, int buttons,
                                                data::MessageButton defaultButton) {
  const store::Error& e = store::lastError();
  SavedError saved{e.code, e.text, e.driverCode, e.driverText};
  const MessageEntry* stored = Find(id);
  ui::MessageRequest r;
  if (stored) {
    r.caption = stored->title;
    r.text = Format(*stored, saved);
    r.icon = stored->kind == KindQuestion || stored->kind == KindQuestion2 ? ui::Icon::Exclamation
                                                                           : ui::Icon::Information;
  }
  r.buttons.clear();
  std::vector<data::MessageButton> order;
  constexpr std::array<std::pair<data::MessageButton, const char*>, 4> kButtons{{
      {data::ButtonOk, "&OK"},
      {data::ButtonYes, "&Yes"},
      {data::ButtonNo, "&No"},
      {data::ButtonCancel, "&Cancel"},
  }};
  for (const auto& [b, label] : kButtons)
    if (buttons & b) {
      r.buttons.push_back(label);
      order.push_back(b);
      if (b == defaultButton) r.defaultButton = static_cast<int>(order.size());
    }
  if (order.empty()) {
    r.buttons.push_back("&OK");
    order.push_back(data::ButtonOk);
  }
  int pressed = Show(r);
  if (pressed < 1) {
    // The program ended while the box was up: the safest answer the caller offered.
    if (buttons & data::ButtonCancel) return data::ButtonCancel;
    return defaultButton;
  }
  return order[static_cast<std::size_t>(pressed - 1)];
}

void MessageCatalog::SetFileName(std::string_view name) {
  std::lock_guard lock(m_);
  fileName_ = std::string(name);
}

void MessageCatalog::SetFieldName(std::string_view name) {
  std::lock_guard lock(m_);
  fieldName_ = std::string(name);
}

void MessageCatalog::PushProcedureName(std::string_view name, bool pop) {
  std::lock_guard lock(m_);
  auto& stack = names_[ui::UiRuntime::currentThread()];
  if (pop) {
    if (!stack.empty()) stack.pop_back();
  } else {
    stack.emplace_back(name);
  }
}

std::string MessageCatalog::CurrentProcedureName() const {
  std::lock_guard lock(m_);
  auto it = names_.find(ui::UiRuntime::currentThread());
  return it == names_.end() || it->second.empty() ? std::string() : it->second.back();
}

Level MessageCatalog::OnBenign(const std::string&, const std::string&) {
  return data::LevelOk;
}

Level MessageCatalog::OnQuestion(const std::string& title, const std::string& text) {
  int pressed = Show({text, title, ui::Icon::Exclamation, {"&Yes", "&No"}, 1});
  if (pressed == 0) return data::LevelFatal;  // the program has ended
  return pressed == 1 ? data::LevelOk : data::LevelDeclined;
}

Level MessageCatalog::OnNotify(const std::string& title, const std::string& text) {
  Show({text, title, ui::Icon::Information, {"&OK"}, 1});
  return data::LevelNotify;
}

Level MessageCatalog::EndProgram(const std::string& title, const std::string& text) {
  Show({text + kEndText, title, ui::Icon::Information, {"&OK"}, 1});
  ui_.endProgram();
  return data::LevelFatal;
}

Level MessageCatalog::OnFatal(const std::string& title, const std::string& text) {
  return EndProgram(title, text);
}
Level MessageCatalog::OnProgramError(const std::string& title, const std::string& text) {
  return EndProgram(title, text);
}
Level MessageCatalog::OnOther(const std::string& title, const std::string& text) {
  return EndProgram(title, text);
}

}  // namespace trv::forms
