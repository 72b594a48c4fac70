#include "runtime/mail/mail_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <unordered_map>

#include "runtime/mail/address_book.h"
#include "runtime/mail/local_delivery.h"
#include "runtime/mail/mime_reader.h"
#include "runtime/mail/mime_writer.h"
#include "runtime/mail/outbox_transport.h"
#include "runtime/mail/recipients.h"
#include "runtime/mail/sendmail_transport.h"
#include "runtime/text/charset.h"

namespace trv::mail {
namespace fs = std::filesystem;

struct MailSystem::Session {
  MapiHandle handle = 0;
  MailSettings settings;
  Maildir inbox;
  Maildir sent;
  Maildir trash;
  std::shared_ptr<Transport> transport;
  bool queuesInOutbox = false;  // the transport only queues: nothing to flush
  fs::path tempDir;             // made on the first read that writes attachments
  unsigned reads = 0;
  std::vector<MaildirEntry> walk;  // the inbox as the current FindNext walk sees it
  std::unordered_map<std::string, std::size_t> walkIndex;
  std::set<std::string> deleted;

  void rescan() {
    walk = inbox.list();
    walkIndex.clear();
    for (std::size_t i = 0; i < walk.size(); ++i) walkIndex.emplace(walk[i].id, i);
  }

  // The message by identifier: from the walk while its file is still where the walk saw it
  // (a read per message stays cheap in a large inbox), else from the folder.
  std::optional<MaildirEntry> locate(std::string_view id) {
    if (auto it = walkIndex.find(std::string(id)); it != walkIndex.end()) {
      std::error_code ec;
      if (fs::is_regular_file(walk[it->second].path, ec)) return walk[it->second];
    }
    return inbox.find(id);
  }

  // Writes each attachment of mail to a file of its own and names it in the descriptors of
  // message; all or none. Returns what failed.
  std::string writeAttachments(const ParsedMail& mail, MapiMessage& message);

  void remember(const MaildirEntry& entry) {
    if (auto it = walkIndex.find(entry.id); it != walkIndex.end()) walk[it->second] = entry;
  }
};

namespace {

std::string toCrLf(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 32);
  for (char c : s) {
    if (c == '\n')
      out += "\r\n";
    else if (c != '\r')
      out += c;
  }
  return out;
}

std::string formatReceived(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (::localtime_r(&t, &tm) == nullptr) return {};
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M", &tm);
  return buf;
}

std::string asciiExtension(const std::string& name) {
  const std::string ext = fs::path(name).extension().string();
  if (ext.empty() || ext.size() > 16) return {};  // no extension, or not one to keep
  for (char c : ext.substr(1))
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return {};
  return ext;
}

bool writeFile(const fs::path& path, std::string_view data, std::string& problem) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    problem = "cannot create " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      problem = "cannot write " + path.string() + ": " + std::strerror(errno);
      ::close(fd);
      ::unlink(path.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    problem = "cannot write " + path.string() + ": " + std::strerror(errno);
    ::unlink(path.c_str());
    return false;
  }
  return true;
}

MapiRecipDesc recipientOf(const MailAddress& a, std::uint32_t recipClass) {
  MapiRecipDesc r;
  r.recipClass = recipClass;
  r.name = text::fromUtf8(a.name.empty() ? a.address : a.name);
  r.address = a.address;
  r.entryId = "SMTP:" + a.address;
  return r;
}

// The attachments take the place of the characters at their positions (blanks the caller put
// there for them), so those characters do not reach the recipient.
std::string withoutAttachmentPlaces(std::string text, const std::vector<MapiFileDesc>& files) {
  std::vector<std::uint32_t> places;
  for (const MapiFileDesc& f : files)
    if (f.position != kNoPosition && f.position < text.size() && text[f.position] == ' ')
      places.push_back(f.position);
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  for (auto it = places.rbegin(); it != places.rend(); ++it) text.erase(*it, 1);
  return text;
}

std::string oneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

