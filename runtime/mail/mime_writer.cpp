#include "runtime/mail/mime_writer.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "runtime/mail/gmime_support.h"

namespace trv::mail {
namespace fs = std::filesystem;
namespace {

using detail::ObjectPtr;

std::pair<const char*, const char*> typeForName(const std::string& name) {
  const std::string ext = [&] {
    std::string e = fs::path(name).extension().string();
    for (char& c : e) c = static_cast<char>(g_ascii_tolower(c));
    return e;
  }();
  static const struct {
    const char* ext;
    const char* type;
    const char* subtype;
  } table[] = {
      {".txt", "text", "plain"},         {".csv", "text", "csv"},
      {".htm", "text", "html"},          {".html", "text", "html"},
      {".pdf", "application", "pdf"},    {".zip", "application", "zip"},
      {".jpg", "image", "jpeg"},         {".jpeg", "image", "jpeg"},
      {".png", "image", "png"},          {".gif", "image", "gif"},
      {".doc", "application", "msword"}, {".xls", "application", "vnd.ms-excel"},
  };
  for (const auto& row : table)
    if (ext == row.ext) return {row.type, row.subtype};
  return {"application", "octet-stream"};
}

// A text file's charset as its bytes show it: plain ASCII, UTF-8, else the Windows charset the
// program's own files are written in.
const char* charsetOf(std::string_view data) {
  if (std::all_of(data.begin(), data.end(), [](char c) { return (c & 0x80) == 0; }))
    return "us-ascii";
  return g_utf8_validate(data.data(), static_cast<gssize>(data.size()), nullptr) ? "utf-8"
                                                                                 : "windows-1252";
}

std::string crlfToLf(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      out += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string serialise(GMimeObject* object) {
  GMimeFormatOptions* options = g_mime_format_options_new();
  g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_UNIX);
  char* text = g_mime_object_to_string(object, options);
  g_mime_format_options_free(options);
  std::string out = text ? text : "";
  g_free(text);
  return out;
}

void addMailboxes(GMimeMessage* message, GMimeAddressType type,
                  const std::vector<MailAddress>& list) {
  for (const MailAddress& a : list)
    g_mime_message_add_mailbox(message, type, a.name.empty() ? nullptr : a.name.c_str(),
                               a.address.c_str());
}

}  // namespace

ComposeResult composeMail(const MailDraft& draft) {
  const auto mime = detail::useMimeLibrary();
  ComposeResult result;

  struct Loaded {
    std::string name;
    std::string data;
  };
  std::vector<Loaded> loaded;
  for (const DraftAttachment& a : draft.attachments) {
    std::error_code ec;
    if (!fs::is_regular_file(a.path, ec)) {
      result.status = ComposeStatus::AttachmentNotFound;
      result.detail = "attachment not found: " + a.path.string();
      return result;
    }
    std::ifstream in(a.path, std::ios::binary);
    std::ostringstream data;
    if (in) data << in.rdbuf();
    if (!in || in.bad()) {
      result.status = ComposeStatus::AttachmentOpenFailure;
      result.detail = "cannot read attachment " + a.path.string() + ": " + std::strerror(errno);
      return result;
    }
    loaded.push_back({a.fileName.empty() ? a.path.filename().string() : a.fileName, data.str()});
  }

  ObjectPtr<GMimeMessage> message(g_mime_message_new(TRUE));
  GMimeMessage* m = message.get();
  g_mime_message_add_mailbox(m, GMIME_ADDRESS_TYPE_FROM,
                             draft.from.name.empty() ? nullptr : draft.from.name.c_str(),
                             draft.from.address.c_str());
  addMailboxes(m, GMIME_ADDRESS_TYPE_TO, draft.to);
  addMailboxes(m, GMIME_ADDRESS_TYPE_CC, draft.cc);
  g_mime_message_set_subject(m, draft.subject.c_str(), "utf-8");
  GDateTime* date = g_date_time_new_from_unix_local(draft.dateSeconds);
  g_mime_message_set_date(m, date);
  g_date_time_unref(date);
  const std::string domain = draft.from.address.substr(draft.from.address.rfind('@') + 1);
  char* id = g_mime_utils_generate_message_id(domain.c_str());
  result.mail.messageId = id;
  g_mime_message_set_message_id(m, id);
  g_free(id);
  if (draft.receiptRequested)
    g_mime_object_set_header(GMIME_OBJECT(m), "Disposition-Notification-To",
                             draft.from.address.c_str(), nullptr);

  ObjectPtr<GMimeTextPart> body(g_mime_text_part_new_with_subtype("plain"));
  const std::string text = crlfToLf(draft.text);
  g_mime_text_part_set_charset(body.get(), "utf-8");
  g_mime_text_part_set_text(body.get(), text.c_str());
  g_mime_part_set_content_encoding(GMIME_PART(body.get()),
                                   g_mime_part_get_best_content_encoding(
                                       GMIME_PART(body.get()), GMIME_ENCODING_CONSTRAINT_7BIT));

  if (loaded.empty()) {
    g_mime_message_set_mime_part(m, GMIME_OBJECT(body.get()));
  } else {
    ObjectPtr<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.get(), GMIME_OBJECT(body.get()));
    for (const Loaded& a : loaded) {
      const auto [type, subtype] = typeForName(a.name);
      ObjectPtr<GMimePart> part(g_mime_part_new_with_type(type, subtype));
      if (std::strcmp(type, "text") == 0)
        g_mime_object_set_content_type_parameter(GMIME_OBJECT(part.get()), "charset",
                                                 charsetOf(a.data));
      ObjectPtr<GMimeStream> stream(
          g_mime_stream_mem_new_with_buffer(a.data.data(), a.data.size()));
      ObjectPtr<GMimeDataWrapper> content(
          g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
      g_mime_part_set_content(part.get(), content.get());
      g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_BASE64);
      g_mime_object_set_disposition(GMIME_OBJECT(part.get()), GMIME_DISPOSITION_ATTACHMENT);
      g_mime_part_set_filename(part.get(), a.name.c_str());
      g_mime_multipart_add(mixed.get(), GMIME_OBJECT(part.get()));
    }
    g_mime_message_set_mime_part(m, GMIME_OBJECT(mixed.get()));
  }

  result.mail.wire = serialise(GMIME_OBJECT(m));
  if (draft.bcc.empty()) {
    result.mail.withBcc = result.mail.wire;
  } else {
    addMailboxes(m, GMIME_ADDRESS_TYPE_BCC, draft.bcc);
    result.mail.withBcc = serialise(GMIME_OBJECT(m));
  }
  if (result.mail.wire.empty()) {
    result.status = ComposeStatus::Failed;
    result.detail = "the message could not be composed";
  }
  return result;
}

std::optional<std::string> withoutBccHeader(std::string_view bytes) {
  const auto mime = detail::useMimeLibrary();
  ObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
  ObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  ObjectPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
  if (!message) return std::nullopt;
  g_mime_object_remove_header(GMIME_OBJECT(message.get()), "Bcc");
  return serialise(GMIME_OBJECT(message.get()));
}

}  // namespace trv::mail
