#include "cases/notes/notes_text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/program/program_state.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/text/fixed_string.h"

namespace trv::cases {
namespace {

TEST(NotesSubject, OneBlankAndTheNumberWithoutLeadingZerosAfterEveryTemplate) {
  struct Case {
    std::string_view subject;
    std::uint32_t nr;
    const char* expected;
  };
  const Case cases[] = {
      {kDefaultTemplates[0], 42, "Your Support Call - Registrated under Case Nr. : 42"},
      {kDefaultTemplates[1], 42, "Uw supportaanvraag is geregistreerd onder Case Nr. : 42"},
      {kDefaultTemplates[2], 7, "Su Llamada del Apoyo - Registrated bajo el Caso Nr. : 7"},
      {kDefaultTemplates[3], 100, "Default 4 : 100"},
      {"No blank at all:", 5, "No blank at all: 5"},
      {"Many blanks    ", 5, "Many blanks 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(templateSubject(c.subject, c.nr), c.expected);
  }
}

TEST(NotesSubject, ALongHeadGivesWayToTheCaseNumber) {
  const std::string longTemplate(63, 'T');
  const std::string line = templateSubject(longTemplate, 4000000000u);
  EXPECT_EQ(line.size(), kSubjectLineWidth);
  EXPECT_TRUE(line.ends_with("T 4000000000"));

  EXPECT_EQ(problemSubject("Printer jams   ", 42), "Printer jams - Case Nr. 42");
  const std::string longProblem(80, 'P');
  const std::string p = problemSubject(longProblem, 123456);
  EXPECT_EQ(p.size(), kSubjectLineWidth);
  EXPECT_TRUE(p.ends_with("P - Case Nr. 123456"));
}

TEST(NotesTitle, ByKindWithTheNewStatusOrPriority) {
  struct Case {
    ActionKind kind;
    const char* expected;
  };
  const Case cases[] = {
      {ActionKind::Note, "Adding a Note to Case Nr. 42"},
      {ActionKind::PhoneOut, "Adding an Outgoing Call to Case Nr. 42"},
      {ActionKind::PhoneIn, "Adding an Incoming Call to Case Nr. 42"},
      {ActionKind::EmailOut, "Adding an Outgoing Email to Case Nr. 42"},
      {ActionKind::EmailIn, "Pasting an Incoming Email to Case Nr. 42"},
      {ActionKind::StatusChange, "Changing Status of Case Nr. 42 to On Hold"},
      {ActionKind::FirstEscalation, "Notes regarding First Escalation of Case Nr. 42"},
      {ActionKind::SecondEscalation, "Notes regarding Second Escalation of Case Nr. 42"},
      {ActionKind::ThirdEscalation, "Notes regarding Third Escalation of Case Nr. 42"},
      {ActionKind::PriorityByAgent, "Changing Priority of Case Nr. 42 to High"},
      {ActionKind::TakeOver, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(notesTitle(c.kind, 42, "On Hold", "High   "), c.expected);
  }
}

TEST(NotesSignature, PartsOnlyWhenGivenAndTheAddressBlockOnItsOwnLines) {
  struct Case {
    const char* label;
    core::SignedOnUser user;
    const char* expected;
  };
  const Case cases[] = {
      {"every part",
       {"Anna", "Kind regards,", "Anna Berg  ", "Support", "Acme", "anna@acme.example", "0101",
        "0102", 0, 0},
       "Text\r\n\r\nKind regards,\r\n\r\nAnna Berg\r\n\r\nSupport\r\nAcme\r\n"
       "anna@acme.example\r\n0101\r\n0102\r\n"},
      {"no position but a company",
       {"Anna", "", "Anna Berg", "", "Acme", "", "", "", 0, 0},
       "Text\r\n\r\nAnna Berg\r\nAcme\r\n"},
      {"only a phone", {"Anna", "", "", "", "", "", "0101", "", 0, 0}, "Text\r\n0101\r\n"},
      {"nothing to add", {"Anna", "  ", "", "", "", "", "", "", 0, 0}, "Text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(withSignature("Text   ", c.user), c.expected);
  }
}

TEST(NotesSignature, ProblemAndSignatureStayWithinTheMemo) {
  EXPECT_EQ(withProblem("Text", "Printer jams   "), "**** Problem : Printer jams ****\r\n\r\nText");
  core::SignedOnUser u;
  u.FullName = "Anna Berg";
  EXPECT_EQ(withSignature(std::string(1499, 'x'), u).size(), kNotesWidth);
  EXPECT_EQ(withProblem(std::string(1500, 'x'), "P").size(), kNotesWidth);
}

TEST(NotesAddress, NeedsAnAtSignAndAFullStop) {
  EXPECT_TRUE(plausibleMailAddress("client@example.com"));
  for (const char* bad : {"client@example", "client.example.com", "", "client"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(plausibleMailAddress(bad));
  }
  EXPECT_TRUE(blankText("  \r\n \t"));
  EXPECT_FALSE(blankText(" a "));
}

class NotesSettingsTest : public ::testing::Test {
 protected:
  NotesSettingsTest()
      : folder_(std::filesystem::temp_directory_path() /
                ("trv_notes_ini_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    ini_.Init(folder_, "trvnel12.ini");
  }
  ~NotesSettingsTest() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::filesystem::path folder_;
  ini::IniSettings ini_;
};

TEST_F(NotesSettingsTest, BlankValuesTakeTheirDefaultsAndAChoiceOutOfRangeIsOne) {
  NotesSettings s = readNotesSettings(ini_);
  EXPECT_EQ(s.choice, 1);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(s.templates[i], kDefaultTemplates[i]);
    EXPECT_EQ(s.captions[i], kDefaultCaptions[i]);
  }
  EXPECT_FALSE(s.addProblem);
  EXPECT_FALSE(s.addSignature);

  for (const char* choice : {"0", "7", "-1", "x"}) {
    ASSERT_TRUE(ini_.WriteValue("AddNotes", "Title", choice));
    EXPECT_EQ(readNotesSettings(ini_).choice, 1) << choice;
  }
  ASSERT_TRUE(ini_.WriteValue("AddNotes", "Title", "6"));
  ASSERT_TRUE(ini_.WriteValue("AddNotes", "Subject3", "Mine : "));
  ASSERT_TRUE(ini_.WriteValue("AddNotes", "TitleText3", "A much too long caption"));
  ASSERT_TRUE(ini_.WriteValue("AddNotes", "AddSig", "1"));
  s = readNotesSettings(ini_);
  EXPECT_EQ(s.choice, 6);
  EXPECT_EQ(s.templates[2], "Mine :");  // the file keeps no trailing blanks
  EXPECT_EQ(s.captions[2], "A much to");
  EXPECT_TRUE(s.addSignature);
}

TEST_F(NotesSettingsTest, ABlankCaptionBringsBackTheFirstTwoDefaultTemplates) {
  for (const char* k : {"Subject1", "Subject2", "Subject3"})
    ASSERT_TRUE(ini_.WriteValue("AddNotes", k, "Mine :"));
  ASSERT_TRUE(ini_.WriteValue("AddNotes", "TitleText2", "Tickets"));
  const NotesSettings s = readNotesSettings(ini_);
  EXPECT_EQ(s.captions[0], "English");
  EXPECT_EQ(s.templates[0], kDefaultTemplates[0]);
  EXPECT_EQ(s.captions[1], "Tickets");
  EXPECT_EQ(s.templates[1], "Mine :");
  EXPECT_EQ(s.captions[2], "Spanish");
  EXPECT_EQ(s.templates[2], "Mine :");
}

TEST_F(NotesSettingsTest, WrittenSettingsReadBackTheSame) {
  NotesSettings s = readNotesSettings(ini_);
  s.choice = 3;
  s.templates[0] = "Ticket :";
  s.captions[0] = "Tickets";
  s.addProblem = true;
  writeNotesSettings(ini_, s);
  const NotesSettings back = readNotesSettings(ini_);
  EXPECT_EQ(back.choice, 3);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(back.templates[i], std::string(text::clip(s.templates[i])));  // no trailing blanks
    EXPECT_EQ(back.captions[i], s.captions[i]);
  }
  EXPECT_EQ(back.captions[3], "Default 4");
  EXPECT_TRUE(back.addProblem);
  EXPECT_FALSE(back.addSignature);
  EXPECT_EQ(ini_.ReadValue("AddNotes", "Subject2"),
            "Uw supportaanvraag is geregistreerd onder Case Nr. :");
}

}  // namespace
}  // namespace trv::cases