// The name an attachment goes under. The file's own name is a path, not a record field: it goes
// as it is, characters outside the records' charset included; a name given in that charset
// that is the file's name as the charset shows it stands for the file's own name.
std::string sentFileName(const MapiFileDesc& f) {
  const std::string own = fs::path(f.pathName).filename().string();
  std::string name = f.fileName.empty() || f.fileName == own || text::fromUtf8(own) == f.fileName
                         ? own
                         : text::toUtf8(f.fileName);
  if (const std::size_t cut = name.find_last_of('/'); cut != std::string::npos)
    name.erase(0, cut + 1);
  std::erase_if(name, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
  return name.empty() ? std::string("attachment") : name;
}

// The descriptors of a message read; with content, its text and its attachments' names.
MapiMessage describe(const ParsedMail& mail, const MaildirEntry& entry, bool withContent) {
  MapiMessage out;
  out.subject = text::fromUtf8(oneLine(mail.subject));
  out.dateReceived = formatReceived(entry.deliveredSeconds);
  out.conversationId = mail.messageId;
  if (!entry.seen()) out.flags |= kMapiUnread;
  if (mail.receiptRequested) out.flags |= kMapiReceiptRequested;
  if (mail.from) out.originator = recipientOf(*mail.from, kMapiOrig);
  for (const auto& a : mail.to) out.recips.push_back(recipientOf(a, kMapiTo));
  for (const auto& a : mail.cc) out.recips.push_back(recipientOf(a, kMapiCc));
  if (withContent) {
    out.noteText = text::fromUtf8(toCrLf(mail.text));
    for (const ParsedAttachment& a : mail.attachments) {
      MapiFileDesc f;
      f.fileName = text::fromUtf8(a.fileName);
      out.files.push_back(std::move(f));
    }
  }
  return out;
}

}  // namespace

