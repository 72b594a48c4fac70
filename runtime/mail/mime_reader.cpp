#include "runtime/mail/mime_reader.h"

#include <gmime/gmime.h>

#include <algorithm>

#include "runtime/mail/gmime_support.h"
#include "runtime/mail/html_entities.h"
#include "runtime/text/charset.h"

namespace trv::mail {
namespace {

using detail::ObjectPtr;

std::string utf8Text(const char* s) {
  if (s == nullptr) return {};
  if (g_utf8_validate(s, -1, nullptr)) return s;
  return text::toUtf8(s);  // unlabelled 8-bit text from older mailers
}

std::string ownedUtf8(char* s) {
  std::string out = utf8Text(s);
  g_free(s);
  return out;
}

void collectAddresses(InternetAddressList* list, std::vector<MailAddress>& out) {
  if (list == nullptr) return;
  const int n = internet_address_list_length(list);
  for (int i = 0; i < n; ++i) {
    InternetAddress* ia = internet_address_list_get_address(list, i);
    if (INTERNET_ADDRESS_IS_GROUP(ia)) {
      collectAddresses(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(ia)), out);
    } else if (INTERNET_ADDRESS_IS_MAILBOX(ia)) {
      MailAddress a;
      a.name = utf8Text(internet_address_get_name(ia));
      a.address = utf8Text(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(ia)));
      if (!a.address.empty()) out.push_back(std::move(a));
    }
  }
}

std::string decodedContent(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (content == nullptr) return {};
  ObjectPtr<GMimeStream> mem(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(content, mem.get());
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

std::string mimeType(GMimeObject* object) {
  GMimeContentType* type = g_mime_object_get_content_type(object);
  if (type == nullptr) return "application/octet-stream";
  return ownedUtf8(g_mime_content_type_get_mime_type(type));
}

bool isAttachment(GMimeObject* object) {
  GMimeContentDisposition* d = g_mime_object_get_content_disposition(object);
  return d != nullptr && g_mime_content_disposition_is_attachment(d);
}

std::string normaliseLines(std::string s) {
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

bool isType(GMimeObject* object, const char* type, const char* subtype) {
  GMimeContentType* t = g_mime_object_get_content_type(object);
  return t != nullptr && g_mime_content_type_is_type(t, type, subtype);
}

std::string trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1));
}

// The types a reader takes for the text, once each, unless marked as attachments.
const char* bodySubtype(GMimeObject* object) {
  for (const auto& [type, subtype] : {std::pair{"text", "plain"},
                                      {"text", "html"},
                                      {"multipart", "related"},
                                      {"multipart", "alternative"}})
    if (isType(object, type, subtype)) return subtype;
  return nullptr;
}

// Walks the parts as a mail reader sees them: in a multipart the first part of each body type
// (plain text, HTML, related, alternative) not marked as an attachment belongs to the text, the
// others are attachments; in a related part everything but its root (the part its "start"
// names, else the first) is an attachment; an alternative shows one branch (plain text first)
// and lists the attachments of every branch, so an image of the HTML branch is not lost. A text
// part without a file name that is not marked as an attachment is read as part of the text,
// wherever it stands; so is a message of one text part of any text type.
struct Walker {
  ParsedMail& mail;
  bool haveText = false;

  void addAttachment(std::string name, std::string type, std::string data) {
    const std::string fallback = "attachment" + std::to_string(mail.attachments.size() + 1);
    mail.attachments.push_back({safeFileName(name, fallback), std::move(type), std::move(data)});
  }

  void setText(std::string text) {
    mail.text = normaliseLines(std::move(text));
    haveText = true;
  }

