#pragma once
// One entry of the action queues AFT and BEF.
//
// Both queues share this layout. In AFT (cases whose next open escalation moment lies ahead)
// `Time` and `Date` are the entry's GOODTIME and GOODDATE; in BEF (cases whose moment has
// passed) its LATETIME and LATEDATE.
//
// Case numbers are kept whole: an entry always names exactly the case it was built from, also
// past 65535. The insertion number is as wide, so a queue of more than 65535 entries still
// numbers every entry apart.

#include <cstdint>
#include <string_view>

#include "runtime/text/fixed_string.h"

namespace trv::core {

struct QueueEntry {
  std::uint32_t NR = 0;      // position in the order of insertion during the rebuild, from 1
  std::uint32_t CASENR = 0;  // SER:CaseNr
  std::uint16_t NEWUPDATE =
      0;  // SER:UpdateFlag: 0 seen by the owner, 1 changed by another, 2 on hold
  text::FixedString<7> PRIORITY;
  text::FixedString<6> CLIENT;
  text::FixedString<4> FASE;  // "Esc1", "Esc2" or "Esc3"
  std::int32_t Time = 0;      // time number of that escalation moment
  std::int32_t Date = 0;      // date number of that escalation moment
  text::FixedString<80> PROBLEM;
  text::FixedString<20> OWNER;
  text::FixedString<7> STATUS;
};

// The phase text of escalation 1, 2 or 3.
constexpr std::string_view phaseName(int escalation) {
  return escalation == 1 ? "Esc1" : escalation == 2 ? "Esc2" : "Esc3";
}

}  // namespace trv::core
