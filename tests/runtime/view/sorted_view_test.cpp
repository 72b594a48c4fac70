// A view in a sorted order that no key gives, read from a snapshot: paged in both directions and
// located, against a plain model of the order; records changed, deleted and added after the
// snapshot; every read a search, never a scan.

#include <algorithm>
#include <cctype>
#include <tuple>

#include "runtime/store/record_codec.h"
#include "tests/runtime/view/view_fixture.h"

namespace trv::view {
namespace {

using store::SortPart;
using testing::Item;

constexpr int kNr = 0;
constexpr int kName = 1;
constexpr int kGroup = 2;
constexpr int kWhen = 3;

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

class SortedViewTest : public testing::ViewTest {
 protected:
  // Names in mixed letter case (the name key is unique, so they differ in a number; every
  // fifth is blank and out of the key, so blanks tie); groups and When repeat; When goes below
  // zero.
  void addMixed(int n) {
    static const char* const kNames[] = {"pear",     "Apple", "apple", "Fig",  "APPLE",
                                         "fig tree", "b",     "B",     "kiwi", "a b"};
    ASSERT_EQ(conn_.begin(), store::Ok);
    for (int i = 0; i < n; ++i) {
      const std::string name =
          i % 5 == 0 ? std::string() : kNames[(i * 7) % 10] + std::to_string(i);
      store::RecordBuffer b = store::testing::itemBuffer(
          decl_,
          Item{0, name, i % 3 == 0 ? "g" : "G", static_cast<std::int32_t>((i * 37) % 23) - 11});
      ASSERT_EQ(conn_.add(id_, b), store::Ok);
    }
    ASSERT_EQ(conn_.commit(), store::Ok);
  }

  // Every record of the file in the parts' order, ties by row: the model.
  std::vector<std::int64_t> modelOrder(const std::vector<SortPart>& parts) {
    ViewReader all(conn_, id_, decl_);
    all.SetKeyOrder(-1);
    std::vector<store::RecordBuffer> rows;
    EXPECT_EQ(all.first(10000, rows), store::Ok);
    auto less = [&](const store::RecordBuffer& a, const store::RecordBuffer& b) {
      for (const SortPart& p : parts) {
        const store::FieldDecl& f = decl_.fields[static_cast<std::size_t>(p.field)];
        int c = 0;
        if (f.type == store::FieldType::String) {
          std::string x = store::fieldText(f, a.record.data());
          std::string y = store::fieldText(f, b.record.data());
          if (p.caseBlind) x = upper(x), y = upper(y);
          c = x.compare(y);
        } else {
          const auto x = store::readNumber(f, a.record.data());
          const auto y = store::readNumber(f, b.record.data());
          c = x < y ? -1 : x > y ? 1 : 0;
        }
        if (p.descending) c = -c;
        if (c != 0) return c < 0;
      }
      return a.position.row < b.position.row;
    };
    std::sort(rows.begin(), rows.end(), less);
    std::vector<std::int64_t> order;
    for (const auto& r : rows) order.push_back(r.position.row);
    return order;
  }

  static std::vector<std::int64_t> rowsOf(const std::vector<store::RecordBuffer>& rs) {
    std::vector<std::int64_t> out;
    for (const auto& r : rs) out.push_back(r.position.row);
    return out;
  }

