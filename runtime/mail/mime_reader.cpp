#include "runtime/mail/mime_reader.h"

#include <gmime/gmime.h>

#include "runtime/mail/gmime_support.h"
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

struct Walker {
  ParsedMail& mail;
  bool haveText = false;
  bool textFromHtml = false;

  void addAttachment(std::string name, std::string type, std::string data) {
    const std::string fallback = "attachment" + std::to_string(mail.attachments.size() + 1);
    mail.attachments.push_back({safeFileName(name, fallback), std::move(type), std::move(data)});
  }

  void setText(std::string text, bool fromHtml) {
    mail.text = normaliseLines(std::move(text));
    haveText = true;
    textFromHtml = fromHtml;
  }

  void walk(GMimeObject* object) {
    if (GMIME_IS_MULTIPART(object)) {
      GMimeMultipart* multipart = GMIME_MULTIPART(object);
      const int n = g_mime_multipart_get_count(multipart);
      GMimeContentType* type = g_mime_object_get_content_type(object);
      if (type != nullptr && g_mime_content_type_is_type(type, "multipart", "alternative")) {
        walkAlternative(multipart, n);
        return;
      }
      for (int i = 0; i < n; ++i) walk(g_mime_multipart_get_part(multipart, i));
      return;
    }
    if (GMIME_IS_MESSAGE_PART(object)) {
      GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
      if (inner == nullptr) return;
      std::string subject = utf8Text(g_mime_message_get_subject(inner));
      char* raw = g_mime_object_to_string(GMIME_OBJECT(inner), nullptr);
      std::string data = raw ? raw : "";
      g_free(raw);
      addAttachment((subject.empty() ? std::string("message") : subject) + ".eml", "message/rfc822",
                    std::move(data));
      return;
    }
    if (!GMIME_IS_PART(object)) return;
    GMimePart* part = GMIME_PART(object);
    const bool attachment = isAttachment(object);
    GMimeContentType* type = g_mime_object_get_content_type(object);
    const bool plain = type != nullptr && g_mime_content_type_is_type(type, "text", "plain");
    const bool html = type != nullptr && g_mime_content_type_is_type(type, "text", "html");
    if (!attachment && GMIME_IS_TEXT_PART(object) && (plain || html)) {
      std::string text = ownedUtf8(g_mime_text_part_get_text(GMIME_TEXT_PART(object)));
      if (!haveText) {
        setText(html ? htmlToText(text) : std::move(text), html);
        return;
      }
      if (plain) {  // a further inline text, a list footer for instance
        mail.text += "\n" + normaliseLines(std::move(text));
        return;
      }
    }
    addAttachment(utf8Text(g_mime_part_get_filename(part)), mimeType(object), decodedContent(part));
  }

  void walkAlternative(GMimeMultipart* multipart, int n) {
    GMimeObject* chosen = nullptr;
    for (int i = 0; i < n && chosen == nullptr; ++i) {
      GMimeObject* child = g_mime_multipart_get_part(multipart, i);
      GMimeContentType* t = g_mime_object_get_content_type(child);
      if (t != nullptr && g_mime_content_type_is_type(t, "text", "plain")) chosen = child;
    }
    for (int i = 0; i < n && chosen == nullptr; ++i) {
      GMimeObject* child = g_mime_multipart_get_part(multipart, i);
      GMimeContentType* t = g_mime_object_get_content_type(child);
      if (t != nullptr && (g_mime_content_type_is_type(t, "text", "html") ||
                           g_mime_content_type_is_type(t, "multipart", "*")))
        chosen = child;
    }
    if (chosen != nullptr) walk(chosen);
  }
};

void appendUtf8(std::string& out, unsigned long cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return;
  char buf[8];
  const int n = g_unichar_to_utf8(static_cast<gunichar>(cp), buf);
  out.append(buf, static_cast<std::size_t>(n));
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
      const std::size_t semi = html.find(';', i);
      const std::string_view entity = semi == std::string_view::npos || semi - i > 10
                                          ? std::string_view()
                                          : html.substr(i + 1, semi - i - 1);
      static const std::pair<std::string_view, const char*> named[] = {
          {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
      bool done = false;
      for (const auto& [n, v] : named)
        if (entity == n) {
          out += v;
          done = true;
        }
      if (!done && entity.size() > 1 && entity[0] == '#') {
        const bool hex = entity[1] == 'x' || entity[1] == 'X';
        const std::string digits(entity.substr(hex ? 2 : 1));
        char* stop = nullptr;
        const unsigned long cp = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
        if (!digits.empty() && stop && *stop == '\0') {
          appendUtf8(out, cp);
          done = true;
        }
      }
      if (done) {
        i = semi + 1;
      } else {
        out += c;
        ++i;
      }
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
