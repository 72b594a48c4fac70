#pragma once
// "Delete Clo&sed": every case whose status is "Closed" removed from the case file at once,
// without the case form, its relations or a question per case.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/store/error.h"

namespace trv::data {
class FileAccess;
}

namespace trv::cases {

struct ClosedCasesPass {
  std::uint64_t found = 0;            // closed cases found by the pass
  std::vector<std::uint32_t> failed;  // case numbers of those that could not be deleted
  // The store's failure when the case file could not be read to its end (the closed cases
  // found up to there are deleted); Ok when it was.
  store::Code readFailure = store::Ok;
};

// Reads the case file in record order, then deletes each case found closed, after reading it
// again: a case that another station has re-opened (or deleted) meanwhile is left alone. Calls
// `deleted` with the case number after each deletion. No read statement is left open while a
// record is deleted or `deleted` runs. Requires `sercase` open on the calling thread; uses its
// buffer. `betweenBatches`, when given, is called between batches of the reading and of the
// deletions, with nothing open (long work lets other threads in there); its false (the program
// ends) stops the pass where it is.
ClosedCasesPass deleteClosedCases(data::FileAccess& sercase,
                                  const std::function<void(std::uint32_t caseNr)>& deleted,
                                  const std::function<bool()>& betweenBatches = {});

// The message for the cases that could not be deleted: one line "Error : Case Nr. : N is not
// deleted..." per case (CR LF between lines), the first ten of them and then how many more.
// Empty when none failed.
std::string closedCasesFailureText(const std::vector<std::uint32_t>& failed);

}  // namespace trv::cases
