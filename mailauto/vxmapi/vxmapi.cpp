#include "mailauto/vxmapi/vxmapi.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "mailauto/vxmapi/entries.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::mailauto {
namespace {

constexpr std::size_t kMaxFolders = 10000;  // a guard against a server that never ends a list

// The failure answer, in any letter case.
bool failed(std::string_view answer) {
  return text::upper1252(answer) == "GETPROPERTYFAILED";
}

std::string trimmedText(const TextVar& v) {
  return std::string(withoutTrailingBlanks(v.get()));
}

std::uint32_t unsignedOf(std::string_view text) {
  const std::int64_t n = leadingNumber(text);
  return n < 0 ? 0u : static_cast<std::uint32_t>(std::min<std::int64_t>(n, UINT32_MAX));
}

std::string inQuotes(std::string_view id) {
  return "\"" + std::string(id) + "\"";
}

}  // namespace

Vxmapi::Vxmapi(std::function<messaging::MessagingEnvironment()> environment) {
  messaging::registerMapiSession(classes_, std::move(environment));
}

std::string Vxmapi::read(std::string_view path) {
  automation::Control* c = controls_.find(sessionWindow_, kSessionControl);
  return c ? c->read(path) : std::string(automation::kReadFailed);
}

bool Vxmapi::perform(std::string_view path) {
  automation::Control* c = controls_.find(sessionWindow_, kSessionControl);
  return c && c->perform(path);
}

bool Vxmapi::set(std::string_view path, std::string_view value) {
  automation::Control* c = controls_.find(sessionWindow_, kSessionControl);
  return c && c->set(path, value);
}

void Vxmapi::SetPostBoxVariables(const TextVar& profile, const TextVar& password) {
  profile_ = profile;
  password_ = password;
}

void Vxmapi::SetFolderVariables(const TextVar& a, const TextVar& b) {
  folderA_ = a;
  folderB_ = b;
}

std::string Vxmapi::logonText(std::uint64_t window) const {
  const std::string handle = std::to_string(window);
  const std::string profile = trimmedText(profile_);
  if (profile.empty()) return "Logon(parentWindow=" + handle + ")";
  return "Logon(ProfileName=" + profile + ",profilePassword=" + trimmedText(password_) +
         ",showDialog=0" + ",parentWindow=" + handle + ")";
}

void Vxmapi::Logon() {
  ui::UiRuntime* rt = ui::UiRuntime::current();
  if (sessionThread_ != 0 || logonStarted_ || rt == nullptr) return;
  logonStarted_ = true;
  ui::WindowDecl decl;
  decl.title = "Caption";
  std::unique_ptr<ui::Window> window = rt->open(std::move(decl));
  if (!window) return;
  ui::Event e;
  while (window->accept(e)) {
    if (e.number == ui::EventOpenWindow && sessionThread_ == 0) {
      sessionThread_ = ui::UiRuntime::currentThread();
      sessionWindow_ = window->id();
      if (automation::Control* c =
              controls_.create(sessionWindow_, kSessionControl, messaging::kMapiSessionClass))
        (void)c->perform(logonText(sessionWindow_));  // its outcome shows in later reads
      // Thread 1 hears of the logon whatever its outcome.
      const std::vector<ui::Window*> first = rt->threadWindows(1);
      if (!first.empty()) rt->postEvent(first.back()->id(), ui::Event(kLogonEvent));
    } else if (e.number == ui::EventCloseWindow || e.number == ui::EventCloseDown) {
      break;
    }
  }
  controls_.destroy(sessionWindow_, kSessionControl);
  window.reset();
}

void Vxmapi::Logoff() {
  if (sessionThread_ != 0) (void)perform("Logoff");
  folders_.clear();
}

