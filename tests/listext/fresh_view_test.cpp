// The export, the print of the view and the graph of a list sorted by a header read the file as
// it is when they start: what another station added, renamed and deleted since the list last
// read its page is there, in the header's order.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "runtime/report/print_previewer.h"
#include "tests/listext/item_list_fixture.h"

namespace trv::listext {
namespace {

class CapturingOutput final : public report::ReportOutput {
 public:
  void showPages(const ui::Window&, std::shared_ptr<const report::Document> doc) override {
    shown = std::move(doc);
  }
  bool print(const report::Document&, std::string*) override { return true; }
  std::shared_ptr<const report::Document> shown;
};

class FreshViewTest : public testing::ItemListFixture {
 protected:
  FreshViewTest()
      : ItemListFixture("Items",
                        {{"Name", 40, "ITM:Name", "@s10"}, {"Group", 24, "ITM:Group", "@s6"}}) {
    adjust_ = [this](ListSettings& s) { s.reports = &output_; };
  }
  void SetUp() override {
    ItemListFixture::SetUp();
    add("cherry", "red");
    add("elder", "blue");
    add("fig", "blue");
    rt.setCurrentFolder(dir.path());
    open();
    // Sorted by its first column when it opens; then the other station works.
    ASSERT_TRUE(driver.inspect([&] { ASSERT_TRUE(quorix_->viewOrder()); }));
    add("banana", "red");
    stationRename("fig", "apple");
    station.primeRecord();
    (void)store::setFieldText(station.decl().fields[1], station.buffer().record.data(), "elder");
    ASSERT_EQ(station.fetch("ITM:NameKey"), store::Ok);
    ASSERT_EQ(station.remove(), store::Ok);
  }
  std::string exported() {
    std::ifstream in(std::filesystem::path(dir.path()) / "XPort.CSV", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  CapturingOutput output_;
};

TEST_F(FreshViewTest, TheExportWritesTheFileAsItIsNow) {
  post(EventExportCsv);
  EXPECT_EQ(exported(),
            "# Records=0000003\n"
            "Name,Group\n"
            "apple,blue\n"
            "banana,red\n"
            "cherry,red\n");
}

TEST_F(FreshViewTest, ThePrintOfTheViewPrintsTheFileAsItIsNow) {
  ui::Window* list = front();
  post(EventPrintView);
  ASSERT_TRUE(output_.shown);
  const std::vector<std::string> texts = output_.shown->texts(0);
  const std::vector<std::string> rows(texts.begin() + 7, texts.begin() + 13);
  EXPECT_EQ(rows, (std::vector<std::string>{"apple", "blue", "banana", "red", "cherry", "red"}));
  input(to(front(), ui::Input::Kind::Press, report::PrintPreviewer::kExit));
  EXPECT_EQ(front(), list);
}

TEST_F(FreshViewTest, TheGraphCountsTheFileAsItIsNow) {
  // The Group column becomes the current one (a press that ends on a divider does not sort).
  for (int key : {ui::KeyMouseLeft, ui::KeyMouseLeftUp}) {
    ui::Input in = to(front(), ui::Input::Kind::Mouse, kList);
    in.key = key;
    in.column = 2;
    in.zone = key == ui::KeyMouseLeft ? ui::ListZone::Header : ui::ListZone::Divider;
    input(in);
  }
  post(EventShowGraph);
  ASSERT_TRUE(driver.inspect([&] {
    const auto& cats = quorix_->graphCategories();
    ASSERT_EQ(cats.size(), 2u);
    EXPECT_EQ(cats[0].name, "blue");
    EXPECT_EQ(cats[0].count, 1);
    EXPECT_EQ(cats[1].name, "red");
    EXPECT_EQ(cats[1].count, 2);
  }));
  input(to(front(), ui::Input::Kind::Press, 2));  // OK
}

}  // namespace
}  // namespace trv::listext
