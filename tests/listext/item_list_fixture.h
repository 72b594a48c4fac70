// An enhanced list "BrowseItems" over the form fixture's item file, opened on a thread of its
// own; each test names the title and the columns, and may adjust the enhancement's settings.

#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "listext/quorix_list.h"
#include "tests/runtime/forms/form_fixture.h"

namespace trv::listext::testing {

class ItemListFixture : public forms::testing::FormFixture {
 protected:
  enum Control : int { kList = 1, kClose };

  ItemListFixture(std::string title, std::vector<list::ListColumnDecl> columns)
      : title_(std::move(title)), columns_(std::move(columns)) {}

  void add(const std::string& name, const std::string& group) {
    station.primeRecord();
    char* r = station.buffer().record.data();
    (void)store::setFieldText(station.decl().fields[1], r, name);
    (void)store::setFieldText(station.decl().fields[2], r, group);
    ASSERT_EQ(station.insert(), data::LevelOk);
  }
  list::ListDecl decl() {
    list::ListDecl d;
    d.procedure = "BrowseItems";
    d.window.title = title_;
    d.window.controls = {ui::list("?Browse:1", {}).withNumber(kList).size(40, 10),
                         ui::button("?Close", "Close").withNumber(kClose)};
    d.list = kList;
    d.columns = columns_;
    d.file = &itemRel;
    d.orders = {{"ITM:NameKey", "ITM:Name", 0, true}};
    d.buttons = {.close = kClose};
    d.enhanced = true;
    return d;
  }
  void open() {
    ASSERT_NE(rt.start([this] {
      list::ListWindow list(env_, decl());
      list.Run();
    }),
              0);
    ASSERT_TRUE(driver.waitIdle());
  }
  void post(int event) {
    ASSERT_TRUE(driver.inspect([&] { rt.front()->post(event, kList); }));
    ASSERT_TRUE(driver.waitIdle());
  }

  std::string title_;
  std::vector<list::ListColumnDecl> columns_;
  // Applied to the enhancement's settings when the list opens; empty: none.
  std::function<void(ListSettings&)> adjust_;
  QuorixList* quorix_ = nullptr;
  int colour_ = 0;
  list::ListEnvironment env_{ctx, colour_, [this](list::ListWindow& w) {
                               auto e = attachEnhancement(w, adjust_);
                               quorix_ = static_cast<QuorixList*>(e.get());
                               return e;
                             }};
};

}  // namespace trv::listext::testing
