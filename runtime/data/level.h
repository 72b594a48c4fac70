#pragma once
// Result levels of window, form, file-access and message operations.

namespace trv::data {

enum Level : int {
  LevelOk = 0,  // go on
  LevelQuestion = 1,
  LevelProgram = 2,
  LevelFatal = 3,     // stop: a controller that gets it from Init closes without its loop
  LevelDeclined = 4,  // the user said No
  LevelNotify = 5,    // done without the operation
};

}  // namespace trv::data
