#pragma once
// A MessageSink that records what was raised and answers as a test sets it up.

#include <map>
#include <string>
#include <vector>

#include "runtime/data/message_sink.h"
#include "runtime/store/error.h"

namespace trv::data::testing {

class RecordingSink : public MessageSink {
 public:
  struct Raised {
    int id;
    std::string file;
    std::string text;
    store::Code code;  // the store's last error when raised
  };

  Level raise(int id) override { return raiseWithText(id, {}); }
  Level raiseWithText(int id, std::string_view text) override {
    raised.push_back({id, file_, std::string(text), store::lastError().code});
    auto it = answers.find(id);
    if (it != answers.end()) return it->second;
    return (id == 10 || id == 23 || id == 26 || id == 39) ? LevelFatal : LevelNotify;
  }
  MessageButton showMessage(int id, int, MessageButton defaultButton) override {
    raised.push_back({id, file_, {}, store::lastError().code});
    return defaultButton;
  }
  void setFileName(std::string_view name) override { file_ = name; }
  void setFieldName(std::string_view) override {}

  std::vector<int> ids() const {
    std::vector<int> out;
    for (const Raised& r : raised) out.push_back(r.id);
    return out;
  }

  std::vector<Raised> raised;
  std::map<int, Level> answers;

 private:
  std::string file_;
};

}  // namespace trv::data::testing
