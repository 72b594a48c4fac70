#include "cases/notes/notes_text.h"

#include "core/program/program_state.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"

namespace trv::cases {
namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string cut(std::string_view s, std::size_t width) {
  return std::string(s.substr(0, std::min(s.size(), width)));
}

std::string key(std::string_view stem, std::size_t index) {
  return std::string(stem) + std::to_string(index + 1);
}

// The number with its lead-in, and as much of the head as still fits beside it.
std::string withNumber(std::string_view head, std::string_view lead, std::uint32_t caseNr) {
  const std::string tail = std::string(lead) + std::to_string(caseNr);
  const std::size_t room = kSubjectLineWidth > tail.size() ? kSubjectLineWidth - tail.size() : 0;
  return std::string(text::clip(cut(text::clip(head), room))) + tail;
}

}  // namespace

NotesSettings readNotesSettings(const ini::IniSettings& ini) {
  NotesSettings s;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string subject = text::fromUtf8(ini.ReadValue(kNotesSection, key("Subject", i)));
    s.templates[i] = text::clip(subject).empty() ? std::string(kDefaultTemplates[i])
                                                 : cut(subject, kTemplateWidth);
    const std::string caption = text::fromUtf8(ini.ReadValue(kNotesSection, key("TitleText", i)));
    if (!text::clip(caption).empty()) {
      s.captions[i] = cut(caption, kCaptionWidth);
      continue;
    }
    // A caption never set: the first two templates go back to their defaults with it.
    s.captions[i] = std::string(kDefaultCaptions[i]);
    if (i < 2) s.templates[i] = std::string(kDefaultTemplates[i]);
  }
  const std::int64_t choice = ini.ReadNumber(kNotesSection, "Title");
  s.choice = choice >= 1 && choice <= kChoiceProblem ? static_cast<int>(choice) : 1;
  s.addProblem = ini.ReadNumber(kNotesSection, "AddProblem") != 0;
  s.addSignature = ini.ReadNumber(kNotesSection, "AddSig") != 0;
  return s;
}

void writeNotesSettings(ini::IniSettings& ini, const NotesSettings& s) {
  (void)ini.WriteValue(kNotesSection, "Title", std::int64_t{s.choice});
  for (std::size_t i = 0; i < 4; ++i)
    (void)ini.WriteValue(kNotesSection, key("Subject", i), text::toUtf8(s.templates[i]));
  for (std::size_t i = 0; i < 4; ++i)
    (void)ini.WriteValue(kNotesSection, key("TitleText", i), text::toUtf8(s.captions[i]));
  (void)ini.WriteValue(kNotesSection, "AddProblem", std::int64_t{s.addProblem ? 1 : 0});
  (void)ini.WriteValue(kNotesSection, "AddSig", std::int64_t{s.addSignature ? 1 : 0});
}

std::string notesTitle(ActionKind kind, std::uint32_t caseNr, std::string_view status,
                       std::string_view priority) {
  const std::string nr = std::to_string(caseNr);
  switch (kind) {
    case ActionKind::Note:
      return "Adding a Note to Case Nr. " + nr;
    case ActionKind::PhoneOut:
      return "Adding an Outgoing Call to Case Nr. " + nr;
    case ActionKind::PhoneIn:
      return "Adding an Incoming Call to Case Nr. " + nr;
    case ActionKind::EmailOut:
      return "Adding an Outgoing Email to Case Nr. " + nr;
    case ActionKind::EmailIn:
      return "Pasting an Incoming Email to Case Nr. " + nr;
    case ActionKind::StatusChange:
      return "Changing Status of Case Nr. " + nr + " to " + std::string(text::clip(status));
    case ActionKind::FirstEscalation:
      return "Notes regarding First Escalation of Case Nr. " + nr;
    case ActionKind::SecondEscalation:
      return "Notes regarding Second Escalation of Case Nr. " + nr;
    case ActionKind::ThirdEscalation:
      return "Notes regarding Third Escalation of Case Nr. " + nr;
    case ActionKind::PriorityByAgent:
      return "Changing Priority of Case Nr. " + nr + " to " + std::string(text::clip(priority));
    default:
      return {};
  }
}

std::string templateSubject(std::string_view subject, std::uint32_t caseNr) {
  return withNumber(subject, " ", caseNr);
}

std::string problemSubject(std::string_view problem, std::uint32_t caseNr) {
  return withNumber(problem, " - Case Nr. ", caseNr);
}

std::string withProblem(std::string_view text, std::string_view problem) {
  std::string out = "**** Problem : " + std::string(text::clip(problem)) + " ****";
  out += kCrLf;
  out += kCrLf;
  out += text;
  return cut(out, kNotesWidth);
}

std::string withSignature(std::string_view text, const core::SignedOnUser& user) {
  std::string out(text::clip(text));
  auto paragraph = [&out](std::string_view value, bool lineAfter) {
    if (text::clip(value).empty()) return;
    out += kCrLf;
    out += kCrLf;
    out += text::clip(value);
    if (lineAfter) out += kCrLf;
  };
  // Without a position the address block would run on at the end of the name's line.
  auto line = [&out](std::string_view value) {
    if (text::clip(value).empty()) return;
    if (!out.ends_with(kCrLf)) out += kCrLf;
    out += text::clip(value);
    out += kCrLf;
  };
  paragraph(user.Greet, false);
  paragraph(user.FullName, false);
  paragraph(user.Position, true);
  line(user.Company);
  line(user.Email);
  line(user.Phone);
  line(user.Fax);
  return cut(out, kNotesWidth);
}

bool plausibleMailAddress(std::string_view address) {
  return address.find('@') != std::string_view::npos && address.find('.') != std::string_view::npos;
}

bool blankText(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace trv::cases