  void walk(GMimeObject* top) {
    if (GMIME_IS_MESSAGE_PART(top)) {
      // A message that is one enclosed message reads as that message, its sender and subject
      // first.
      GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(top));
      GMimeObject* innerBody = inner ? g_mime_message_get_mime_part(inner) : nullptr;
      if (innerBody == nullptr) return;
      std::string heading;
      for (const char* name : {"From", "Date", "Subject"})
        if (const char* value = g_mime_object_get_header(GMIME_OBJECT(inner), name)) {
          char* decoded = g_mime_utils_header_decode_text(nullptr, value);
          heading += std::string(name) + ": " + ownedUtf8(decoded) + "\n";
        }
      walk(innerBody);
      mail.text = heading + (heading.empty() ? "" : "\n") + mail.text;
      haveText = true;
      return;
    }
    if (GMIME_IS_MULTIPART(top)) {
      walkMultipart(top, true);
    } else if (GMIME_IS_TEXT_PART(top) && !isAttachment(top)) {
      takeText(top, true);
    } else {
      attachment(top, true);
    }
  }

  void takeText(GMimeObject* object, bool showing) {
    if (!showing || !GMIME_IS_TEXT_PART(object)) return;
    const bool html = isType(object, "text", "html");
    std::string text = ownedUtf8(g_mime_text_part_get_text(GMIME_TEXT_PART(object)));
    if (!haveText) {
      setText(html ? htmlToText(text) : std::move(text));
    } else if (!html) {  // a further inline text, a list footer for instance
      mail.text += "\n" + normaliseLines(std::move(text));
    }
  }

  void body(GMimeObject* object, bool showing) {
    if (GMIME_IS_MULTIPART(object))
      walkMultipart(object, showing);
    else
      takeText(object, showing);
  }

  void attachment(GMimeObject* object, bool showing) {
    if (GMIME_IS_MESSAGE_PART(object)) {
      GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
      if (inner == nullptr) return;
      std::string subject = utf8Text(g_mime_message_get_subject(inner));
      char* raw = g_mime_object_to_string(GMIME_OBJECT(inner), nullptr);
      std::string data = raw ? raw : "";
      g_free(raw);
      std::string name;
      if (GMimeContentDisposition* d = g_mime_object_get_content_disposition(object))
        name = utf8Text(g_mime_content_disposition_get_parameter(d, "filename"));
      if (name.empty()) name = (subject.empty() ? std::string("message") : subject) + ".eml";
      addAttachment(std::move(name), "message/rfc822", std::move(data));
      return;
    }
    if (GMIME_IS_MULTIPART(object)) {
      walkMultipart(object, showing);
      return;
    }
    if (!GMIME_IS_PART(object)) return;
    GMimePart* part = GMIME_PART(object);
    const char* fileName = g_mime_part_get_filename(part);
    if (isType(object, "text", "*") && (fileName == nullptr || *fileName == '\0') &&
        !isAttachment(object)) {
      if (isType(object, "text", "plain") || isType(object, "text", "html"))
        takeText(object, showing);
      return;
    }
    addAttachment(utf8Text(fileName), mimeType(object), decodedContent(part));
  }

  void walkMultipart(GMimeObject* object, bool showing) {
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    const int n = g_mime_multipart_get_count(multipart);
    if (isType(object, "multipart", "alternative")) {
      GMimeObject* shown = nullptr;
      for (int i = 0; i < n && shown == nullptr; ++i)
        if (isType(g_mime_multipart_get_part(multipart, i), "text", "plain"))
          shown = g_mime_multipart_get_part(multipart, i);
      for (int i = 0; i < n && shown == nullptr; ++i) {
        GMimeObject* child = g_mime_multipart_get_part(multipart, i);
        if (isType(child, "text", "html") || isType(child, "multipart", "*")) shown = child;
      }
      for (int i = 0; i < n; ++i) {
        GMimeObject* child = g_mime_multipart_get_part(multipart, i);
        // A branch of content that is no text cannot be read in place: it stays reachable as a
        // file. (A message/external-body branch only points elsewhere.)
        if (GMIME_IS_MULTIPART(child) || isType(child, "text", "*") ||
            isType(child, "message", "*"))
          body(child, showing && child == shown);
        else
          attachment(child, showing);
      }
      return;
    }
    if (isType(object, "multipart", "related")) {
      int root = 0;
      if (const char* start = g_mime_object_get_content_type_parameter(object, "start"))
        for (int i = 0; i < n; ++i) {
          const char* id =
              g_mime_object_get_header(g_mime_multipart_get_part(multipart, i), "Content-Id");
          if (id != nullptr && trimmed(id) == start) root = i;
        }
      for (int i = 0; i < n; ++i) {
        GMimeObject* child = g_mime_multipart_get_part(multipart, i);
        if (i == root)
          body(child, showing);
        else
          attachment(child, showing);
      }
      return;
    }
    std::vector<std::string> seen;
    for (int i = 0; i < n; ++i) {
      GMimeObject* child = g_mime_multipart_get_part(multipart, i);
      const char* subtype = bodySubtype(child);
      if (subtype != nullptr && !isAttachment(child) &&
          std::find(seen.begin(), seen.end(), subtype) == seen.end()) {
        seen.emplace_back(subtype);
        body(child, showing);
      } else {
        attachment(child, showing);
      }
    }
  }
};

