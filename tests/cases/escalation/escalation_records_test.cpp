#include "cases/escalation/escalation_records.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/data/records.h"
#include "runtime/text/date_time.h"
#include "tests/packed.h"

namespace trv::cases {
namespace {

std::int32_t may(int d) {
  return *text::dateNumber(2002, 5, d);
}
std::int32_t hm(int h, int m) {
  return *text::timeNumber(h, m);
}

bool sameBytes(const core::SercaseRecord& a, const core::SercaseRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class EscalationRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    product_.IDProduct = "LLI";
    product_.ServiceShift = 1;
    product_.ServiceStart = hm(8, 0);
    product_.ServiceEnd = hm(17, 0);
    product_.FirstEsc = hm(4, 0);
    product_.SecEsc = 0;
    product_.SecEscDays = 2;
    product_.ThdEsc = hm(20, 0);

    sercase_.IDProduct = "lli";
    sercase_.SDate = may(6);
    sercase_.STime = hm(10, 0);
    sercase_.FirstAction = "N";
    sercase_.SecAction = "N";
    sercase_.ThirdAction = "N";
  }

  core::SlaRecord product_;
  core::SercaseRecord sercase_;
};

TEST_F(EscalationRecords, WritesTheMomentsAndMarksOfEachDefinedEscalation) {
  const EscalationResult r = applyEscalationMoments(sercase_, &product_);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.window, (ServiceWindow{1, hm(8, 0), hm(17, 0)}));
  EXPECT_EQ(trv::testing::packed(sercase_.FirstEscDate), may(6));
  EXPECT_EQ(trv::testing::packed(sercase_.FirstEscTime), hm(14, 0) + 1);
  EXPECT_EQ(sercase_.FirstAction, "N");
  EXPECT_EQ(trv::testing::packed(sercase_.SecEscDate), may(13));
  EXPECT_EQ(trv::testing::packed(sercase_.SecEscTime), hm(13, 0));
  EXPECT_EQ(sercase_.SecAction, "N");
  // 20 hours from 10:00: two service days, then 10:00 plus 2 hours.
  EXPECT_EQ(trv::testing::packed(sercase_.ThirdEscDate), may(8));
  EXPECT_EQ(trv::testing::packed(sercase_.ThirdEscTime), hm(12, 0) + 1);
  EXPECT_EQ(sercase_.ThirdAction, "N");
}

TEST_F(EscalationRecords, ClearsEscalationsTheProductDoesNotDefine) {
  sercase_.SecEscDate = 1;
  sercase_.ThirdEscTime = 1;
  product_.SecEscDays = 0;
  ASSERT_TRUE(applyEscalationMoments(sercase_, &product_).ok());
  EXPECT_EQ(sercase_.FirstAction, "N");
  EXPECT_EQ(trv::testing::packed(sercase_.SecEscDate), 0);
  EXPECT_EQ(trv::testing::packed(sercase_.SecEscTime), 0);
  EXPECT_TRUE(sercase_.SecAction.blank());
  EXPECT_EQ(trv::testing::packed(sercase_.ThirdEscDate), 0);
  EXPECT_EQ(trv::testing::packed(sercase_.ThirdEscTime), 0);
  EXPECT_TRUE(sercase_.ThirdAction.blank());
}

TEST_F(EscalationRecords, LeavesTheCaseAsItWasWhenNothingSoundCanBeComputed) {
  core::SlaRecord otherProduct = product_;
  otherProduct.IDProduct = "OTHER";
  core::SlaRecord endsAtStart = product_;
  endsAtStart.ServiceEnd = endsAtStart.ServiceStart;
  struct Case {
    const char* name;
    const core::SlaRecord* product;
    EscalationFault fault;
  };
  const Case cases[] = {
      {"product not read", nullptr, EscalationFault::ProductUnreadable},
      {"buffer of another product", &otherProduct, EscalationFault::ProductUnreadable},
      {"office hours that end at their start", &endsAtStart, EscalationFault::ServiceHoursInvalid},
  };
  for (const Case& c : cases) {
    const core::SercaseRecord before = sercase_;
    const EscalationResult r = applyEscalationMoments(sercase_, c.product);
    EXPECT_EQ(r.fault, c.fault) << c.name;
    EXPECT_TRUE(sameBytes(sercase_, before)) << c.name;
  }

  sercase_.IDProduct = "";
  product_.IDProduct = "";
  EXPECT_EQ(applyEscalationMoments(sercase_, &product_).fault, EscalationFault::ProductUnreadable);
}

}  // namespace
}  // namespace trv::cases
