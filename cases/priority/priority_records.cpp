#include "cases/priority/priority_records.h"

#include "core/data/records.h"
#include "runtime/text/fixed_string.h"

namespace trv::cases {
namespace {

// Key fields compare without regard to case; a blank one names nothing.
bool names(std::string_view onCase, std::string_view onRecord) {
  return !text::clip(onCase).empty() && text::equalNoCase(onCase, onRecord);
}

std::string_view keyOf(const core::ClientRecord& client) {
  return client.SName.view();
}
std::string_view keyOf(const core::SlaRecord& product) {
  return product.IDProduct.view();
}

template <typename Record>
PriorityClaim claimOf(const Record* record, std::string_view onCase) {
  if (record == nullptr || !names(onCase, keyOf(*record))) return {};
  return {record->PriorityFix != 0, record->Priority.view()};
}

}  // namespace

PriorityResolution resolveCasePriority(core::SercaseRecord& sercase,
                                       const core::ClientRecord* client,
                                       const core::SlaRecord* product,
                                       const PriorityLabel& shownLabel) {
  const PriorityClaim byClient = claimOf(client, sercase.SName.view());
  const PriorityClaim byProduct = claimOf(product, sercase.IDProduct.view());
  PriorityResolution r = resolvePriority(byClient, byProduct, sercase.Priority.view(), shownLabel);
  sercase.Priority = r.priority;
  sercase.PriorityFix = r.forced ? 1 : 0;
  return r;
}

}  // namespace trv::cases