void appendUtf8(std::string& out, unsigned long cp) {
  char buf[8];
  const int n = g_unichar_to_utf8(static_cast<gunichar>(cp), buf);
  out.append(buf, static_cast<std::size_t>(n));
}

bool isAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A no-break space reads as the blank it stands for in a text.
void appendNamed(std::string& out, std::string_view value) {
  out += value == "\u00A0" ? std::string_view(" ") : value;
}

// The character reference at html[at] (an "&") decoded as HTML5 reads it, appended to out;
// returns the position after it. What is no reference stays as it is.
std::size_t appendReference(std::string_view html, std::size_t at, std::string& out) {
  std::size_t i = at + 1;
  if (i < html.size() && html[i] == '#') {
    const bool hex = i + 1 < html.size() && (html[i + 1] == 'x' || html[i + 1] == 'X');
    std::size_t j = i + (hex ? 2 : 1);
    unsigned long cp = 0;
    const std::size_t digitsStart = j;
    while (j < html.size() && (hex ? g_ascii_isxdigit(html[j]) : g_ascii_isdigit(html[j]))) {
      if (cp <= 0x10FFFF)
        cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(g_ascii_xdigit_value(html[j]));
      ++j;
    }
    if (j == digitsStart) {
      out += '&';
      return at + 1;
    }
    if (j < html.size() && html[j] == ';') ++j;
    if (cp >= 0x80 && cp <= 0x9F) {
      // What HTML5 reads there: the Windows charset's characters.
      out += text::toUtf8(std::string(1, static_cast<char>(cp)));
    } else if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, cp);
    }
    return j;
  }
  std::size_t j = i;
  while (j < html.size() && j - i < 32 && isAsciiAlnum(html[j])) ++j;
  if (j > i && j < html.size() && html[j] == ';') {
    if (auto v = namedEntity(html.substr(i, j - i + 1))) {
      appendNamed(out, *v);
      return j + 1;
    }
  }
  // The legacy names stand without ";" too; the longest that fits wins.
  for (std::size_t end = j; end > i + 1; --end)
    if (auto v = namedEntity(html.substr(i, end - i))) {
      appendNamed(out, *v);
      return end;
    }
  out += '&';
  return at + 1;
}

}  // namespace

std::string safeFileName(std::string_view name, std::string_view fallback) {
  const std::size_t cut = name.find_last_of("/\\");
  if (cut != std::string_view::npos) name = name.substr(cut + 1);
  std::string out;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
        c == '>' || c == '|')
      out += '_';
    else
      out += c;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
  while (!out.empty() && (out.front() == ' ' || out.front() == '.')) out.erase(out.begin());
  if (out.size() > 200) {
    std::size_t keep = 200;
    while (keep > 0 && (static_cast<unsigned char>(out[keep]) & 0xC0) == 0x80) --keep;
    out.resize(keep);
  }
  return out.empty() ? std::string(fallback) : out;
}

