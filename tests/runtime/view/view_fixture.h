#pragma once
// A file of items in groups, for view and list tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/view/view_reader.h"
#include "tests/runtime/store/test_files.h"

namespace trv::view::testing {

using store::testing::Item;

class ViewTest : public ::testing::Test {
 protected:
  static constexpr int kNameKey = 1;
  static constexpr int kGroupKey = 2;

  void SetUp() override {
    ASSERT_EQ(conn_.open(decl_, dir_.file("Item.kvx"), store::OpenMode::Shared, &id_), store::Ok);
  }

  // Items "N01".."Nnn"; group "G" + (i % groups), When = i.
  void addItems(int n, int groups = 3) {
    ASSERT_EQ(conn_.begin(), store::Ok);
    for (int i = 1; i <= n; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "N%03d", i);
      store::RecordBuffer b = store::testing::itemBuffer(
          decl_, Item{0, name, "G" + std::to_string(i % groups), static_cast<std::int32_t>(i)});
      ASSERT_EQ(conn_.add(id_, b), store::Ok);
    }
    ASSERT_EQ(conn_.commit(), store::Ok);
  }

  std::string name(const store::RecordBuffer& b) const {
    return store::testing::field(decl_, b, 1);
  }
  std::vector<std::string> names(const std::vector<store::RecordBuffer>& rows) const {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(name(r));
    return out;
  }
  store::RecordBuffer probe(const Item& it) const { return store::testing::itemBuffer(decl_, it); }

  store::testing::TempFolder dir_;
  store::FileDecl decl_ = store::testing::itemDecl();
  store::Connection conn_;
  store::FileId id_ = -1;
};

}  // namespace trv::view::testing