std::string MailSystem::Session::writeAttachments(const ParsedMail& mail, MapiMessage& message) {
  if (mail.attachments.empty()) return {};
  if (tempDir.empty()) {
    std::error_code ec;
    fs::path base = settings.tempFolder.empty() ? fs::temp_directory_path(ec) : settings.tempFolder;
    if (base.empty()) base = "/tmp";
    std::string pattern = (base / "trvmail-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      return "cannot make a folder in " + base.string() + ": " + std::strerror(errno);
    tempDir = pattern;
  }
  // Short names of our own: the program keeps paths in 80 characters, and the names a
  // message gives are shown, never used as paths.
  const std::string read = std::to_string(++reads);
  for (std::size_t i = 0; i < mail.attachments.size(); ++i) {
    const ParsedAttachment& a = mail.attachments[i];
    const fs::path path =
        tempDir / (read + "-" + std::to_string(i + 1) + asciiExtension(a.fileName));
    std::string problem;
    if (!writeFile(path, a.data, problem)) {
      std::error_code ec;
      for (std::size_t j = 0; j < i; ++j) fs::remove(message.files[j].pathName, ec);
      for (MapiFileDesc& f : message.files) f.pathName.clear();
      return problem;
    }
    message.files[i].pathName = path.string();
  }
  return {};
}

MailSystem::MailSystem(MailEnvironment env) : env_(std::move(env)) {
  // Handles differ from run to run so that a handle kept from another run is never valid.
  nextHandle_ = 0x1000 + static_cast<MapiHandle>((::getpid() * 7919u) & 0xFFFFu);
}

MailSystem::~MailSystem() {
  std::lock_guard lock(mutex_);
  endSession();
}

void MailSystem::setDialogs(MailDialogs* dialogs) {
  std::lock_guard lock(mutex_);
  dialogs_ = dialogs;
}

std::string MailSystem::lastDetail() const {
  std::lock_guard lock(mutex_);
  return lastDetail_;
}

MapiResult MailSystem::finish(MapiResult result, std::string detail) {
  lastDetail_ = std::move(detail);
  return result;
}

MailSystem::Session* MailSystem::sessionFor(MapiHandle handle) {
  if (!session_ || handle == 0 || session_->handle != handle) return nullptr;
  return session_.get();
}

void MailSystem::endSession() {
  if (!session_) return;
  if (!session_->tempDir.empty()) {
    std::error_code ec;
    fs::remove_all(session_->tempDir, ec);
  }
  session_.reset();
}

std::int64_t MailSystem::nowSeconds() const {
  return env_.clock ? localEpochSeconds(*env_.clock)
                    : static_cast<std::int64_t>(std::time(nullptr));
}

std::string MailSystem::flushOutbox(Session& s) {
  std::string problem;
  auto outbox = s.inbox.subfolder("Outbox", &problem);
  if (!outbox) return problem;
  for (const MaildirEntry& queued : outbox->list()) {
    std::string bytes;
    if (MaildirResult r = outbox->read(queued, bytes); !r.ok()) return r.detail;
    const auto parsed = parseMail(bytes);
    auto wire = withoutBccHeader(bytes);
    if (!parsed || !wire) continue;  // not mail: left where it is
    OutgoingMail mail;
    mail.envelopeFrom = s.settings.fromAddress;
    for (const auto* list : {&parsed->to, &parsed->cc, &parsed->bcc})
      for (const MailAddress& a : *list) mail.recipients.push_back(a.address);
    mail.wire = std::move(*wire);
    mail.withBcc = std::move(bytes);
    const TransportResult sent = s.transport->send(mail);
    // The first refusal stops the run: the rest would only wait for the same broken server.
    if (!sent.ok()) return "queued mail not sent yet: " + sent.detail;
    if (MaildirResult r = outbox->moveTo(queued, s.sent, "S"); !r.ok()) return r.detail;
  }
  return {};
}

MapiResult MailSystem::MAPILogon(std::uint32_t, std::string_view, std::string_view,
                                 std::uint32_t flags, std::uint32_t, MapiHandle& session) {
  std::lock_guard lock(mutex_);
  session = 0;
  try {
    if (session_) {
      if (flags & kMapiNewSession)
        return finish(MapiTooManySessions, "a mail session is already open");
      session = session_->handle;
      return finish(MapiSuccess, {});
    }
    SettingsLoad load = loadMailSettings(env_.configFolder);
    if (load.status == SettingsStatus::Missing)
      return finish(MapiFailure, "no mail system is configured: " +
                                     (env_.configFolder / kMailSettingsFileName).string() +
                                     " does not exist");
    if (load.status == SettingsStatus::Malformed) return finish(MapiFailure, load.problem);

    std::string problem;
    auto inbox = Maildir::open(load.settings.maildir, &problem);
    if (!inbox) return finish(MapiFailure, problem);
    auto sent = inbox->subfolder("Sent", &problem);
    auto trash = sent ? inbox->subfolder("Trash", &problem) : std::nullopt;
    if (!sent || !trash) return finish(MapiFailure, problem);

    auto s = std::make_unique<Session>(
        Session{0, load.settings, *inbox, *sent, *trash, nullptr, false, {}, 0, {}, {}, {}});
    if (env_.transport) {
      s->transport = env_.transport;
    } else if (!load.settings.sendmailCommand.empty()) {
      s->transport = std::make_shared<SendmailTransport>(load.settings.sendmailCommand);
    } else {
      s->transport = std::make_shared<OutboxTransport>(inbox->root() / ".Outbox",
                                                       [this] { return nowSeconds(); });
      s->queuesInOutbox = true;
    }
    std::string flushed = s->queuesInOutbox ? std::string() : flushOutbox(*s);
    s->handle = nextHandle_++;
    if (nextHandle_ == 0) nextHandle_ = 1;
    session = s->handle;
    session_ = std::move(s);
    return finish(MapiSuccess, std::move(flushed));
  } catch (const std::bad_alloc&) {
    return finish(MapiInsufficientMemory, {});
  } catch (const std::exception& e) {  // a library's own failure never leaves the call
    return finish(MapiFailure, e.what());
  }
}

MapiResult MailSystem::MAPILogoff(MapiHandle session, std::uint32_t, std::uint32_t, std::uint32_t) {
  std::lock_guard lock(mutex_);
  if (!sessionFor(session)) return finish(MapiInvalidSession, {});
  endSession();
  return finish(MapiSuccess, {});
}

MapiResult MailSystem::MAPIFindNext(MapiHandle session, std::uint32_t, std::string_view messageType,
                                    std::string_view seed, std::uint32_t flags, std::uint32_t,
                                    std::string& messageId) {
  std::lock_guard lock(mutex_);
  Session* s = sessionFor(session);
  if (!s) return finish(MapiInvalidSession, {});
  try {
    // Only interpersonal messages live here.
    if (!messageType.empty() && messageType.substr(0, 3) != "IPM")
      return finish(MapiNoMessages, {});
    std::size_t position = 0;
    if (seed.empty()) {
      s->rescan();
      s->deleted.clear();
    } else {
      auto it = s->walkIndex.find(std::string(seed));
      if (it == s->walkIndex.end()) {  // a walk we did not start, or a message that arrived since
        s->rescan();
        it = s->walkIndex.find(std::string(seed));
        if (it == s->walkIndex.end())
          return finish(MapiInvalidMessage, "no message " + std::string(seed));
      }
      position = it->second + 1;
    }
    for (; position < s->walk.size(); ++position) {
      const MaildirEntry& e = s->walk[position];
      if (s->deleted.count(e.id)) continue;
      if ((flags & kMapiUnreadOnly) && e.seen()) continue;
      messageId = e.id;
      return finish(MapiSuccess, {});
    }
    return finish(MapiNoMessages, {});
  } catch (const std::bad_alloc&) {
    return finish(MapiInsufficientMemory, {});
  } catch (const std::exception& e) {  // a library's own failure never leaves the call
    return finish(MapiFailure, e.what());
  }
}

MapiResult MailSystem::MAPIReadMail(MapiHandle session, std::uint32_t, std::string_view messageId,
                                    std::uint32_t flags, std::uint32_t,
                                    const MapiMessage*& message) {
  std::lock_guard lock(mutex_);
  message = nullptr;
  Session* s = sessionFor(session);
  if (!s) return finish(MapiInvalidSession, {});
  try {
    auto entry = s->locate(messageId);
    if (!entry) return finish(MapiInvalidMessage, "no message " + std::string(messageId));
    std::string bytes;
    if (MaildirResult r = s->inbox.read(*entry, bytes); !r.ok())
      return finish(r.status == MaildirStatus::NotFound ? MapiInvalidMessage : MapiFailure,
                    r.detail);
    const ParsedMail parsed = parseMailOrText(bytes);

    auto out =
        std::make_unique<MapiMessage>(describe(parsed, *entry, !(flags & kMapiEnvelopeOnly)));
    if (!(flags & kMapiEnvelopeOnly) && !(flags & kMapiSuppressAttach)) {
      if (std::string problem = s->writeAttachments(parsed, *out); !problem.empty())
        return finish(MapiAttachmentWriteFailure, problem);
    }

    std::string detail;
    if (!(flags & kMapiPeek) && !entry->seen()) {
      if (MaildirResult r = s->inbox.markSeen(*entry); !r.ok()) detail = r.detail;
      s->remember(*entry);
    }
    message = out.get();
    buffers_.emplace(out.get(), std::move(out));
    return finish(MapiSuccess, std::move(detail));
  } catch (const std::bad_alloc&) {
    return finish(MapiInsufficientMemory, {});
  } catch (const std::exception& e) {  // a library's own failure never leaves the call
    return finish(MapiFailure, e.what());
  }
}

MapiResult MailSystem::MAPIDeleteMail(MapiHandle session, std::uint32_t, std::string_view messageId,
                                      std::uint32_t, std::uint32_t) {
  std::lock_guard lock(mutex_);
  Session* s = sessionFor(session);
  if (!s) return finish(MapiInvalidSession, {});
  try {
    auto entry = s->locate(messageId);
    if (!entry) return finish(MapiInvalidMessage, "no message " + std::string(messageId));
    // Deleted mail goes to the trash folder, where it can still be found.
    if (MaildirResult r = s->inbox.moveTo(*entry, s->trash, "S"); !r.ok())
      return finish(r.status == MaildirStatus::NotFound ? MapiInvalidMessage : MapiFailure,
                    r.detail);
    s->deleted.insert(entry->id);
    return finish(MapiSuccess, {});
  } catch (const std::bad_alloc&) {
    return finish(MapiInsufficientMemory, {});
  } catch (const std::exception& e) {
    return finish(MapiFailure, e.what());
  }
}

MapiResult MailSystem::MAPISendMail(MapiHandle session, std::uint32_t, const MapiMessage& message,
                                    std::uint32_t flags, std::uint32_t) {
  std::unique_lock lock(mutex_);
  Session* s = sessionFor(session);
  if (!s) return finish(MapiInvalidSession, {});
  try {
    auto checkTables = [](const MapiMessage& m) -> std::pair<MapiResult, std::string> {
      if (m.recips.size() > kMaxRecipients)
        return {MapiTooManyRecipients, std::to_string(m.recips.size()) + " recipients; at most " +
                                           std::to_string(kMaxRecipients) + " can be sent to"};
      if (m.files.size() > kMaxAttachments)
        return {MapiTooManyFiles, std::to_string(m.files.size()) + " attachments; at most " +
                                      std::to_string(kMaxAttachments) + " can be sent"};
      return {MapiSuccess, {}};
    };
    if (auto [r, d] = checkTables(message); r != MapiSuccess) return finish(r, d);
    if (!(flags & kMapiDialog)) return sendPrepared(lock, *s, message);

    if (!dialogs_) return finish(MapiNotSupported, "no compose dialog is available");
    MailDialogs* dialogs = dialogs_;
    const AddressBook book = loadAddressBook(s->settings.addressBook);
    lock.unlock();
    std::optional<MapiMessage> completed = dialogs->composeMessage(message, book.entries);
    lock.lock();
    s = sessionFor(session);
    if (!s)
      return finish(MapiInvalidSession, "the mail session ended while the message was composed");
    if (!completed) return finish(MapiUserAbort, {});
    if (auto [r, d] = checkTables(*completed); r != MapiSuccess) return finish(r, d);
    return sendPrepared(lock, *s, *completed);
  } catch (const std::bad_alloc&) {
    return finish(MapiInsufficientMemory, {});
  } catch (const std::exception& e) {  // a library's own failure never leaves the call
    return finish(MapiFailure, e.what());
  }
}

MapiResult MailSystem::sendPrepared(std::unique_lock<std::mutex>& lock, Session& s,
                                    const MapiMessage& message) {
  const AddressBook book = loadAddressBook(s.settings.addressBook);
  RecipientResolution resolved = resolveRecipients(message.recips, book);
  if (resolved.result != MapiSuccess) return finish(resolved.result, resolved.detail);
  if (resolved.recipients.empty())
    return finish(MapiUnknownRecipient, "the message has no recipient");

  const std::string text = withoutAttachmentPlaces(message.noteText, message.files);
  if (text.size() > kMaxNoteTextBytes)
    return finish(MapiTextTooLarge, "the message text is too large to send");

  MailDraft draft;
  draft.from = MailAddress{s.settings.fromName, s.settings.fromAddress};
  for (ResolvedRecipient& r : resolved.recipients) {
    auto& list = r.recipClass == kMapiCc    ? draft.cc
                 : r.recipClass == kMapiBcc ? draft.bcc
                                            : draft.to;
    list.push_back(std::move(r.address));
  }
  draft.subject = oneLine(text::toUtf8(message.subject));
  draft.text = text::toUtf8(text);
  draft.dateSeconds = nowSeconds();
  draft.receiptRequested = (message.flags & kMapiReceiptRequested) != 0;
  for (const MapiFileDesc& f : message.files) {
    if (f.pathName.empty()) return finish(MapiAttachmentNotFound, "an attachment names no file");
    draft.attachments.push_back({fs::path(f.pathName), sentFileName(f)});
  }

  ComposeResult composed = composeMail(draft);
  switch (composed.status) {
    case ComposeStatus::Ok:
      break;
    case ComposeStatus::AttachmentNotFound:
      return finish(MapiAttachmentNotFound, composed.detail);
    case ComposeStatus::AttachmentOpenFailure:
      return finish(MapiAttachmentOpenFailure, composed.detail);
    case ComposeStatus::Failed:
      return finish(MapiFailure, composed.detail);
  }

  OutgoingMail out;
  out.envelopeFrom = s.settings.fromAddress;
  for (const auto* list : {&draft.to, &draft.cc, &draft.bcc})
    for (const MailAddress& a : *list) out.recipients.push_back(a.address);
  out.wire = std::move(composed.mail.wire);
  out.withBcc = std::move(composed.mail.withBcc);

  // A sendmail command may take its time: other threads' mail calls go on meanwhile.
  const std::shared_ptr<Transport> transport = s.transport;
  const Maildir sentFolder = s.sent;
  lock.unlock();
  const TransportResult sent = transport->send(out);
  lock.lock();
  if (sent.status == TransportStatus::DiskFull) return finish(MapiDiskFull, sent.detail);
  if (!sent.ok()) return finish(MapiFailure, sent.detail);

  // Queued mail reaches the sent folder when it really goes out.
  if (sent.status == TransportStatus::Queued) return finish(MapiSuccess, {});
  std::string detail;
  if (MaildirResult copy = sentFolder.deliver(out.withBcc, draft.dateSeconds, "S"); !copy.ok())
    detail = "sent, but no copy was kept: " + copy.detail;
  return finish(MapiSuccess, std::move(detail));
}

MapiResult MailSystem::MAPIAddress(MapiHandle session, std::uint32_t, std::string_view caption,
                                   std::uint32_t editFields, std::string_view labels,
                                   const std::vector<MapiRecipDesc>& recips, std::uint32_t,
                                   std::uint32_t, std::uint32_t& newRecipCount,
                                   const MapiRecipList*& newRecips) {
  std::unique_lock lock(mutex_);
  newRecipCount = 0;
  newRecips = nullptr;
  Session* s = sessionFor(session);
  if (!s) return finish(MapiInvalidSession, {});
  try {
    if (editFields > 4) return finish(MapiInvalidEditFields, {});
    if (recips.size() > kMaxRecipients) return finish(MapiTooManyRecipients, {});
    if (!dialogs_) return finish(MapiNotSupported, "no address-book dialog is available");
    MailDialogs* dialogs = dialogs_;
    AddressBook book = loadAddressBook(s->settings.addressBook);
    AddressRequest request{std::string(caption),    editFields,    std::string(labels), recips,
                           std::move(book.entries), kMaxRecipients};
    lock.unlock();
    std::optional<std::vector<MapiRecipDesc>> chosen = dialogs->chooseRecipients(request);
    lock.lock();
    if (!sessionFor(session))
      return finish(MapiInvalidSession, "the mail session ended while the address book was open");
    if (!chosen) return finish(MapiUserAbort, {});

    std::string detail;
    if (!book.problems.empty()) detail = "address book: " + book.problems.front();
    if (editFields == 0) chosen->clear();
    if (chosen->size() > kMaxRecipients) {
      detail = "Only the first " + std::to_string(kMaxRecipients) + " of the " +
               std::to_string(chosen->size()) + " recipients chosen were kept.";
      chosen->resize(kMaxRecipients);
    }
    auto list = std::make_unique<MapiRecipList>(std::move(*chosen));
    for (MapiRecipDesc& r : *list) {
      if (r.recipClass < kMapiTo || r.recipClass > kMapiBcc) r.recipClass = kMapiTo;
      if (r.entryId.empty() && !r.address.empty()) r.entryId = "SMTP:" + r.address;
    }
    newRecipCount = static_cast<std::uint32_t>(list->size());
    newRecips = list.get();
    buffers_.emplace(list.get(), std::move(list));
    return finish(MapiSuccess, std::move(detail));
  } catch (const std::bad_alloc&) {
    return finish(MapiInsufficientMemory, {});
  } catch (const std::exception& e) {  // a library's own failure never leaves the call
    return finish(MapiFailure, e.what());
  }
}

MapiResult MailSystem::MAPIFreeBuffer(const void* memory) {
  std::lock_guard lock(mutex_);
  if (memory == nullptr) return finish(MapiSuccess, {});
  if (buffers_.erase(memory) == 0) return finish(MapiFailure, "not a buffer of the mail system");
  return finish(MapiSuccess, {});
}

}  // namespace trv::mail
