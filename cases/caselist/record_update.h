#pragma once
// Writing a record over its stored version from the case list and its assignment window, with
// the common messages of a list's update: the record changed by another station since it was
// read (message 6), any other failure of the store (message 25).

#include <string>

namespace trv::core {
class ProgramState;
}
namespace trv::data {
class FileRelations;
}

namespace trv::cases {

struct UpdateResult {
  bool ok = false;
  std::string errorText;  // the store's text of the failure ("Record Changed By Another ...")
};

// Writes the file's buffer over the record at its position, through its relations (one
// transaction). On failure the transaction is rolled back before any message is shown.
UpdateResult updateWithMessages(core::ProgramState& state, data::FileRelations& file);

}  // namespace trv::cases