  // The whole view paged forwards (and backwards) `page` records at a time.
  std::vector<std::int64_t> pagedForwards(ViewReader& v, int page) {
    std::vector<store::RecordBuffer> all;
    EXPECT_EQ(v.first(page, all), store::Ok);
    while (!all.empty()) {
      std::vector<store::RecordBuffer> more;
      EXPECT_EQ(v.after(all.back(), page, more), store::Ok);
      if (more.empty()) break;
      for (auto& m : more) all.push_back(std::move(m));
    }
    return rowsOf(all);
  }
  std::vector<std::int64_t> pagedBackwards(ViewReader& v, int page) {
    std::vector<store::RecordBuffer> all;
    EXPECT_EQ(v.last(page, all), store::Ok);
    while (!all.empty()) {
      std::vector<store::RecordBuffer> more;
      EXPECT_EQ(v.before(all.front(), page, more), store::Ok);
      if (more.empty()) break;
      for (auto& r : all) more.push_back(std::move(r));
      all = std::move(more);
    }
    return rowsOf(all);
  }
};

TEST_F(SortedViewTest, PagesInBothDirectionsFollowTheOrderWithTiesByRow) {
  addMixed(61);
  const std::vector<std::vector<SortPart>> orders = {
      {{kName, false, true}},                          // UPPER(name)
      {{kName, true, true}},                           // -UPPER(name)
      {{kWhen, true, true}, {kName, false, true}},     // -when, then UPPER(name)
      {{kGroup, false, false}, {kWhen, false, true}},  // group with its case, then when
  };
  for (std::size_t i = 0; i < orders.size(); ++i) {
    SCOPED_TRACE("order " + std::to_string(i));
    ViewReader v(conn_, id_, decl_);
    v.SetSortOrder(orders[i]);
    const auto model = modelOrder(orders[i]);
    ASSERT_EQ(model.size(), 61u);
    EXPECT_EQ(pagedForwards(v, 7), model);
    EXPECT_EQ(pagedBackwards(v, 5), model);
  }
}

TEST_F(SortedViewTest, TheLocatorFindsTheFirstValueFromTheTypedTextInEitherDirection) {
  addMixed(40);
  for (bool descending : {false, true}) {
    SCOPED_TRACE(descending ? "descending" : "ascending");
    ViewReader v(conn_, id_, decl_);
    v.SetSortOrder({{kName, descending, true}});
    const auto model = modelOrder({{kName, descending, true}});
    for (const char* typed : {"f", "A", "b", "z", "0"}) {
      std::vector<store::RecordBuffer> found;
      ASSERT_EQ(v.from(probe(Item{0, typed, "", 0}), 1, found), store::Ok);
      // The model's answer: the first record, in order, whose name's start is not before the
      // typed text (ascending) / not after it (descending).
      std::int64_t expected = -1;
      for (std::int64_t row : model) {
        store::RecordBuffer r(decl_);
        ASSERT_EQ(conn_.get(id_, {row, 0}, r), store::Ok);
        const std::string n = upper(name(r)).substr(0, 1);
        const std::string t = upper(typed);
        if (descending ? n <= t : n >= t) {
          expected = row;
          break;
        }
      }
      if (expected < 0) {
        EXPECT_TRUE(found.empty()) << typed;
      } else {
        ASSERT_EQ(found.size(), 1u) << typed;
        EXPECT_EQ(found[0].position.row, expected) << typed;
      }
    }
  }
}

TEST_F(SortedViewTest,
       RecordsChangedSinceKeepTheirPlaceDeletedOnesAreSkippedAddedOnesShowOnResort) {
  addItems(10);  // N001 .. N010
  ViewReader v(conn_, id_, decl_);
  v.SetSortOrder({{kName, true, true}});  // N010 first
  std::vector<store::RecordBuffer> page;
  ASSERT_EQ(v.first(3, page), store::Ok);
  ASSERT_EQ(names(page), (std::vector<std::string>{"N010", "N009", "N008"}));

  // Another station renames N009 to A009 and deletes N008; a new record M is added.
  store::RecordBuffer renamed = page[1];
  (void)store::setFieldText(decl_.fields[kName], renamed.record.data(), "A009");
  renamed.position.version = 0;
  ASSERT_EQ(conn_.put(id_, renamed), store::Ok);
  ASSERT_EQ(conn_.remove(id_, {page[2].position.row, 0}), store::Ok);
  store::RecordBuffer added = probe(Item{0, "N0085", "G", 0});
  ASSERT_EQ(conn_.add(id_, added), store::Ok);

  std::vector<store::RecordBuffer> again;
  ASSERT_EQ(v.first(3, again), store::Ok);
  EXPECT_EQ(names(again), (std::vector<std::string>{"N010", "A009", "N007"}));
  // Paging on from the added record (a list that just wrote it) goes on from its place.
  std::vector<store::RecordBuffer> after;
  ASSERT_EQ(v.after(added, 2, after), store::Ok);
  EXPECT_EQ(names(after), (std::vector<std::string>{"N007", "N006"}));

  v.Resort();
  std::vector<store::RecordBuffer> resorted;
  ASSERT_EQ(v.first(4, resorted), store::Ok);
  EXPECT_EQ(names(resorted), (std::vector<std::string>{"N010", "N0085", "N007", "N006"}));
}

TEST_F(SortedViewTest, AnOrderThatTheNumberKeyGivesReadsTheKeyAndShowsTheSnapshotsRows) {
  addMixed(30);
  // Numbers out of row order, so the key's order is not the file's.
  ASSERT_EQ(conn_.begin(), store::Ok);
  for (std::uint32_t nr : {900u, 35u, 500u, 31u}) {
    store::RecordBuffer b =
        store::testing::itemBuffer(decl_, Item{nr, "x" + std::to_string(nr), "G", 0});
    ASSERT_EQ(conn_.add(id_, b), store::Ok);
  }
  ASSERT_EQ(conn_.commit(), store::Ok);
  EXPECT_EQ(ViewReader::keyGivingOrder(decl_, {{kNr, false, true}}), 0);
  EXPECT_EQ(ViewReader::keyGivingOrder(decl_, {{kNr, true, true}}), 0);
  // Not given by a key: a text field, more than one part.
  EXPECT_EQ(ViewReader::keyGivingOrder(decl_, {{kName, false, true}}), -1);
  EXPECT_EQ(ViewReader::keyGivingOrder(decl_, {{kNr, false, true}, {kName, false, true}}), -1);

  for (const bool descending : {false, true}) {
    SCOPED_TRACE(descending ? "descending" : "ascending");
    const std::vector<SortPart> byNr = {{kNr, descending, true}};
    const int taken = ViewReader::TEST_snapshotsTaken();
    ViewReader keyed(conn_, id_, decl_);
    keyed.SetSortOrder(byNr);
    // The same order twice is given by no key: a snapshot, for comparison.
    ViewReader snapped(conn_, id_, decl_);
    snapped.SetSortOrder({{kNr, descending, true}, {kNr, descending, true}});
    const auto model = modelOrder(byNr);
    ASSERT_EQ(model.size(), 34u);
    EXPECT_EQ(pagedForwards(keyed, 7), model);
    EXPECT_EQ(pagedBackwards(keyed, 5), model);
    EXPECT_EQ(pagedForwards(snapped, 7), model);
    for (std::uint32_t typed : {0u, 7u, 32u, 500u, 501u, 1000u}) {
      std::vector<store::RecordBuffer> a, b;
      ASSERT_EQ(keyed.from(probe(Item{typed, "", "", 0}), 3, a), store::Ok);
      ASSERT_EQ(snapped.from(probe(Item{typed, "", "", 0}), 3, b), store::Ok);
      EXPECT_EQ(rowsOf(a), rowsOf(b)) << typed;
    }
    // A range and filters only narrow, as they do a snapshot.
    for (ViewReader* v : {&keyed, &snapped}) {
      v->SetRange(probe(Item{500, "", "", 0}), probe(Item{500, "", "", 0}),
                  [&](const store::RecordBuffer& r) { return name(r).rfind('x', 0) != 0; });
      v->SetNamedFilter("g", [&](const store::RecordBuffer& r) {
        return store::testing::field(decl_, r, kGroup) == "G";
      });
    }
    EXPECT_EQ(pagedForwards(keyed, 4), pagedForwards(snapped, 4));
    EXPECT_EQ(pagedBackwards(keyed, 4), pagedBackwards(snapped, 4));
    EXPECT_FALSE(pagedForwards(keyed, 4).empty());
    // Only the comparison view sorted the file.
    EXPECT_EQ(ViewReader::TEST_snapshotsTaken(), taken + 1);
  }
}

TEST_F(SortedViewTest, EveryReadOfTheSnapshotIsASearch) {
  addItems(50);
  std::unique_ptr<store::SortSnapshot> s;
  ASSERT_EQ(store::SortSnapshot::take(conn_, id_, {{kName, false, true}}, &s), store::Ok);
  EXPECT_EQ(s->size(), 50);
  const std::string plans = s->TEST_plans();
  EXPECT_EQ(plans.find("SCAN"), std::string::npos) << plans;
  EXPECT_NE(plans.find("SEARCH"), std::string::npos) << plans;
  // The memo comes with the record.
  std::vector<store::RecordBuffer> out;
  std::vector<std::int64_t> places;
  ASSERT_EQ(s->read(49, false, 2, out, places), store::Ok);
  EXPECT_EQ(names(out), (std::vector<std::string>{"N050", "N049"}));
  EXPECT_EQ(places, (std::vector<std::int64_t>{49, 48}));
  EXPECT_EQ(out[0].memos.size(), 1u);
}

// Resort takes the snapshot again only when the file changed since: by a write here, or by a
// commit of another station; an unchanged file keeps it. A snapshot taken inside a transaction
// reads the file as the transaction sees it.
TEST_F(SortedViewTest, ResortTakesTheSnapshotAgainOnlyWhenTheFileChanged) {
  addItems(6);
  store::Connection other;
  store::FileId otherId = -1;
  ASSERT_EQ(other.open(decl_, dir_.file("Item.kvx"), store::OpenMode::Shared, &otherId), store::Ok);
  ViewReader v(conn_, id_, decl_);
  v.SetSortOrder({{kName, true, true}});
  std::vector<store::RecordBuffer> page;
  ASSERT_EQ(v.first(2, page), store::Ok);
  const int taken = ViewReader::TEST_snapshotsTaken();
  auto firstTwo = [&] {
    v.Resort();
    std::vector<store::RecordBuffer> rows;
    EXPECT_EQ(v.first(2, rows), store::Ok);
    return names(rows);
  };

  EXPECT_EQ(firstTwo(), (std::vector<std::string>{"N006", "N005"}));
  v.SetSortOrder({{kName, true, true}});  // the same order again
  EXPECT_EQ(firstTwo(), (std::vector<std::string>{"N006", "N005"}));
  EXPECT_EQ(ViewReader::TEST_snapshotsTaken(), taken);

  store::RecordBuffer added = probe(Item{0, "N0055", "G", 0});
  ASSERT_EQ(other.add(otherId, added), store::Ok);
  EXPECT_EQ(firstTwo(), (std::vector<std::string>{"N006", "N0055"}));
  EXPECT_EQ(ViewReader::TEST_snapshotsTaken(), taken + 1);

  ASSERT_EQ(conn_.remove(id_, {page[0].position.row, 0}), store::Ok);
  EXPECT_EQ(firstTwo(), (std::vector<std::string>{"N0055", "N005"}));
  EXPECT_EQ(ViewReader::TEST_snapshotsTaken(), taken + 2);
  EXPECT_EQ(firstTwo(), (std::vector<std::string>{"N0055", "N005"}));
  EXPECT_EQ(ViewReader::TEST_snapshotsTaken(), taken + 2);

  ASSERT_EQ(conn_.begin(), store::Ok);
  store::RecordBuffer inside = probe(Item{0, "N009", "G", 0});
  ASSERT_EQ(conn_.add(id_, inside), store::Ok);
  EXPECT_EQ(firstTwo(), (std::vector<std::string>{"N009", "N0055"}));
  conn_.rollback();
  EXPECT_EQ(firstTwo(), (std::vector<std::string>{"N0055", "N005"}));

  // A change of order rolled back is sorted again: the snapshot had the transaction's order.
  ASSERT_EQ(conn_.begin(), store::Ok);
  store::RecordBuffer moved = added;
  store::setFieldText(decl_.fields[kName], moved.record.data(), "N000");
  ASSERT_EQ(conn_.put(id_, moved), store::Ok);
  EXPECT_EQ(firstTwo(), (std::vector<std::string>{"N005", "N004"}));
  conn_.rollback();
  EXPECT_EQ(firstTwo(), (std::vector<std::string>{"N0055", "N005"}));
  other.close(otherId);
}

}  // namespace
}  // namespace trv::view
