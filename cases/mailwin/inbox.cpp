#include "cases/mailwin/inbox.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <system_error>

#include "cases/sendmail/outgoing_mail.h"

namespace trv::cases {
namespace {

bool blank(std::string_view s) {
  return s.find_first_not_of(' ') == std::string_view::npos;
}

ShownMessage shown(const mail::MapiMessage& m) {
  ShownMessage out;
  out.subject = m.subject;
  if (m.originator) out.from = m.originator->address;
  out.text = m.noteText;
  out.date = m.dateReceived;
  for (std::size_t i = 0; i < m.files.size() && i < mail::kMaxAttachments; ++i)
    out.attachments.push_back({m.files[i].fileName, m.files[i].pathName});
  return out;
}

// Copies `from` to a new file in the target's own folder, so that the final rename never
// crosses file systems. The new file never replaces anything that is there already.
std::optional<std::filesystem::path> copyBeside(const std::filesystem::path& from,
                                                const std::filesystem::path& target,
                                                std::string* detail) {
  std::ifstream in(from, std::ios::binary);
  if (!in) {
    if (detail) *detail = "cannot read " + from.string();
    return std::nullopt;
  }
  std::filesystem::path part;
  int fd = -1;
  for (int n = 0; fd < 0 && n < 1000; ++n) {
    part = target;
    part += ".part" + std::to_string(n);
    fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    if (detail) *detail = "cannot write beside " + target.string() + ": " + std::strerror(errno);
    return std::nullopt;
  }
  bool ok = true;
  char buffer[65536];
  while (ok && in) {
    in.read(buffer, sizeof buffer);
    for (std::streamsize done = 0, n = in.gcount(); ok && done < n;) {
      const ssize_t w = ::write(fd, buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      ok = w > 0;
      if (ok) done += w;
    }
  }
  if (in.bad()) ok = false;
  if (ok && ::fsync(fd) != 0) ok = false;
  const int error = errno;
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    if (detail) *detail = "could not write all of " + part.string() + ": " + std::strerror(error);
    std::error_code ec;
    std::filesystem::remove(part, ec);
    return std::nullopt;
  }
  return part;
}

}  // namespace

std::vector<InboxEntry> loadInbox(mail::SimpleMapi& mapi, mail::MapiHandle session) {
  std::vector<InboxEntry> out;
  std::set<std::string> seen;
  std::string id;
  for (;;) {
    const std::string seed = id;
    if (mapi.MAPIFindNext(session, 0, "", seed, 0, 0, id) != mail::MapiSuccess) break;
    if (!seen.insert(id).second) break;  // no further message, or the mail system went round
    const mail::MapiMessage* m = nullptr;
    const mail::MapiResult read =
        mapi.MAPIReadMail(session, 0, id, mail::kMapiSuppressAttach, 0, m);
    if (read == mail::MapiSuccess && m) {
      const ShownMessage shownMessage = shown(*m);
      (void)mapi.MAPIFreeBuffer(m);
      out.push_back({id, shownMessage.from, shownMessage.subject, shownMessage.date,
                     !shownMessage.attachments.empty()});
      continue;
    }
    if (m) (void)mapi.MAPIFreeBuffer(m);
    // A message that cannot be read keeps its entry, empty, so that it can still be deleted;
    // any other failure ends the load.
    if (read != mail::MapiFailure) break;
    out.push_back({id, {}, {}, {}, false});
  }
  return out;
}

std::optional<ShownMessage> readMessage(mail::SimpleMapi& mapi, mail::MapiHandle session,
                                        std::string_view messageId, std::uint32_t flags) {
  const mail::MapiMessage* m = nullptr;
  if (mapi.MAPIReadMail(session, 0, messageId, flags, 0, m) != mail::MapiSuccess || !m) return {};
  ShownMessage out = shown(*m);
  (void)mapi.MAPIFreeBuffer(m);
  return out;
}

std::string extractFileTypes(std::string_view name) {
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return "*.*";
  std::string ext(name.substr(dot));
  while (!ext.empty() && ext.back() == ' ') ext.pop_back();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return "Attachment | *" + ext + " | All Files | *.*";
}

std::string extractTitle(std::string_view name) {
  const std::size_t end = name.find_last_not_of(' ');
  return "Extract " + std::string(end == std::string_view::npos ? "" : name.substr(0, end + 1)) +
         " Attachment to...";
}

ExtractResult extractAttachment(mail::SimpleMapi& mapi, mail::MapiHandle session,
                                std::string_view messageId, std::size_t index,
                                const std::filesystem::path& target, std::string* detail) {
  const mail::MapiMessage* m = nullptr;
  if (mapi.MAPIReadMail(session, 0, messageId, 0, 0, m) != mail::MapiSuccess || !m) {
    if (detail) *detail = mapi.lastDetail();
    return ExtractResult::ReadFailed;
  }
  const std::vector<mail::MapiFileDesc> files = m->files;
  const bool freed = mapi.MAPIFreeBuffer(m) == mail::MapiSuccess;
  ExtractResult result = ExtractResult::Saved;
  if (index >= files.size() || files[index].pathName.empty()) {
    result = ExtractResult::NoSuchAttachment;
  } else {
    std::error_code ec;
    const auto part = copyBeside(files[index].pathName, target, detail);
    if (!part) {
      result = ExtractResult::WriteFailed;
    } else if (std::filesystem::rename(*part, target, ec); ec) {
      if (detail) *detail = ec.message();
      std::filesystem::remove(*part, ec);
      result = ExtractResult::WriteFailed;
    }
  }
  for (const auto& f : files) {
    std::error_code ec;
    if (!f.pathName.empty()) std::filesystem::remove(f.pathName, ec);
  }
  if (result == ExtractResult::Saved && !freed) return ExtractResult::FreeFailed;
  return result;
}

InboxOutgoing buildInboxOutgoing(const InboxDraft& d) {
  InboxOutgoing out;
  mail::MapiMessage& m = out.message;
  m.recips = d.chosen;
  if (d.chosen.size() < 2 && !blank(d.toText)) {
    mail::MapiRecipDesc r = d.chosen.empty() ? mail::MapiRecipDesc{} : d.chosen.front();
    r.recipClass = mail::kMapiTo;
    r.name = d.toText;
    m.recips = {r};
  }
  m.subject = d.subject;
  m.noteText = d.text;
  const std::size_t count = std::min(d.attachPaths.size(), mail::kMaxAttachments);
  for (std::size_t i = 0; i < count; ++i) {
    mail::MapiFileDesc f;
    f.position = static_cast<std::uint32_t>(2 * (i + 1));
    f.pathName = d.attachPaths[i];
    f.fileName = fileNameOf(d.attachPaths[i]);
    m.files.push_back(std::move(f));
  }
  if (count > 0) m.noteText = std::string(2 * count + 1, ' ') + m.noteText;
  out.flags = blank(d.subject) || m.recips.empty() ? mail::kMapiDialog : 0;
  m.flags = out.flags;
  return out;
}

std::string sendResultText(std::uint32_t result) {
  switch (result) {
    case 0:
    case 1:
      return {};
    case 2:
      return "MS-Mail : Unspecified error(s) occurred!?";
    case 3:
      return "MS-Mail : Unsuccesful logon, no mail sent.";
    case 4:
      return "MS-Mail : You seem to be a little short on disk space!?";
    case 5:
      return "MS-Mail : Insuffucient Memory to send Mail!?";
    case 8:
      return "MS-Mail : The are too many sessions, no mail sent!?";
    case 9:
      return "MS-Mail : There were too many attachments, no mail sent!?";
    case 10:
      return "MS-Mail : There were too many recipients, no mail sent!?";
    case 11:
      return "MS-Mail : Attachment not found!?";
    case 14:
      return "MS-Mail : There is an unknown recipient!?";
    case 15:
      return "MS-Mail : Type of recipient must be MAPI_TO,MAPI_CC or MAPI_BCC!?";
    case 18:
      return "MS-Mail : Text in message too large to be sent.";
    case 19:
      return "MS-Mail : Invalid session pass to SendMail!?";
    case 21:
      return "MS-Mail : Duplicate Recipients!?";
    default: {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%08u", static_cast<unsigned>(result % 100000000u));
      return std::string("MS-Send Error - ") + digits;
    }
  }
}

}  // namespace trv::cases
