#include "uninstall/message_box.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace trv::uninstall {
namespace {

// Runs one box on a terminal double fed with `typed`; returns the answer and what was shown.
std::pair<MessageAnswer, std::string> ask(const MessageBoxRequest& request, const char* typed,
                                          bool interactive) {
  std::string input(typed);
  std::FILE* in = ::fmemopen(input.data(), input.size() + 1, "r");
  char* shown = nullptr;
  std::size_t shownSize = 0;
  std::FILE* out = ::open_memstream(&shown, &shownSize);
  const MessageAnswer answer = TerminalMessageBoxes(in, out, interactive).show(request);
  std::fclose(in);
  std::fclose(out);
  std::string text(shown, shownSize);
  std::free(shown);
  return {answer, text};
}

TEST(TerminalMessageBoxes, AnswersFromTheTerminalOrTakesTheDefault) {
  const MessageBoxRequest question{"Remove it?", "Confirm File Deletion", MessageIcon::kQuestion,
                                   MessageButtons::kYesNo, MessageAnswer::kNo};
  const struct {
    const char* typed;
    bool interactive;
    MessageAnswer expected;
  } cases[] = {
      {"y\n", true, MessageAnswer::kYes},    {"Yes\n", true, MessageAnswer::kYes},
      {"n\n", true, MessageAnswer::kNo},     {"\n", true, MessageAnswer::kNo},
      {"x\ny\n", true, MessageAnswer::kYes},  // asked again after an unknown key
      {"", true, MessageAnswer::kNo},         // end of input: no one is left to answer
      {"y\n", false, MessageAnswer::kNo},     // nobody at a terminal: the default button
  };
  for (const auto& c : cases)
    EXPECT_EQ(ask(question, c.typed, c.interactive).first, c.expected) << c.typed;

  const auto [answer, shown] = ask(question, "", false);
  EXPECT_NE(shown.find("Confirm File Deletion"), std::string::npos);
  EXPECT_NE(shown.find("Remove it?"), std::string::npos);
  EXPECT_NE(shown.find("No (default)"), std::string::npos);

  const MessageBoxRequest note{"Done.", "Brontavelium", MessageIcon::kInformation,
                               MessageButtons::kOk, MessageAnswer::kOk};
  EXPECT_EQ(ask(note, "", true).first, MessageAnswer::kOk) << "an OK box waits for no one";
}

}  // namespace
}  // namespace trv::uninstall
