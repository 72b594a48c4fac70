#include "runtime/messaging/messages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "runtime/mail/address_book.h"
#include "runtime/mail/mime_reader.h"
#include "runtime/mail/recipients.h"
#include "runtime/text/charset.h"

namespace trv::messaging::detail {
namespace fs = std::filesystem;
using automation::Arguments;
using automation::ObjectPtr;
using automation::sameName;
using automation::Value;

namespace {

std::optional<std::size_t> itemIndex(const Arguments& args, std::size_t count) {
  auto n = numberOf(automation::firstArgument(args).value_or(""));
  if (!n || *n < 1 || static_cast<std::size_t>(*n) > count) return std::nullopt;
  return static_cast<std::size_t>(*n - 1);
}

// Writes data to path whole: into a new file beside it, renamed over it once complete, so an
// existing file is replaced entirely or not at all. Keeps the mode of a file it replaces.
bool writeWhole(const fs::path& path, std::string_view data) {
  if (path.empty() || !path.has_filename()) return false;
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::string temp = (folder / ("." + path.filename().string() + ".trv-XXXXXX")).string();
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  struct stat old {};
  ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
  int err = 0;
  for (std::size_t done = 0; done < data.size();) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      err = errno;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

std::optional<Value> text(std::string s) {
  return Value(std::move(s));
}
std::optional<Value> number(std::int64_t n) {
  return Value(n);
}
std::optional<Value> nothing() {
  return Value();
}
std::optional<Value> object(ObjectPtr o) {
  return Value(std::move(o));
}

class AddressEntryObject final : public Bound {
 public:
  AddressEntryObject(State state, mail::MailAddress address)
      : Bound(std::move(state)), address_(std::move(address)) {}
  std::optional<Value> get(std::string_view m, const Arguments&) override {
    if (!live()) return std::nullopt;
    if (sameName(m, "Name"))
      return text(outText(address_.name.empty() ? address_.address : address_.name));
    if (sameName(m, "Address")) return text(address_.address);
    if (sameName(m, "Type")) return text("SMTP");
    return std::nullopt;
  }
  bool set(std::string_view, std::string_view) override { return false; }

 private:
  mail::MailAddress address_;
};

// A recipient as read: of a received message, or of the address book's answer.
class RecipientObject final : public Bound {
 public:
  RecipientObject(State state, mail::MapiRecipDesc r) : Bound(std::move(state)), r_(std::move(r)) {}
  std::optional<Value> get(std::string_view m, const Arguments&) override {
    if (!live()) return std::nullopt;
    if (sameName(m, "Name")) return text(r_.name);
    if (sameName(m, "Address")) return text(r_.address);
    if (sameName(m, "Type")) return number(r_.recipClass);
    return std::nullopt;
  }
  bool set(std::string_view, std::string_view) override { return false; }

 private:
  mail::MapiRecipDesc r_;
};

class RecipientListObject final : public Bound {
 public:
  RecipientListObject(State state, std::vector<mail::MapiRecipDesc> list)
      : Bound(std::move(state)), list_(std::move(list)) {}
  std::optional<Value> get(std::string_view m, const Arguments& args) override {
    if (!live()) return std::nullopt;
    if (sameName(m, "Count")) return number(static_cast<std::int64_t>(list_.size()));
    if (sameName(m, "Item")) {
      auto i = itemIndex(args, list_.size());
      if (!i) return std::nullopt;
      return object(std::make_shared<RecipientObject>(state_, list_[*i]));
    }
    return std::nullopt;
  }
  bool set(std::string_view, std::string_view) override { return false; }

 private:
  std::vector<mail::MapiRecipDesc> list_;
};

// An attachment of a received message.
class ReceivedAttachment final : public Bound {
 public:
  ReceivedAttachment(State state, std::shared_ptr<const mail::ParsedMail> mail, std::size_t index)
      : Bound(std::move(state)), mail_(std::move(mail)), index_(index) {}

  automation::MemberShape shape(std::string_view m) const override {
    if (sameName(m, "WriteToFile")) return {automation::ArgumentStyle::WholeText, {}};
    return {};
  }
  std::optional<Value> get(std::string_view m, const Arguments& args) override {
    if (!live()) return std::nullopt;
    const mail::ParsedAttachment& a = mail_->attachments[index_];
    if (sameName(m, "Name")) return text(outText(a.fileName));
    if (sameName(m, "Source")) return text(a.fileName);  // a file name, as paths are
    if (sameName(m, "Type")) return number(1);
    if (sameName(m, "Position")) return number(-1);
    if (sameName(m, "Index")) return number(static_cast<std::int64_t>(index_ + 1));
    if (sameName(m, "WriteToFile")) {
      auto path = automation::firstArgument(args);
      if (!path) return std::nullopt;
      if (!writeWhole(fs::path(*path), a.data)) return std::nullopt;
      return nothing();
    }
    return std::nullopt;
  }
  bool set(std::string_view m, std::string_view value) override {
    return sameName(m, "WriteToFile") && get(m, {{{}, std::string(value)}}).has_value();
  }

 private:
  std::shared_ptr<const mail::ParsedMail> mail_;
  std::size_t index_;
};

class ReceivedAttachments final : public Bound {
 public:
  ReceivedAttachments(State state, std::shared_ptr<const mail::ParsedMail> mail)
      : Bound(std::move(state)), mail_(std::move(mail)) {}
  std::optional<Value> get(std::string_view m, const Arguments& args) override {
    if (!live()) return std::nullopt;
    if (sameName(m, "Count")) return number(static_cast<std::int64_t>(mail_->attachments.size()));
    if (sameName(m, "Item")) {
      auto i = itemIndex(args, mail_->attachments.size());
      if (!i) return std::nullopt;
      return object(std::make_shared<ReceivedAttachment>(state_, mail_, *i));
    }
    return std::nullopt;
  }
  bool set(std::string_view, std::string_view) override { return false; }

 private:
  std::shared_ptr<const mail::ParsedMail> mail_;
};

// A message stored in a folder.
class StoredMessage final : public Bound {
 public:
  StoredMessage(State state, std::string folderId, mail::Maildir folder, mail::MaildirEntry entry)
      : Bound(std::move(state)),
        folderId_(std::move(folderId)),
        folder_(std::move(folder)),
        entry_(std::move(entry)) {}

  std::optional<Value> get(std::string_view m, const Arguments&) override {
    if (!live() || deleted_) return std::nullopt;
    if (sameName(m, "ID")) return text(folderId_ + "/" + entry_.id);
    if (sameName(m, "Update")) return nothing();
    if (sameName(m, "Delete")) return remove() ? nothing() : std::nullopt;
    if (!load()) return std::nullopt;
    if (sameName(m, "Subject")) return text(outText(mail_->subject));
    if (sameName(m, "Text")) return text(outLines(mail_->text));
    if (sameName(m, "Sender")) {
      if (!mail_->from) return std::nullopt;
      return object(std::make_shared<AddressEntryObject>(state_, *mail_->from));
    }
    if (sameName(m, "Recipients")) {
      std::vector<mail::MapiRecipDesc> list;
      for (const auto* addresses : {&mail_->to, &mail_->cc})
        for (const mail::MailAddress& a : *addresses)
          list.push_back({0, addresses == &mail_->to ? mail::kMapiTo : mail::kMapiCc,
                          outText(a.name.empty() ? a.address : a.name), a.address, ""});
      return object(std::make_shared<RecipientListObject>(state_, std::move(list)));
    }
    if (sameName(m, "Attachments"))
      return object(std::make_shared<ReceivedAttachments>(state_, mail_));
    return std::nullopt;
  }
  bool set(std::string_view, std::string_view) override { return false; }

 private:
  // The message where it is now (a reader may have moved it from new/ to cur/).
  std::optional<mail::MaildirEntry> locate() {
    std::error_code ec;
    if (fs::is_regular_file(entry_.path, ec)) return entry_;
    auto moved = folder_.find(entry_.id);
    if (moved) entry_ = *moved;
    return moved;
  }

  bool load() {
    if (mail_) return true;
    auto entry = locate();
    if (!entry) return false;
    std::string bytes;
    if (!folder_.read(*entry, bytes).ok()) return false;
    auto parsed = mail::parseMail(bytes);
    if (!parsed) return false;
    mail_ = std::make_shared<const mail::ParsedMail>(std::move(*parsed));
    return true;
  }

  // Into the trash; out of the trash for good.
  bool remove() {
    auto entry = locate();
    if (!entry || !state_->trash) return false;
    if (folder_.root() == state_->trash->root()) {
      std::error_code ec;
      if (!fs::remove(entry->path, ec)) return false;
    } else if (!folder_.moveTo(*entry, *state_->trash, "S").ok()) {
      return false;
    }
    deleted_ = true;
    return true;
  }

  std::string folderId_;
  mail::Maildir folder_;
  mail::MaildirEntry entry_;
  std::shared_ptr<const mail::ParsedMail> mail_;
  bool deleted_ = false;
};

// --- new messages ---

struct Draft;

class DraftRecipient final : public Bound {
 public:
  DraftRecipient(State state, std::weak_ptr<Draft> draft)
      : Bound(std::move(state)), draft_(std::move(draft)) {
    desc.recipClass = mail::kMapiTo;
  }
  std::optional<Value> get(std::string_view m, const Arguments& args) override;
  bool set(std::string_view m, std::string_view value) override;
  mail::MapiRecipDesc desc;  // class To until set

 private:
  std::weak_ptr<Draft> draft_;
};

class DraftAttachment final : public Bound {
 public:
  DraftAttachment(State state, std::weak_ptr<Draft> draft)
      : Bound(std::move(state)), draft_(std::move(draft)) {}
  automation::MemberShape shape(std::string_view m) const override {
    if (sameName(m, "ReadFromFile")) return {automation::ArgumentStyle::WholeText, {}};
    return {};
  }
  std::optional<Value> get(std::string_view m, const Arguments& args) override;
  bool set(std::string_view m, std::string_view value) override;
  std::string name;  // shown name, Windows-1252
  std::string path;  // the file read, once ReadFromFile succeeded
  std::int64_t type = 1;
  std::int64_t position = -1;

 private:
  std::weak_ptr<Draft> draft_;
};

struct Draft {
  std::string subject;
  std::string text;
  std::vector<std::shared_ptr<DraftRecipient>> recipients;
  std::vector<std::shared_ptr<DraftAttachment>> attachments;
  bool done = false;  // sent or thrown away

  template <class T>
  void drop(const T* item, std::vector<std::shared_ptr<T>>& list) {
    std::erase_if(list, [&](const auto& x) { return x.get() == item; });
  }
};

std::optional<Value> DraftRecipient::get(std::string_view m, const Arguments&) {
  auto draft = draft_.lock();
  if (!live() || !draft || draft->done) return std::nullopt;
  if (sameName(m, "Name")) return text(desc.name);
  if (sameName(m, "Address")) return text(desc.address);
  if (sameName(m, "Type")) return number(desc.recipClass);
  if (sameName(m, "Delete")) {
    draft->drop(this, draft->recipients);
    return nothing();
  }
  if (sameName(m, "Resolve")) {
    // A name the address book knows, or an address itself.
    mail::MapiRecipDesc probe = desc;
    probe.recipClass = mail::kMapiTo;
    const mail::AddressBook book = mail::loadAddressBook(state_->settings.addressBook);
    mail::RecipientResolution r = mail::resolveRecipients({probe}, book);
    if (r.result != mail::MapiSuccess || r.recipients.size() != 1) return std::nullopt;
    desc.address = r.recipients.front().address.address;
    return nothing();
  }
  return std::nullopt;
}

bool DraftRecipient::set(std::string_view m, std::string_view value) {
  auto draft = draft_.lock();
  if (!live() || !draft || draft->done) return false;
  if (sameName(m, "Name")) {
    desc.name = std::string(value);
    desc.address.clear();  // resolved again for the new name
    return true;
  }
  if (sameName(m, "Address")) {
    desc.address = std::string(value);
    return true;
  }
  if (sameName(m, "Type")) {
    auto n = numberOf(value);
    if (!n || *n < mail::kMapiTo || *n > mail::kMapiBcc) return false;
    desc.recipClass = static_cast<std::uint32_t>(*n);
    return true;
  }
  return false;
}

std::optional<Value> DraftAttachment::get(std::string_view m, const Arguments& args) {
  auto draft = draft_.lock();
  if (!live() || !draft || draft->done) return std::nullopt;
  if (sameName(m, "Name")) return text(name);
  if (sameName(m, "Source")) return text(path);
  if (sameName(m, "Type")) return number(type);
  if (sameName(m, "Position")) return number(position);
  if (sameName(m, "Delete")) {
    draft->drop(this, draft->attachments);
    return nothing();
  }
  if (sameName(m, "ReadFromFile")) {
    auto file = automation::firstArgument(args);
    if (!file) return std::nullopt;
    std::error_code ec;
    const int fd = ::open(file->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !fs::is_regular_file(*file, ec)) {
      if (fd >= 0) ::close(fd);
      return std::nullopt;
    }
    ::close(fd);
    path = *file;
    if (name.empty()) name = text::fromUtf8(fs::path(*file).filename().string());
    return nothing();
  }
  return std::nullopt;
}

bool DraftAttachment::set(std::string_view m, std::string_view value) {
  auto draft = draft_.lock();
  if (!live() || !draft || draft->done) return false;
  if (sameName(m, "Name")) {
    name = std::string(value);
    return true;
  }
  if (sameName(m, "Type") || sameName(m, "Position")) {
    auto n = numberOf(value);
    if (!n) return false;
    (sameName(m, "Type") ? type : position) = *n;
    return true;
  }
  if (sameName(m, "ReadFromFile")) return get(m, {{{}, std::string(value)}}).has_value();
  return false;
}

template <class Item>
class DraftList final : public Bound {
 public:
  DraftList(State state, std::shared_ptr<Draft> draft,
            std::vector<std::shared_ptr<Item>> Draft::*list)
      : Bound(std::move(state)), draft_(std::move(draft)), list_(list) {}
  std::optional<Value> get(std::string_view m, const Arguments& args) override {
    if (!live() || draft_->done) return std::nullopt;
    auto& items = (*draft_).*list_;
    if (sameName(m, "Count")) return number(static_cast<std::int64_t>(items.size()));
    if (sameName(m, "Item")) {
      auto i = itemIndex(args, items.size());
      if (!i) return std::nullopt;
      return object(items[*i]);
    }
    if (sameName(m, "Add")) {
      items.push_back(std::make_shared<Item>(state_, draft_));
      return object(items.back());
    }
    return std::nullopt;
  }
  bool set(std::string_view, std::string_view) override { return false; }

 private:
  std::shared_ptr<Draft> draft_;
  std::vector<std::shared_ptr<Item>> Draft::*list_;
};

class DraftMessage final : public Bound {
 public:
  explicit DraftMessage(State state) : Bound(std::move(state)), draft_(std::make_shared<Draft>()) {}

  std::optional<Value> get(std::string_view m, const Arguments&) override {
    if (!live() || draft_->done) return std::nullopt;
    if (sameName(m, "ID")) return text("");
    if (sameName(m, "Subject")) return text(draft_->subject);
    if (sameName(m, "Text")) return text(draft_->text);
    if (sameName(m, "Recipients"))
      return object(
          std::make_shared<DraftList<DraftRecipient>>(state_, draft_, &Draft::recipients));
    if (sameName(m, "Attachments"))
      return object(
          std::make_shared<DraftList<DraftAttachment>>(state_, draft_, &Draft::attachments));
    if (sameName(m, "Update")) return nothing();
    if (sameName(m, "Delete")) {
      draft_->done = true;
      return nothing();
    }
    if (sameName(m, "Send")) return send() ? nothing() : std::nullopt;
    return std::nullopt;
  }
  bool set(std::string_view m, std::string_view value) override {
    if (!live() || draft_->done) return false;
    if (sameName(m, "Subject")) {
      draft_->subject = std::string(value);
      return true;
    }
    if (sameName(m, "Text")) {
      draft_->text = std::string(value);
      return true;
    }
    return false;
  }

 private:
  bool send() {
    mail::MapiMessage message;
    message.subject = draft_->subject;
    message.noteText = draft_->text;
    for (const auto& r : draft_->recipients) message.recips.push_back(r->desc);
    for (const auto& a : draft_->attachments) {
      mail::MapiFileDesc f;
      f.pathName = a->path;  // empty when no file was read: the send fails on it
      f.fileName = a->name;
      message.files.push_back(std::move(f));
    }
    const mail::MapiResult r = state_->mail->MAPISendMail(state_->handle, 0, message, 0, 0);
    if (r != mail::MapiSuccess) return false;
    draft_->done = true;
    return true;
  }

  std::shared_ptr<Draft> draft_;
};

class MessagesObject final : public Bound {
 public:
  MessagesObject(State state, FolderInfo folder)
      : Bound(std::move(state)), folder_(std::move(folder)) {}

  std::optional<Value> get(std::string_view m, const Arguments& args) override {
    if (!live()) return std::nullopt;
    if (sameName(m, "Add")) return object(std::make_shared<DraftMessage>(state_));
    auto maildir = maildirOf(*state_, folder_.id);
    if (sameName(m, "Count"))
      return number(maildir ? static_cast<std::int64_t>(maildir->list().size()) : 0);
    if (!maildir) return std::nullopt;
    if (sameName(m, "Item")) {
      const std::vector<mail::MaildirEntry> all = maildir->list();
      auto i = itemIndex(args, all.size());
      if (!i) return std::nullopt;
      return message(*maildir, all[*i]);
    }
    if (sameName(m, "GetFirst")) {
      walk_ = maildir->list();
      cursor_ = 0;
      return current(*maildir);
    }
    if (sameName(m, "GetNext")) {
      if (cursor_ < walk_.size()) ++cursor_;
      return current(*maildir);
    }
    return std::nullopt;
  }
  bool set(std::string_view, std::string_view) override { return false; }

 private:
  std::optional<Value> message(const mail::Maildir& maildir, const mail::MaildirEntry& entry) {
    return object(std::make_shared<StoredMessage>(state_, folder_.id, maildir, entry));
  }
  // The walk's message at the cursor, passing over messages gone since the walk began.
  std::optional<Value> current(const mail::Maildir& maildir) {
    for (; cursor_ < walk_.size(); ++cursor_) {
      std::error_code ec;
      if (fs::is_regular_file(walk_[cursor_].path, ec)) return message(maildir, walk_[cursor_]);
      if (auto moved = maildir.find(walk_[cursor_].id)) return message(maildir, *moved);
    }
    return std::nullopt;
  }

  FolderInfo folder_;
  std::vector<mail::MaildirEntry> walk_;
  std::size_t cursor_ = 0;
};

}  // namespace

ObjectPtr makeMessages(State state, FolderInfo folder) {
  return std::make_shared<MessagesObject>(std::move(state), std::move(folder));
}

ObjectPtr findMessage(State state, std::string_view id) {
  const std::size_t slash = id.find('/');
  if (slash == std::string_view::npos || slash == 0) return nullptr;
  const std::string folderId(id.substr(0, slash));
  auto maildir = maildirOf(*state, folderId);
  if (!maildir) return nullptr;
  auto entry = maildir->find(id.substr(slash + 1));
  if (!entry) return nullptr;
  return std::make_shared<StoredMessage>(std::move(state), folderId, *maildir, *entry);
}

ObjectPtr makeRecipientList(State state, const std::vector<mail::MapiRecipDesc>& list) {
  return std::make_shared<RecipientListObject>(std::move(state), list);
}

}  // namespace trv::messaging::detail
