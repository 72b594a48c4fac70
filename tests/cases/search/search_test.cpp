#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cases/search/search_hits.h"
#include "cases/search/search_scan.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/data/file_access.h"
#include "tests/support/recording_sink.h"

namespace trv::cases {
namespace {

TEST(PhraseMatcher, ContainsInUpperCaseWithLeadingBlanksCounting) {
  struct Case {
    const char* phrase;
    const char* text;
    bool found;
  };
  const Case cases[] = {
      {"acme", "Zed Trading ACME", true},
      {"ACME  ", "acme", true},    // the phrase's trailing blanks go
      {" ltd", "Acme Ltd", true},  // a leading blank counts
      {" acme", "Acme Ltd", false},
      {"ltd ", "Acme Ltd    ", true},  // the field's trailing blanks are its text
      {"ltd  x", "Acme Ltd  x", true},
      {"\xe9t\xe9", "\xc9T\xc9 Corp", true},  // accented letters fold too
      {"toner", "tone", false},
      {"", "anything", false},
      {"   ", "anything", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PhraseMatcher(c.phrase).foundIn(c.text), c.found) << c.phrase << " in " << c.text;
}

TEST(PhraseAsCaseNr, DigitsOnlyElseZero) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"12", 12},       {" 12 ", 12}, {"0012", 12},
      {"12x", 0},       {"x", 0},     {"", 0},
      {"-3", 0},        {"+3", 0},    {"4294967295", 4294967295u},
      {"4294967296", 0}};
  for (const auto& [phrase, nr] : cases) EXPECT_EQ(phraseAsCaseNr(phrase), nr) << phrase;
}

TEST(SortHits, ByColumnWithoutRegardToCaseKeepingHitOrderForEqualValues) {
  SearchHits hits = {{1, 30, "b", "beta", "", "", "", "Case"},
                     {2, 10, "A", "Alpha", "", "", "", "Archive"},
                     {3, 20, "a", "alpha", "", "", "", "Case"}};
  auto nrs = [&] {
    std::vector<std::uint32_t> v;
    for (const SearchHit& h : hits) v.push_back(h.NR);
    return v;
  };
  sortHits(hits, sortColumnOfLabel("Client Name"), false);
  EXPECT_EQ(nrs(), (std::vector<std::uint32_t>{2, 3, 1}));
  sortHits(hits, 2, true);
  EXPECT_EQ(nrs(), (std::vector<std::uint32_t>{1, 3, 2}));
  sortHits(hits, 8, false);
  EXPECT_EQ(nrs(), (std::vector<std::uint32_t>{2, 1, 3}));
  sortHits(hits, sortColumnOfLabel("Case History"), false);
  EXPECT_EQ(nrs(), (std::vector<std::uint32_t>{1, 2, 3}));
}

// A case file and a knowledge base in a temporary folder, open on this thread.
class SearchScanTest : public ::testing::Test {
 protected:
  SearchScanTest() {
    folder_ = std::filesystem::temp_directory_path() /
              ("trv_search_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    cases_.setName(core::filePath(folder_.string(), core::DataFile::Sercase));
    archive_.setName(core::filePath(folder_.string(), core::DataFile::Archive));
    EXPECT_EQ(cases_.open(), data::LevelOk);
    EXPECT_EQ(archive_.open(), data::LevelOk);
  }
  ~SearchScanTest() override {
    cases_.shutdown();
    archive_.shutdown();
    std::filesystem::remove_all(folder_);
  }

  void addCase(data::FileAccess& f, std::uint32_t nr, const char* name, const char* history) {
    f.primeRecord();
    // The case fields lie alike at the head of both records.
    core::ArchiveRecord r;
    r.CASENR = nr;
    r.LNAME = name;
    r.SNAME = "C" + std::to_string(nr);
    std::memcpy(f.buffer().record.data(), &r, sizeof r);
    f.memo(&f == &cases_ ? "SER:History" : "ARC:History") = history;
    ASSERT_EQ(f.add(), store::Ok);
  }

  std::vector<SearchScan::Source> both() { return {{&cases_, "Case"}, {&archive_, "Archive"}}; }

  std::filesystem::path folder_;
  testing::RecordingSink sink_;
  data::FileAccess cases_{core::declaration(core::DataFile::Sercase), sink_};
  data::FileAccess archive_{core::declaration(core::DataFile::Archive), sink_};
};

TEST_F(SearchScanTest, HitsNumberedThroughBothFilesWhateverTheBatchSize) {
  for (std::uint32_t nr = 1; nr <= 30; ++nr)
    addCase(cases_, nr, nr % 3 == 0 ? "Acme Ltd" : "Beta Ltd", nr % 10 == 0 ? "PRINTER" : "");
  for (std::uint32_t nr = 100; nr < 105; ++nr) addCase(archive_, nr, "acme corp", "printer jam");
  for (int batch : {1, 7, 1000}) {
    SearchHits hits;
    SearchScan scan(both(), SearchSubject::ClientName, "ACME", hits);
    int steps = 0;
    while (scan.Step(batch)) ++steps;
    EXPECT_EQ(scan.failure(), store::Ok);
    EXPECT_EQ(scan.read(), 35u);
    EXPECT_EQ(scan.percent(), 100);
    ASSERT_EQ(hits.size(), 15u) << batch;
    for (std::size_t i = 0; i < hits.size(); ++i) EXPECT_EQ(hits[i].NR, i + 1);
    EXPECT_EQ(hits[9].CASENR, 30u);
    EXPECT_EQ(hits[9].FROMFILE, "Case");
    EXPECT_EQ(hits[10].CASENR, 100u);
    EXPECT_EQ(hits[10].FROMFILE, "Archive");
    EXPECT_EQ(hits[10].LNAME, "acme corp");
    EXPECT_GE(steps, batch == 1 ? 34 : 0);
  }
  // The scan by name left the memos unread; the file reads them again afterwards.
  ASSERT_EQ(cases_.setFileOrder(), store::Ok);
  ASSERT_EQ(cases_.next(), store::Ok);
  ASSERT_EQ(cases_.next(), store::Ok);
  ASSERT_EQ(cases_.next(), store::Ok);
  EXPECT_EQ(cases_.memo("SER:History"), "");
  for (int i = 0; i < 7; ++i) ASSERT_EQ(cases_.next(), store::Ok);
  EXPECT_EQ(cases_.memo("SER:History"), "PRINTER");

  SearchHits history;
  SearchScan scan({{&archive_, "Archive"}, {&cases_, "Case"}}, SearchSubject::History, "print",
                  history);
  while (scan.Step(4)) {
  }
  ASSERT_EQ(history.size(), 8u);
  EXPECT_EQ(history[0].FROMFILE, "Archive");
  EXPECT_EQ(history[5].CASENR, 10u);
}

TEST_F(SearchScanTest, NothingToReadForACaseNumberOrAnEmptyScope) {
  addCase(cases_, 1, "Acme", "");
  SearchHits hits;
  SearchScan byNumber(both(), SearchSubject::CaseNr, "1", hits);
  EXPECT_FALSE(byNumber.Step(10));
  SearchScan none({}, SearchSubject::ClientName, "acme", hits);
  EXPECT_FALSE(none.Step(10));
  EXPECT_EQ(none.percent(), 0);
  EXPECT_EQ(byNumber.percent(), 0);
  EXPECT_TRUE(hits.empty());
}

}  // namespace
}  // namespace trv::cases
