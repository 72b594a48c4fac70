#include "cases/sendmail/outgoing_mail.h"

#include <algorithm>
#include <cstdio>

namespace trv::cases {
namespace {

bool blank(std::string_view s) {
  return s.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

std::string fileNameOf(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

OutgoingMail buildOutgoing(const ComposedMail& m) {
  OutgoingMail out;
  mail::MapiMessage& msg = out.message;
  std::vector<mail::MapiRecipDesc> recips(
      m.chosen.begin(), m.chosen.begin() + static_cast<std::ptrdiff_t>(
                                               std::min(m.chosen.size(), mail::kMaxRecipients)));
  if (recips.size() < 2 && !blank(m.toText)) {
    mail::MapiRecipDesc first = recips.empty() ? mail::MapiRecipDesc{} : recips.front();
    first.recipClass = mail::kMapiTo;
    first.name = m.toText;
    recips.assign(1, std::move(first));
  }
  msg.recips = std::move(recips);
  msg.subject = m.subject;
  msg.noteText = m.text;
  if (!blank(m.attachPath)) {
    mail::MapiFileDesc f;
    f.position = 1;
    f.pathName = m.attachPath;
    f.fileName = fileNameOf(m.attachPath);
    msg.files.push_back(std::move(f));
    msg.noteText.insert(0, "   ");
  }
  out.flags = blank(m.subject) || msg.recips.empty() ? mail::kMapiDialog : 0;
  msg.flags = out.flags;
  return out;
}

std::size_t takeAddressBookAnswer(ComposedMail& m, const std::vector<mail::MapiRecipDesc>& answer) {
  const std::size_t kept = std::min(answer.size(), mail::kMaxRecipients);
  m.chosen.assign(answer.begin(), answer.begin() + static_cast<std::ptrdiff_t>(kept));
  if (!m.chosen.empty() && !m.chosen.front().name.empty()) m.toText = m.chosen.front().name;
  return answer.size() - kept;
}

std::string addressProblemText(std::uint32_t result) {
  char code[16];
  std::snprintf(code, sizeof code, "%03u", static_cast<unsigned>(result % 1000));
  return std::string("Ms-Mail Address Problems ") + code;
}

std::string recipientsCutText(std::size_t returned) {
  return "The address book returned " + std::to_string(returned) +
         " recipients; a message carries at most " + std::to_string(mail::kMaxRecipients) +
         ", so only the first " + std::to_string(mail::kMaxRecipients) + " were kept.";
}

std::string sendFailureText(std::uint32_t result, std::string_view detail) {
  std::string t = "The message was not sent: ";
  t += mail::describeMapiResult(result);
  t += " (" + std::to_string(result) + ")";
  if (!detail.empty()) {
    t += "\r\n";
    t += detail;
  }
  return t;
}

}  // namespace trv::cases
