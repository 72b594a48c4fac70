#include "cases/escalation/escalation_records.h"

#include "core/data/records.h"
#include "runtime/text/fixed_string.h"

namespace trv::cases {
namespace {

// Key fields compare without regard to case; a blank id names no product.
bool isProductOf(const core::SlaRecord& product, const core::SercaseRecord& sercase) {
  return !sercase.IDProduct.blank() &&
         text::equalNoCase(product.IDProduct.view(), sercase.IDProduct.view());
}

// Fields of the packed record cannot be bound to references, so the mark is built as a value.
text::FixedString<1> mark(const EscalationMoment& m) {
  return text::FixedString<1>(std::string_view(&m.action, 1));
}

}  // namespace

ServiceLevel serviceLevelOf(const core::SlaRecord& product) {
  ServiceLevel level;
  level.steps = {{{product.FirstEsc, product.FirstEscDays},
                  {product.SecEsc, product.SecEscDays},
                  {product.ThdEsc, product.ThirdEscDays}}};
  level.window = {product.ServiceShift, product.ServiceStart, product.ServiceEnd};
  return level;
}

EscalationResult applyEscalationMoments(core::SercaseRecord& sercase,
                                        const core::SlaRecord* product) {
  if (product == nullptr || !isProductOf(*product, sercase))
    return EscalationResult{EscalationFault::ProductUnreadable, {}, {}};

  const EscalationResult result =
      computeEscalationMoments(serviceLevelOf(*product), {sercase.SDate, sercase.STime});
  if (!result.ok()) return result;

  const auto& m = result.moments;
  sercase.FirstEscDate = m[0].date;
  sercase.FirstEscTime = m[0].time;
  sercase.FirstAction = mark(m[0]);
  sercase.SecEscDate = m[1].date;
  sercase.SecEscTime = m[1].time;
  sercase.SecAction = mark(m[1]);
  sercase.ThirdEscDate = m[2].date;
  sercase.ThirdEscTime = m[2].time;
  sercase.ThirdAction = mark(m[2]);
  return result;
}

}  // namespace trv::cases
