#include "uninstall/message_box.h"

#include <unistd.h>

#include <cctype>

namespace trv::uninstall {
namespace {

struct Choice {
  char key;
  const char* label;
  MessageAnswer answer;
};

int choices(MessageButtons buttons, Choice* out) {
  switch (buttons) {
    case MessageButtons::kOk:
      out[0] = {'o', "OK", MessageAnswer::kOk};
      return 1;
    case MessageButtons::kYesNo:
      out[0] = {'y', "Yes", MessageAnswer::kYes};
      out[1] = {'n', "No", MessageAnswer::kNo};
      return 2;
    case MessageButtons::kRetryCancel:
      out[0] = {'r', "Retry", MessageAnswer::kRetry};
      out[1] = {'c', "Cancel", MessageAnswer::kCancel};
      return 2;
  }
  return 0;
}

const char* iconWord(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kError:
      return "Error";
    case MessageIcon::kWarning:
      return "Warning";
    case MessageIcon::kQuestion:
      return "Question";
    case MessageIcon::kInformation:
      break;
  }
  return "Information";
}

}  // namespace

TerminalMessageBoxes::TerminalMessageBoxes(std::FILE* in, std::FILE* out, bool interactive)
    : in_(in), out_(out), interactive_(interactive) {}

TerminalMessageBoxes::TerminalMessageBoxes()
    : TerminalMessageBoxes(stdin, stderr, ::isatty(0) && ::isatty(2)) {}

MessageAnswer TerminalMessageBoxes::show(const MessageBoxRequest& request) {
  Choice c[2];
  const int n = choices(request.buttons, c);
  std::fprintf(out_, "%s [%s]: %s\n", request.caption.c_str(), iconWord(request.icon),
               request.text.c_str());
  if (n == 1) {
    std::fflush(out_);
    return c[0].answer;
  }
  for (;;) {
    std::fprintf(out_, "  ");
    for (int i = 0; i < n; ++i) {
      const bool isDefault = c[i].answer == request.defaultAnswer;
      std::fprintf(out_, "%s%c) %s%s", i ? ", " : "", c[i].key, c[i].label,
                   isDefault ? " (default)" : "");
    }
    std::fprintf(out_, "? ");
    std::fflush(out_);
    if (!interactive_) {
      std::fprintf(out_, "\n");
      return request.defaultAnswer;
    }
    char line[64];
    if (!std::fgets(line, sizeof line, in_)) return request.defaultAnswer;
    const char key = char(std::tolower(static_cast<unsigned char>(line[0])));
    if (key == '\n' || key == '\r' || key == '\0') return request.defaultAnswer;
    for (int i = 0; i < n; ++i)
      if (key == c[i].key) return c[i].answer;
  }
}

}  // namespace trv::uninstall
