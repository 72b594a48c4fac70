// Delete Closed over a real case file, and the knowledge-base copy of a case.

#include "cases/caselist/closed_cases.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "cases/caselist/case_archive.h"
#include "core/data/database_tool.h"
#include "core/data/dictionary.h"
#include "core/data/records.h"
#include "tests/packed.h"
#include "tests/runtime/store/test_files.h"
#include "tests/support/recording_sink.h"

namespace trv::cases {
namespace {

using trv::testing::packed;

class ClosedCasesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(core::createStarterDatabase(db_.string()).ok);
    dict_.setUp(sink_);
    dict_.setNames(db_.string());
    ASSERT_EQ(cases().open(), data::LevelOk);
  }
  void TearDown() override {
    store::TEST_setFaults({});
    cases().close();
    dict_.release();
  }
  data::FileAccess& cases() { return *dict_.SercaseAccess; }
  void add(std::uint32_t nr, const char* status) {
    cases().primeRecord();
    core::SercaseRecord& r = cases().record<core::SercaseRecord>();
    r.CaseNr = nr;
    r.Status = status;
    ASSERT_EQ(cases().add(), store::Ok);
  }
  std::vector<std::uint32_t> stored() {
    std::vector<std::uint32_t> out;
    EXPECT_EQ(cases().setFileOrder(), store::Ok);
    while (cases().next() == store::Ok)
      out.push_back(packed(cases().record<core::SercaseRecord>().CaseNr));
    return out;
  }

  store::testing::TempFolder dir_;
  std::filesystem::path db_ = std::filesystem::path(dir_.path()) / "DataBase";
  trv::testing::RecordingSink sink_;
  core::Dictionary dict_;
};

TEST_F(ClosedCasesTest, DeletesEveryClosedCaseAndKeepsTheOthers) {
  add(1, "Active");
  add(2, "Closed");
  add(3, "On Hold");
  add(4, "Closed");
  std::vector<std::uint32_t> deleted;
  const ClosedCasesPass pass =
      deleteClosedCases(cases(), [&](std::uint32_t nr) { deleted.push_back(nr); });
  EXPECT_EQ(pass.found, 2u);
  EXPECT_TRUE(pass.failed.empty());
  EXPECT_EQ(pass.readFailure, store::Ok);
  EXPECT_EQ(deleted, (std::vector<std::uint32_t>{2, 4}));
  EXPECT_EQ(stored(), (std::vector<std::uint32_t>{1, 3}));

  const ClosedCasesPass again = deleteClosedCases(cases(), {});
  EXPECT_EQ(again.found, 0u);
}

// Many closed cases: the pass lets other threads in between batches, with no transaction open,
// and stops where it is once the program ends.
TEST_F(ClosedCasesTest, ALongPassGivesWayBetweenBatchesAndStopsWhenTheProgramEnds) {
  ASSERT_EQ(data::FileAccess::threadConnection().begin(), store::Ok);
  for (std::uint32_t nr = 1; nr <= 1200; ++nr) add(nr, nr % 2 == 0 ? "Active" : "Closed");
  ASSERT_EQ(data::FileAccess::threadConnection().commit(), store::Ok);
  int calls = 0;
  std::size_t deletedAtEnd = 0;
  std::vector<std::uint32_t> deleted;
  const ClosedCasesPass pass = deleteClosedCases(
      cases(), [&](std::uint32_t nr) { deleted.push_back(nr); },
      [&] {
        EXPECT_FALSE(data::FileAccess::threadConnection().inTransaction());
        ++calls;
        // Reading 1200 cases gives way twice; the program ends after the second batch of deletions.
        if (calls < 4) return true;
        deletedAtEnd = deleted.size();
        return false;
      });
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(pass.readFailure, store::Ok);
  EXPECT_GT(deletedAtEnd, 0u);
  EXPECT_EQ(deleted.size(), deletedAtEnd);
  EXPECT_EQ(stored().size(), 1200u - deleted.size());
}

