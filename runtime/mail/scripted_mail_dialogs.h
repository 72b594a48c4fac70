#pragma once
// A test double for MailDialogs: answers from a script and keeps what it was asked.

#include <deque>
#include <functional>

#include "runtime/mail/mail_dialogs.h"

namespace trv::mail {

class ScriptedMailDialogs final : public MailDialogs {
 public:
  // Next address-book answer; nothing means the user cancels.
  void answerAddress(std::optional<std::vector<MapiRecipDesc>> answer) {
    addressAnswers_.push_back(std::move(answer));
  }
  // Next compose answer: edit changes the draft as the user would; no edit means cancel.
  void answerCompose(std::function<void(MapiMessage&)> edit) {
    composeAnswers_.push_back(std::move(edit));
  }

  std::optional<std::vector<MapiRecipDesc>> chooseRecipients(
      const AddressRequest& request) override {
    addressRequests.push_back(request);
    if (addressAnswers_.empty()) return std::nullopt;
    auto answer = std::move(addressAnswers_.front());
    addressAnswers_.pop_front();
    return answer;
  }

  std::optional<MapiMessage> composeMessage(const MapiMessage& draft,
                                            const std::vector<AddressEntry>&) override {
    composeDrafts.push_back(draft);
    if (composeAnswers_.empty()) return std::nullopt;
    auto edit = std::move(composeAnswers_.front());
    composeAnswers_.pop_front();
    if (!edit) return std::nullopt;
    MapiMessage done = draft;
    edit(done);
    return done;
  }

  std::vector<AddressRequest> addressRequests;
  std::vector<MapiMessage> composeDrafts;

 private:
  std::deque<std::optional<std::vector<MapiRecipDesc>>> addressAnswers_;
  std::deque<std::function<void(MapiMessage&)>> composeAnswers_;
};

}  // namespace trv::mail