std::optional<std::string> Vxmapi::walkFolder(FolderCache& cache, std::string_view folder,
                                              bool inbox) {
  // Each folder keeps its own reference, so a call naming another folder reads that one.
  const std::string key = inbox ? std::string(1, '\x01') : folderKey(withoutTrailingBlanks(folder));
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  std::string messages;
  if (inbox) {
    messages = read("inbox.messages");
  } else {
    if (folders_.empty()) buildFolderList();
    auto entry = folders_.find(withoutTrailingBlanks(folder));
    if (!entry) return std::nullopt;
    messages = read(read("GetFolder(" + inQuotes(entry->id) + ")") + ".messages");
  }
  // A failed read is not kept: a later call tries again.
  if (!failed(messages)) cache[key] = messages;
  return messages;
}

std::string Vxmapi::walkMessage(const std::string& messages, const TextVar& id, bool byId) {
  if (byId) return read("GetMessage(" + trimmedText(id) + ")");
  const bool atStart = withoutTrailingBlanks(message_.messageId.get()).empty();
  return read(messages + (atStart ? ".GetFirst" : ".GetNext"));
}

bool Vxmapi::ReadMail(std::string_view folder, const TextVar& id, bool inbox, bool byId) {
  const MessageVariables& v = message_;
  if (sessionThread_ == 0) return false;
  if (!v.messageId.registered() || !v.subject.registered() || !v.sender.registered() ||
      !v.text.registered() || !v.attachmentCount.registered() || (byId && !id.registered()))
    return false;
  auto messages = walkFolder(readFolders_, folder, inbox);
  if (!messages) return false;
  const std::string message = walkMessage(*messages, id, byId);
  const std::string messageId = read(message + ".ID");
  v.messageId.put(messageId);
  v.subject.put(read(message + ".subject"));
  v.sender.put(read(read(message + ".sender") + ".Address"));
  v.text.put(read(message + ".Text"));
  v.attachmentCount.put(unsignedOf(read(message + ".Attachments.Count")));
  // Decided on the answer itself, not on what a short variable could keep of it.
  return !failed(messageId);
}

bool Vxmapi::NextMessage(std::string_view folder, const TextVar& id, bool inbox, bool byId) {
  const MessageVariables& v = message_;
  if (sessionThread_ == 0) return false;
  if (!v.messageId.registered() || !v.subject.registered() || !v.sender.registered() ||
      (byId && !id.registered()))
    return false;
  auto messages = walkFolder(nextFolders_, folder, inbox);
  if (!messages) return false;
  const std::string message = walkMessage(*messages, id, byId);
  const std::string messageId = read(message + ".ID");
  v.messageId.put(messageId);
  v.subject.put(read(message + ".subject"));
  v.sender.put(read(read(message + ".sender") + ".Name"));
  return !failed(messageId);
}

bool Vxmapi::GetMessage(const TextVar& id) {
  const MessageVariables& v = message_;
  if (sessionThread_ == 0) return false;
  if (!id.registered() || !v.messageId.registered() || !v.subject.registered() ||
      !v.sender.registered())
    return false;
  const std::string message = read("GetMessage(" + trimmedText(id) + ")");
  const std::string messageId = read(message + ".ID");
  v.messageId.put(messageId);
  if (failed(messageId)) return false;
  v.messageId.put(read(message + ".ID"));
  v.subject.put(read(message + ".subject"));
  v.sender.put(read(read(message + ".sender") + ".Name"));
  return true;
}

bool Vxmapi::DeleteMessage(const TextVar& id) {
  if (sessionThread_ == 0 || !id.registered() || !message_.messageId.registered()) return false;
  const std::string message = read("GetMessage(" + trimmedText(id) + ")");
  // Carried out as a read so that its answer can be tested; a blank answer restarts a walk.
  const std::string answer = read(message + ".Delete");
  message_.messageId.put(answer);
  return !failed(answer);
}