TEST_F(ClosedCasesTest, EveryCaseThatCannotBeDeletedIsReportedAndThePassGoesOn) {
  add(1, "Closed");
  add(2, "Closed");
  add(3, "Active");
  add(4, "Closed");
  // The disk fills up after the first deletion.
  std::vector<std::uint32_t> deleted;
  const ClosedCasesPass pass = deleteClosedCases(cases(), [&](std::uint32_t nr) {
    deleted.push_back(nr);
    store::TEST_setFaults({.diskFullIn = db_.string()});
  });
  store::TEST_setFaults({});
  EXPECT_EQ(pass.found, 3u);
  EXPECT_EQ(deleted, (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(pass.failed, (std::vector<std::uint32_t>{2, 4}));
  EXPECT_EQ(stored(), (std::vector<std::uint32_t>{2, 3, 4}));
}

TEST_F(ClosedCasesTest, ACaseReopenedByAnotherStationMeanwhileStays) {
  add(1, "Closed");
  add(2, "Closed");
  // Another station re-opens case 2 while the pass deletes case 1.
  const ClosedCasesPass pass = deleteClosedCases(cases(), [&](std::uint32_t nr) {
    if (nr != 1) return;
    store::Connection other;
    store::FileId id = -1;
    ASSERT_EQ(other.open(cases().decl(), cases().name(), store::OpenMode::Shared, &id), store::Ok);
    store::RecordBuffer b(cases().decl());
    ASSERT_EQ(other.setFileOrder(id), store::Ok);
    ASSERT_EQ(other.next(id, b), store::Ok);
    core::SercaseRecord r;
    std::memcpy(static_cast<void*>(&r), b.record.data(), sizeof r);
    ASSERT_EQ(packed(r.CaseNr), 2u);
    r.Status = "Active";
    std::memcpy(b.record.data(), &r, sizeof r);
    b.position.version = 0;
    ASSERT_EQ(other.put(id, b), store::Ok);
  });
  EXPECT_EQ(pass.found, 1u);
  EXPECT_TRUE(pass.failed.empty());
  EXPECT_EQ(stored(), (std::vector<std::uint32_t>{2}));
}

TEST(ClosedCasesFailureText, OneLinePerCaseThenHowManyMore) {
  EXPECT_EQ(closedCasesFailureText({}), "");
  EXPECT_EQ(closedCasesFailureText({12}), "Error : Case Nr. : 12 is not deleted...");
  EXPECT_EQ(closedCasesFailureText({3, 70000}),
            "Error : Case Nr. : 3 is not deleted...\r\nError : Case Nr. : 70000 is not deleted...");
  std::vector<std::uint32_t> many;
  for (std::uint32_t i = 1; i <= 13; ++i) many.push_back(i);
  const std::string text = closedCasesFailureText(many);
  EXPECT_NE(text.find("Error : Case Nr. : 10 is not deleted...\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Case Nr. : 11 "), std::string::npos);
  EXPECT_TRUE(text.ends_with("\r\nError : 3 more Cases are not deleted..."));
}

TEST(CaseArchiveCopy, EveryFieldButTheClosingDate) {
  core::SercaseRecord c;
  c.IDkey = 9;
  c.UpdateFlag = 2;
  c.CaseNr = 70001;
  c.SName = "ACME";
  c.LName = "Acme Ltd";
  c.Phone = "555";
  c.Product = "Widget";
  c.IDProduct = "WID";
  c.SProblem = "Jams";
  c.ProblemFix = 2;
  c.Priority = "High";
  c.PriorityFix = 1;
  c.Owner = "Bob";
  c.SDate = 1;
  c.STime = 2;
  c.FirstEscDate = 3;
  c.FirstEscTime = 4;
  c.FirstAction = "D";
  c.SecEscDate = 5;
  c.SecEscTime = 6;
  c.SecAction = "N";
  c.ThirdEscDate = 7;
  c.ThirdEscTime = 8;
  c.ThirdAction = "N";
  c.Status = "Closed";
  c.Cdate = 99;
  core::ArchiveRecord a;
  copyCaseToArchive(c, a);
  EXPECT_EQ(packed(a.IDKEY), 9);
  EXPECT_EQ(packed(a.UPDATEFLAG), 2);
  EXPECT_EQ(packed(a.CASENR), 70001u);
  EXPECT_EQ(a.SNAME.str(), "ACME");
  EXPECT_EQ(a.LNAME.str(), "Acme Ltd");
  EXPECT_EQ(a.PHONE.str(), "555");
  EXPECT_EQ(a.Product.str(), "Widget");
  EXPECT_EQ(a.IDPRODUCT.str(), "WID");
  EXPECT_EQ(a.SProblem.str(), "Jams");
  EXPECT_EQ(a.PROBLEMFIX, 2);
  EXPECT_EQ(a.PRIORITY.str(), "High");
  EXPECT_EQ(a.PRIORITYFIX, 1);
  EXPECT_EQ(a.OWNER.str(), "Bob");
  EXPECT_EQ(packed(a.SDATE), 1);
  EXPECT_EQ(packed(a.STIME), 2);
  EXPECT_EQ(packed(a.FIRSTESCDATE), 3);
  EXPECT_EQ(packed(a.FIRSTESCTIME), 4);
  EXPECT_EQ(a.FIRSTACTION.str(), "D");
  EXPECT_EQ(packed(a.SECESCDATE), 5);
  EXPECT_EQ(packed(a.SECESCTIME), 6);
  EXPECT_EQ(packed(a.THIRDESCDATE), 7);
  EXPECT_EQ(packed(a.THIRDESCTIME), 8);
  EXPECT_EQ(a.STATUS.str(), "Closed");
}

}  // namespace
}  // namespace trv::cases
