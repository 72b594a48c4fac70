#pragma once
// The texts the notes window builds: its title by action kind, the mail subject lines, the
// problem header and the signature put around a mail's text, the client address check, and the
// subject settings kept in section "AddNotes" of the configuration file.
//
// Pure functions of their inputs except readNotesSettings/writeNotesSettings, which go through
// the configuration file object (thread-safe). Texts are Windows-1252, as the record fields
// and SER:AddHistory hold them; the configuration file holds UTF-8 and is converted here.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "cases/history/history_text.h"

namespace trv::core {
struct SignedOnUser;
}
namespace trv::ini {
class IniSettings;
}

namespace trv::cases {

inline constexpr std::string_view kNotesSection = "AddNotes";
inline constexpr std::size_t kTemplateWidth = 63;
// Room for the longest default caption, "Default 4", so that it survives a session.
inline constexpr std::size_t kCaptionWidth = 9;
inline constexpr std::size_t kSubjectLineWidth = 70;
inline constexpr std::size_t kNotesWidth = 1500;  // SER:AddHistory

// Subject choices of the option "Header": the four templates, a typed subject, the problem.
inline constexpr int kChoiceEntry = 5;
inline constexpr int kChoiceProblem = 6;

inline constexpr std::array<std::string_view, 4> kDefaultTemplates = {
    "Your Support Call - Registrated under Case Nr. : ",
    "Uw supportaanvraag is geregistreerd onder Case Nr. : ",
    "Su Llamada del Apoyo - Registrated bajo el Caso Nr. : ",
    "Default 4 : ",
};
inline constexpr std::array<std::string_view, 4> kDefaultCaptions = {"English", "Dutch", "Spanish",
                                                                     "Default 4"};

// What section "AddNotes" keeps between sessions for outgoing mails.
struct NotesSettings {
  int choice = 1;                        // 1-6
  std::array<std::string, 4> templates;  // 63 characters each
  std::array<std::string, 4> captions;   // 9 characters each
  bool addProblem = false;
  bool addSignature = false;
};

// The subject settings: a blank template or caption takes its default, a choice outside 1-6
// (0 or missing included) is 1, texts are cut to their widths.
[[nodiscard]] NotesSettings readNotesSettings(const ini::IniSettings& ini);
// Writes "Title", "Subject1"-"Subject4", "TitleText1"-"TitleText4", "AddProblem", "AddSig".
void writeNotesSettings(ini::IniSettings& ini, const NotesSettings& settings);

// The window title for an action kind; empty for a kind that opens no notes window. Status
// and priority are the case's new values (trailing blanks are dropped).
[[nodiscard]] std::string notesTitle(ActionKind kind, std::uint32_t caseNr, std::string_view status,
                                     std::string_view priority);

// A template's subject line: the template without trailing blanks, one blank, the case number
// without leading zeros. The template is shortened when needed so that the number always fits
// the 70 characters.
[[nodiscard]] std::string templateSubject(std::string_view subject, std::uint32_t caseNr);
// The problem's subject line: the problem without trailing blanks, " - Case Nr. " and the case
// number, the problem shortened so that the number always fits the 70 characters.
[[nodiscard]] std::string problemSubject(std::string_view problem, std::uint32_t caseNr);

// "**** Problem : " problem " ****", an empty line, then the text; cut at 1500 characters.
[[nodiscard]] std::string withProblem(std::string_view text, std::string_view problem);
// The text without trailing blanks and the user's signature after it (greeting, full name,
// position, company, mail address, phone, fax: each only when not blank), cut at 1500
// characters. The address block always starts on a line of its own.
[[nodiscard]] std::string withSignature(std::string_view text, const core::SignedOnUser& user);

// A client address the mail can go to: it holds an at sign and a full stop.
[[nodiscard]] bool plausibleMailAddress(std::string_view address);

// True when the text holds nothing but blanks and line breaks.
[[nodiscard]] bool blankText(std::string_view text);

}  // namespace trv::cases
