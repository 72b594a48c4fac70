#pragma once
// A MessageSink for tests: records every message raised (its number, the file it named, its
// text and the store's error at the time) and answers as the test sets it up: a question with
// its default button, a message with the level in `answers`, else LevelNotify (LevelFatal for
// the messages that end a window: 10, 23, 26 and 39).

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/data/message_sink.h"
#include "runtime/store/error.h"

namespace trv::testing {

class RecordingSink : public data::MessageSink {
 public:
  struct Raised {
    int id;
    std::string file;
    std::string text;
    store::Code code;
  };

  data::Level raise(int id) override { return raiseWithText(id, {}); }
  data::Level raiseWithText(int id, std::string_view text) override {
    raised.push_back({id, file_, std::string(text), store::lastError().code});
    if (onRaise) onRaise(id);
    auto it = answers.find(id);
    if (it != answers.end()) return it->second;
    return (id == 10 || id == 23 || id == 26 || id == 39) ? data::LevelFatal : data::LevelNotify;
  }
  data::MessageButton showMessage(int id, int, data::MessageButton defaultButton) override {
    raised.push_back({id, file_, {}, store::lastError().code});
    return defaultButton;
  }
  void setFileName(std::string_view name) override { file_ = name; }
  void setFieldName(std::string_view) override {}

  // The numbers raised, in order.
  std::vector<int> ids() const {
    std::vector<int> out;
    for (const Raised& r : raised) out.push_back(r.id);
    return out;
  }

  std::vector<Raised> raised;
  std::map<int, data::Level> answers;
  // Called with each message's number as it is raised, e.g. to check what holds while it shows.
  std::function<void(int)> onRaise;

 private:
  std::string file_;
};

}  // namespace trv::testing
