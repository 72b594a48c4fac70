#include "runtime/mail/capturing_transport.h"

#include <algorithm>

#include "runtime/mail/mime_reader.h"

namespace trv::mail {

namespace {

std::string joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : ", ") + p;
  return out;
}

}  // namespace

std::optional<std::string> sentMailField(const CapturedMail& mail, std::string_view field) {
  if (field == "to") return joined(mail.to);
  if (field == "cc") return joined(mail.cc);
  if (field == "bcc") return joined(mail.bcc);
  if (field == "from") return mail.from;
  if (field == "subject") return mail.subject;
  if (field == "text") return mail.text;
  if (field == "attachments") return joined(mail.attachmentNames);
  return std::nullopt;
}

TransportResult CapturingTransport::send(const OutgoingMail& mail) {
  {
    std::lock_guard lock(mutex_);
    if (failing_) return {TransportStatus::Failed, failDetail_};
  }
  CapturedMail c;
  c.mail = mail;
  if (auto parsed = parseMail(mail.wire)) {
    if (parsed->from) c.from = parsed->from->address;
    for (const auto& a : parsed->to) c.to.push_back(a.address);
    for (const auto& a : parsed->cc) c.cc.push_back(a.address);
    c.subject = parsed->subject;
    c.text = parsed->text;
    for (const auto& a : parsed->attachments) c.attachmentNames.push_back(a.fileName);
  }
  for (const std::string& r : mail.recipients) {
    const bool named = std::find(c.to.begin(), c.to.end(), r) != c.to.end() ||
                       std::find(c.cc.begin(), c.cc.end(), r) != c.cc.end();
    if (!named) c.bcc.push_back(r);
  }
  std::lock_guard lock(mutex_);
  captured_.push_back(std::move(c));
  return {TransportStatus::Sent, {}};
}

void CapturingTransport::failEverySend(std::string detail) {
  std::lock_guard lock(mutex_);
  failing_ = true;
  failDetail_ = std::move(detail);
}

void CapturingTransport::acceptSends() {
  std::lock_guard lock(mutex_);
  failing_ = false;
}

std::vector<CapturedMail> CapturingTransport::captured() const {
  std::lock_guard lock(mutex_);
  return captured_;
}

std::size_t CapturingTransport::count() const {
  std::lock_guard lock(mutex_);
  return captured_.size();
}

void CapturingTransport::clear() {
  std::lock_guard lock(mutex_);
  captured_.clear();
}

}  // namespace trv::mail
