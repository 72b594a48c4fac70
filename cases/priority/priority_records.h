#pragma once
// The priority resolution over the case, client and product records, as the case form calls it
// when a case opens and when its client or product is entered.
//
// Pure apart from writing into the case record it is given; it reads no file. The caller reads
// the client by the case's short name and the product by its id first and passes what it found.

#include "cases/priority/priority.h"

namespace trv::core {
struct ClientRecord;
struct SercaseRecord;
struct SlaRecord;
}  // namespace trv::core

namespace trv::cases {

// Resolves the case's priority and writes `Priority` and `PriorityFix` into it; the result
// tells the form the label to show and whether the priority list may be changed.
//
// `client` and `product` are the records found for the case, or null when the case names none
// or none was found; a side that is null, that the case does not name, or whose record is not
// the one the case names (a buffer left from an earlier read) does not force. `shownLabel` is
// the label the form shows now, which stays when a forcing side names no valid priority.
[[nodiscard]] PriorityResolution resolveCasePriority(core::SercaseRecord& sercase,
                                                     const core::ClientRecord* client,
                                                     const core::SlaRecord* product,
                                                     const PriorityLabel& shownLabel);

}  // namespace trv::cases