std::string htmlToText(std::string_view html) {
  std::string out;
  std::size_t i = 0;
  auto startsTag = [&](std::size_t at, std::string_view tag) {
    if (at + tag.size() > html.size()) return false;
    return g_ascii_strncasecmp(html.data() + at, tag.data(), tag.size()) == 0;
  };
  while (i < html.size()) {
    const char c = html[i];
    if (c == '<') {
      for (std::string_view skipped : {"<script", "<style", "<head"}) {
        if (startsTag(i, skipped)) {
          const std::string close = "</" + std::string(skipped.substr(1));
          std::size_t j = i;
          while (j < html.size() && !startsTag(j, close)) ++j;
          i = j;
          break;
        }
      }
      const std::size_t end = html.find('>', i);
      const std::string_view tag =
          html.substr(i, end == std::string_view::npos ? html.npos : end - i + 1);
      for (std::string_view breaking : {"<br", "</p", "<p>", "<p ", "</div", "</tr", "<li", "</h"})
        if (tag.size() >= breaking.size() &&
            g_ascii_strncasecmp(tag.data(), breaking.data(), breaking.size()) == 0) {
          out += '\n';
          break;
        }
      i = end == std::string_view::npos ? html.size() : end + 1;
    } else if (c == '&') {
      i = appendReference(html, i, out);
    } else if (c == '\r' || c == '\n' || c == '\t') {
      if (!out.empty() && out.back() != ' ' && out.back() != '\n') out += ' ';
      ++i;
    } else {
      out += c;
      ++i;
    }
  }
  // At most one blank line in a row, none at either end.
  std::string tidy;
  int newlines = 0;
  for (char c : out) {
    if (c == '\n') {
      if (++newlines <= 2 && !tidy.empty()) tidy += c;
      while (!tidy.empty() && tidy.back() == ' ' && newlines == 1) tidy.pop_back();
    } else {
      if (c == ' ' && newlines > 0) continue;
      newlines = 0;
      tidy += c;
    }
  }
  while (!tidy.empty() && (tidy.back() == '\n' || tidy.back() == ' ')) tidy.pop_back();
  return tidy;
}

std::optional<ParsedMail> parseMail(std::string_view bytes) {
  const auto mime = detail::useMimeLibrary();
  ObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
  ObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  GMimeParserOptions* options = g_mime_parser_options_new();
  const char* fallbacks[] = {"utf-8", "windows-1252", nullptr};
  g_mime_parser_options_set_fallback_charsets(options, fallbacks);
  ObjectPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), options));
  g_mime_parser_options_free(options);
  if (!message) return std::nullopt;

  ParsedMail mail;
  mail.subject = utf8Text(g_mime_message_get_subject(message.get()));
  std::vector<MailAddress> from;
  collectAddresses(g_mime_message_get_from(message.get()), from);
  if (!from.empty()) mail.from = from.front();
  collectAddresses(g_mime_message_get_to(message.get()), mail.to);
  collectAddresses(g_mime_message_get_cc(message.get()), mail.cc);
  collectAddresses(g_mime_message_get_bcc(message.get()), mail.bcc);
  mail.messageId = utf8Text(g_mime_message_get_message_id(message.get()));
  mail.receiptRequested = g_mime_object_get_header(GMIME_OBJECT(message.get()),
                                                   "Disposition-Notification-To") != nullptr;
  if (GMimeObject* body = g_mime_message_get_mime_part(message.get())) {
    Walker walker{mail};
    walker.walk(body);
  }
  return mail;
}

ParsedMail parseMailOrText(std::string_view bytes) {
  if (auto mail = parseMail(bytes)) return std::move(*mail);
  ParsedMail mail;
  mail.text = normaliseLines(utf8Text(std::string(bytes).c_str()));
  return mail;
}

}  // namespace trv::mail
