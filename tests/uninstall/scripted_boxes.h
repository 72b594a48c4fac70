#pragma once
// A message-box double: records every box and answers with a script (the default button
// unless the test says otherwise).

#include <functional>
#include <vector>

#include "uninstall/message_box.h"

namespace trv::uninstall {

class ScriptedBoxes final : public MessageBoxes {
 public:
  MessageAnswer show(const MessageBoxRequest& request) override {
    shown.push_back(request);
    return answer ? answer(request) : request.defaultAnswer;
  }

  std::vector<std::string> texts() const {
    std::vector<std::string> t;
    for (const auto& r : shown) t.push_back(r.text);
    return t;
  }

  std::vector<MessageBoxRequest> shown;
  std::function<MessageAnswer(const MessageBoxRequest&)> answer;
};

}  // namespace trv::uninstall
