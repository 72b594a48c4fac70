#pragma once
// The escalation computation over the case and product records, as the case form calls it when
// a new case is saved.
//
// Pure apart from writing into the case record it is given; it reads no file. The caller reads
// the product by the case's product id first and passes what it found.

#include "cases/escalation/escalation.h"

namespace trv::core {
struct SercaseRecord;
struct SlaRecord;
}  // namespace trv::core

namespace trv::cases {

// The service level a product record stores.
[[nodiscard]] ServiceLevel serviceLevelOf(const core::SlaRecord& product);

// Computes the escalation moments of a new case from its start and its product, and writes
// them into the case: the three escalation dates and times and the done marks ("N" for each
// escalation the product defines, blank for one it does not).
//
// `product` is the case's product as just read by its id, or null when the read failed. A null
// product, or one whose id is not the case's (a buffer left from an earlier read), gives
// ProductUnreadable: nothing is computed from it, and the case form shows the file error and
// refuses the save. On every fault the case record is left exactly as it was; the result's
// service window is filled whenever a matching product was given.
[[nodiscard]] EscalationResult applyEscalationMoments(core::SercaseRecord& sercase,
                                                      const core::SlaRecord* product);

}  // namespace trv::cases
