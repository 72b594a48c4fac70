#pragma once
// A message sink for tests: records the message numbers raised, answers every question with the
// default button and every notice as shown.

#include <string_view>
#include <vector>

#include "runtime/data/message_sink.h"

namespace trv::testing {

class RecordingSink final : public data::MessageSink {
 public:
  data::Level raise(int id) override {
    raised.push_back(id);
    return data::LevelNotify;
  }
  data::Level raiseWithText(int id, std::string_view) override { return raise(id); }
  data::MessageButton showMessage(int, int, data::MessageButton d) override { return d; }
  void setFileName(std::string_view) override {}
  void setFieldName(std::string_view) override {}

  std::vector<int> raised;
};

}  // namespace trv::testing