bool Vxmapi::LoadAttachments(const TextVar& id, PxQueue* queue) {
  const MessageVariables& v = message_;
  CallerList list(queue);
  if (sessionThread_ == 0) return false;
  if (!id.registered() || !v.messageId.registered() || !v.subject.registered() ||
      !v.attachmentFile.registered() || !list.usable())
    return false;
  const std::string message = read("GetMessage(" + trimmedText(id) + ")");
  const std::string messageId = read(message + ".ID");
  v.messageId.put(messageId);
  v.subject.put(read(message + ".subject"));
  if (failed(messageId)) return false;
  const std::int64_t count = leadingNumber(read(message + ".Attachments.Count"));
  const std::string collection = read(message + ".Attachments");
  for (std::int64_t i = 1; i <= count; ++i) {
    const std::string item = collection + ".Item(" + std::to_string(i) + ")";
    std::string file = read(item + ".Source");
    if (withoutTrailingBlanks(file).empty()) file = read(item + ".Name");
    v.attachmentFile.put(file);
    // Each new entry holds the text from its first byte, blank-padded to the entry's size.
    char* record = list.record();
    std::memset(record, ' ', list.entrySize());
    std::memcpy(record, file.data(), std::min<std::size_t>(file.size(), list.entrySize()));
    (void)list.add();
  }
  return true;
}

bool Vxmapi::ExtractAttachment(const TextVar& id, std::int32_t number, const TextVar& folder,
                               const TextVar& fileName) {
  const MessageVariables& v = message_;
  if (sessionThread_ == 0) return false;
  if (!id.registered() || !folder.registered() || !v.messageId.registered() ||
      !v.attachmentFile.registered())
    return false;
  const std::string message = read("GetMessage(" + trimmedText(id) + ")");
  const std::string messageId = read(message + ".ID");
  v.messageId.put(messageId);
  if (failed(messageId)) return false;
  const std::string item = read(message + ".Attachments") + ".Item(" + std::to_string(number) + ")";
  const std::string given = trimmedText(fileName);
  const std::string file = given.empty() ? read(item + ".Source") : given;
  v.attachmentFile.put(file);
  std::string target = trimmedText(folder);
  if (target.empty() || target.back() != '/') {
    target += '/';
    folder.put(target);
  }
  // True only when the file was written.
  return perform(item + ".WriteToFile(" + target + file + ")");
}

void Vxmapi::attach(const std::string& message, std::string_view path) {
  const std::string a = read(message + ".Attachments.Add");
  (void)set(a + ".Type", "1");
  (void)set(a + ".Position", "-1");
  (void)set(a + ".Name", text::fromUtf8(std::filesystem::path(path).filename().string()));
  (void)set(a + ".ReadFromFile", path);
}

bool Vxmapi::SendMail(bool recipientsFromList, PxQueue* recipients, bool attachmentsFromList,
                      PxQueue* attachments) {
  const MessageVariables& v = message_;
  const CallerList recipientList(recipients);
  const CallerList attachmentList(attachments);
  if (sessionThread_ == 0) return false;
  if (!v.subject.registered() || !v.text.registered()) return false;
  if (recipientsFromList
          ? !recipientList.usable() || recipientList.entrySize() != sizeof(RecipientEntry)
          : !v.recipient.registered())
    return false;
  if (attachmentsFromList
          ? !attachmentList.usable() || attachmentList.entrySize() != sizeof(AttachmentEntry)
          : !v.attachmentFile.registered())
    return false;

  const std::string message = read("outbox.messages.add");
  if (failed(message)) return false;
  (void)set(message + ".Text", trimmedText(v.text));
  (void)set(message + ".Subject", trimmedText(v.subject));

  auto discard = [&] {
    (void)perform(message + ".Delete");
    return false;
  };
  if (!recipientsFromList) {
    const std::string r = read(message + ".Recipients.Add");
    (void)set(r + ".Name", v.recipient.get());
    (void)set(r + ".Type", "1");
    const std::string answer = read(r + ".Resolve(0)").substr(0, 255);
    if (failed(answer)) {
      (void)perform(r + ".Delete");
      return discard();
    }
  } else {
    int resolved = 0;
    const std::uint32_t count = recipientList.records();
    for (std::uint32_t pos = 1; pos <= count; ++pos) {
      if (!recipientList.fetch(pos)) continue;
      RecipientEntry entry;
      std::memcpy(&entry, recipientList.record(), sizeof entry);
      const std::string cls =
          text::upper1252(fieldText(entry.recipientClass, sizeof entry.recipientClass));
      const std::string r = read(message + ".Recipients.Add");
      (void)set(r + ".Name", fieldText(entry.recipientName, sizeof entry.recipientName));
      if (cls == "TO:") (void)set(r + ".Type", "1");
      if (cls == "CC:") (void)set(r + ".Type", "2");
      if (cls == "BCC:") (void)set(r + ".Type", "3");
      if (failed(read(r + ".Resolve(0)")))
        (void)perform(r + ".Delete");
      else
        ++resolved;
    }
    // A message none of whose recipients is known goes nowhere.
    if (resolved == 0) return discard();
  }

  if (attachmentsFromList) {
    const std::uint32_t count = attachmentList.records();
    for (std::uint32_t pos = 1; pos <= count; ++pos) {
      if (!attachmentList.fetch(pos)) continue;
      AttachmentEntry entry;
      std::memcpy(&entry, attachmentList.record(), sizeof entry);
      attach(message, fieldText(entry.filePath, sizeof entry.filePath));
    }
  } else if (const std::string path = trimmedText(v.attachmentFile); !path.empty()) {
    attach(message, path);
  }

  (void)read(message + ".update");
  // A send that failed (a transport that refused it, an attachment that cannot be read) is
  // a failure: the message is thrown away and the caller still has everything to try again.
  if (failed(read(message + ".send(1,0)"))) return discard();
  return true;
}

