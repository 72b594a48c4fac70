#pragma once
// Modal message boxes of the uninstaller, which has no window of its own.
//
// TerminalMessageBoxes asks on the terminal when there is one to answer and otherwise takes the
// default button, so the program never waits for an answer that cannot come.

#include <cstdio>
#include <string>

namespace trv::uninstall {

enum class MessageIcon { kInformation, kQuestion, kWarning, kError };
enum class MessageButtons { kOk, kYesNo, kRetryCancel };
enum class MessageAnswer { kOk, kYes, kNo, kRetry, kCancel };

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::kInformation;
  MessageButtons buttons = MessageButtons::kOk;
  MessageAnswer defaultAnswer = MessageAnswer::kOk;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box and returns the button chosen.
  virtual MessageAnswer show(const MessageBoxRequest& request) = 0;
};

class TerminalMessageBoxes final : public MessageBoxes {
 public:
  // Writes to `out` and reads answers from `in`; `interactive` says whether someone can answer.
  TerminalMessageBoxes(std::FILE* in, std::FILE* out, bool interactive);
  // Standard input and error; interactive when both are terminals.
  TerminalMessageBoxes();

  MessageAnswer show(const MessageBoxRequest& request) override;

 private:
  std::FILE* in_;
  std::FILE* out_;
  bool interactive_;
};

}  // namespace trv::uninstall