void Vxmapi::AddressDialog(std::string_view title, std::int32_t lists, PxQueue* queue,
                           const TextVar& cls, const TextVar& name, const TextVar& address) {
  CallerList result(queue);
  if (sessionThread_ == 0 || !result.usable()) return;
  std::string options;
  if (const std::string_view t = withoutTrailingBlanks(title); !t.empty())
    options = "title=" + inQuotes(t);
  if (lists != 0)
    options += (options.empty() ? "" : ",") + std::string("recipLists=") + std::to_string(lists);
  options +=
      (options.empty() ? "parentWindow=" : ",parentWindow=") + std::to_string(sessionWindow_);
  const std::string answer = read("AddressBook(" + options + ")");
  if (failed(answer)) return;
  const std::int64_t count = leadingNumber(read(answer + ".Count"));
  result.clear();
  for (std::int64_t i = 1; i <= count; ++i) {
    const std::string r = read(answer + ".Item(" + std::to_string(i) + ")");
    const std::string type = read(r + ".Type");
    if (type == "1") cls.put("To:");
    if (type == "2") cls.put("CC:");
    if (type == "3") cls.put("BCC:");
    name.put(read(r + ".name"));
    address.put(read(r + ".address"));
    (void)result.add();
  }
}

void Vxmapi::LoadFolders() {
  if (sessionThread_ == 0) {
    folderA_.put("");
    folderB_.put("");
    return;
  }
  buildFolderList();
}

void Vxmapi::buildFolderList() {
  if (!folders_.empty()) return;
  const std::string id = read(read("GetFolder(\"\")") + ".ID");
  // A store that cannot be read leaves the list empty, so a later call reads it again.
  if (failed(id)) return;
  std::string rootName = folderKey(read(read("GetFolder(" + inQuotes(id) + ")") + ".name"));
  if (withoutTrailingBlanks(rootName).empty()) rootName = "ROOT";
  folders_.add({rootName, 0, id});
  // Each folder's subfolders go right after it: the tree in depth-first order.
  for (std::size_t p = 0; p < folders_.size() && folders_.size() < kMaxFolders; ++p) {
    const FolderEntry parent = folders_.at(p);
    const std::string subfolders =
        read(read("GetFolder(" + inQuotes(parent.id) + ")") + ".Folders");
    std::string s = read(subfolders + ".GetFirst(\"\")");
    do {
      FolderEntry child{folderKey(read(s + ".name")), parent.level + 1, read(s + ".ID")};
      if (child.name != "GETPROPERTYFAILED") folders_.insert(p + 1, std::move(child));
      s = read(subfolders + ".GetNext(\"\")");
    } while (!failed(s) && !withoutTrailingBlanks(s).empty() && folders_.size() < kMaxFolders);
  }
}

}  // namespace trv::mailauto
