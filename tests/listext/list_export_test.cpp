// The list's exports: every record of the view, as the list shows it, to a comma-separated file
// or an HTML table; posted to a real list over a small file.

#include "listext/list_export.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "listext/progress_window.h"
#include "tests/listext/item_list_fixture.h"

namespace trv::listext {
namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ListExportFormat, QuotesEachCellByWhatItHolds) {
  struct Case {
    std::string value, cell;
  } cases[] = {
      {"plain", "plain"},
      {"Doe, J", "\"Doe, J\""},
      {"5\" pipe", "'5\" pipe'"},
      {"5\", wide", "'5\", wide'"},  // a double quote wins over the separator
      {"O'Neil", "O'Neil"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(csvCell(c.value, ','), c.cell) << c.value;
  // A long quoted value keeps its closing quote.
  const std::string longValue = exportValue(std::string(300, 'x') + ",");
  EXPECT_EQ(longValue.size(), kExportCellMax);
  const std::string quoted = csvCell(exportValue("," + std::string(300, 'x')), ',');
  EXPECT_EQ(quoted.front(), '"');
  EXPECT_EQ(quoted.back(), '"');
  EXPECT_EQ(exportValue("   42  "), "42");
  // Headers are never quoted; HTML cells are written as they are.
  EXPECT_EQ(csvHeaderLine({"Last, First ", ""}, ','), "Last, First,");
  EXPECT_EQ(htmlRow({"1042", "", "a<b&c"}),
            "<TR> <TD>1042</TD> <TD>&nbsp</TD> <TD>a<b&c</TD> </TR>");
}

TEST(ListExportFormat, ProgressNeverDividesByZeroNorPassesAHundred) {
  EXPECT_EQ(progressPercent(0, 0), 0);
  EXPECT_EQ(progressPercent(5, 0), 0);
  EXPECT_EQ(progressPercent(1, 3), 33);
  EXPECT_EQ(progressPercent(3, 3), 100);
  EXPECT_EQ(progressPercent(7, 3), 100);
  EXPECT_EQ(progressPercent(std::uint64_t{1} << 60, (std::uint64_t{1} << 60) + 1), 99);
}

TEST(ListExportFormat, AFileThatCannotBeCreatedIsReported) {
  store::testing::TempFolder dir;
  ExportFile f(std::filesystem::path(dir.path()) / "no-such-folder" / "XPort.CSV",
               ExportFormat::Csv);
  EXPECT_FALSE(f.Open("T", nullptr, ','));
  EXPECT_FALSE(f.WriteRecord({"a"}));
  EXPECT_FALSE(f.Finish());
  EXPECT_NE(f.error().find("Cannot create"), std::string::npos) << f.error();
}

class ListExportTest : public testing::ItemListFixture {
 protected:
  ListExportTest()
      : ItemListFixture("Items  ", {{"Name", 40, "ITM:Name", "@s10"},
                                    {"Group", 24, "ITM:Group", "@s6"},
                                    {"Nr", 26, "ITM:Nr", "@N06", true}}) {}
  std::filesystem::path base() const { return dir.path(); }
  // The exports are written to the current folder.
  void open() {
    rt.setCurrentFolder(dir.path());
    ItemListFixture::open();
  }
  void mouse(int key, int column, ui::ListZone zone = ui::ListZone::Header) {
    ui::Input in = to(front(), ui::Input::Kind::Mouse, kList);
    in.key = key;
    in.column = column;
    in.zone = zone;
    in.row = 0;
    input(in);
  }
};

TEST_F(ListExportTest, ExportsEveryRecordAsShownInDisplayOrderAndOpensTheFile) {
  add("O'Neil", "");
  add("Doe, J", "red");
  add("5\" pipe", "a, b");
  open();
  post(EventExportCsv);
  post(EventExportHtml);
  // Sorted by name (the sort mark is not written), Nr as its picture shows it.
  EXPECT_EQ(slurp(base() / "XPort.CSV"),
            "# Records=0000003\n"
            "Name,Group,Nr\n"
            "'5\" pipe',\"a, b\",000003\n"
            "\"Doe, J\",red,000002\n"
            "O'Neil,,000001\n");
  EXPECT_EQ(slurp(base() / "XPort.HTM"),
            "<HTML>\n"
            "<HEAD><TITLE>Items</TITLE></HEAD>\n"
            "<H1>Items</H1><P>\n"
            "<TABLE BORDER=2>\n"
            "<TR> <TD>Name</TD> <TD>Group</TD> <TD>Nr</TD> </TR>\n"
            "<TR> <TD>5\" pipe</TD> <TD>a, b</TD> <TD>000003</TD> </TR>\n"
            "<TR> <TD>Doe, J</TD> <TD>red</TD> <TD>000002</TD> </TR>\n"
            "<TR> <TD>O'Neil</TD> <TD>&nbsp</TD> <TD>000001</TD> </TR>\n"
            "</TABLE>\n"
            "</HTML>\n");
  EXPECT_EQ(fe.shellOpens(), (std::vector<std::string>{(base() / "XPort.CSV").string(),
                                                       (base() / "XPort.HTM").string()}));

  // Python's reader takes the file back (the count line is a record of its own).
  const auto out = base() / "read.txt";
  const std::string cmd =
      "python3 -c \"import csv,sys; rows=list(csv.reader(open(sys.argv[1])));"
      " open(sys.argv[2],'w').write(repr(rows))\" '" +
      (base() / "XPort.CSV").string() + "' '" + out.string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(
      slurp(out),
      "[['# Records=0000003'], ['Name', 'Group', 'Nr'], ['\\'5\" pipe\\'', 'a, b', '000003'], "
      "['Doe, J', 'red', '000002'], [\"O'Neil\", '', '000001']]");

  // A moved and a hidden column: the file follows the list's columns.
  mouse(ui::KeyMouseLeft, 1);
  mouse(ui::KeyMouseMove, 2);
  mouse(ui::KeyMouseLeftUp, 2);
  mouse(ui::KeyMouseLeft, 3);
  mouse(ui::KeyMouseLeftUp, 3, ui::ListZone::Divider);
  post(EventHideColumn);
  post(EventExportCsv);
  EXPECT_EQ(slurp(base() / "XPort.CSV"),
            "# Records=0000003\n"
            "Group,Name\n"
            "\"a, b\",'5\" pipe'\n"
            "red,\"Doe, J\"\n"
            ",O'Neil\n");
}

TEST_F(ListExportTest, CountsTheRecordsInPlaceAndReportsAFileItCannotWrite) {
  for (int i = 0; i < 42; ++i) add("N" + std::to_string(100 + i), "");
  adjust_ = [this](ListSettings& s) {
    s.browseHeader = false;
    s.shellExecute = true;
    s.htmlFileName = (base() / "missing" / "X.HTM").string();
  };
  open();
  post(EventExportCsv);
  const std::string csv = slurp(base() / "XPort.CSV");
  EXPECT_TRUE(csv.starts_with("# Records=0000042\nN100,,")) << csv.substr(0, 40);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 43);
  post(EventExportHtml);
  const auto m = driver.message();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->second.caption, "Quorix");
  EXPECT_NE(m->second.text.find("Cannot create"), std::string::npos);
  answer("&OK");
  // Only the file that was written was opened.
  EXPECT_EQ(fe.shellOpens().size(), 1u);
}

TEST_F(ListExportTest, TellsWhenTheDesktopCannotOpenTheFile) {
  add("Baker", "red");
  adjust_ = [](ListSettings& s) { s.shellExecute = true; };
  open();
  post(EventExportCsv);
  EXPECT_FALSE(driver.message());  // opened: nothing to tell
  fe.setShellOpenResult({false, 31, "no program opens it"});
  post(EventExportCsv);
  const std::string path = (base() / "XPort.CSV").string();
  const auto m = driver.message();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->second.caption, "Quorix");
  EXPECT_EQ(m->second.text, shellErrorText(31, path));
  EXPECT_TRUE(m->second.text.starts_with("Shell launching error:31\r\n"));
  EXPECT_TRUE(m->second.text.ends_with("and the specify a type for " + path));
  answer("&OK");
  // The file stays as written.
  EXPECT_EQ(slurp(path), "# Records=0000001\nName,Group,Nr\nBaker,red,000001\n");
  EXPECT_EQ(fe.shellOpens().size(), 2u);
}

TEST_F(ListExportTest, TheFilterWindowSetsAFilterOnlyWhenSearched) {
  add("O'Neil", "");
  add("Doe, J", "red");
  add("Baker", "red");
  open();
  ui::Window* list = front();
  auto names = [&] {
    std::vector<std::string> out;
    ui::ControlState c;
    EXPECT_TRUE(driver.inspect([&] { c = *list->control(kList); }));
    for (const ui::ListRow& r : c.rows) out.push_back(r.cells[0]);
    return out;
  };
  // The Group column becomes the current one (a press that ends on a divider does not sort).
  mouse(ui::KeyMouseLeft, 2);
  mouse(ui::KeyMouseLeftUp, 2, ui::ListZone::Divider);
  post(EventFilterByValue);
  ui::Window* w = front();
  ASSERT_NE(w, list);
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(w->title(), "Group");
    EXPECT_EQ(w->selected(1), 1);  // "=" first
    EXPECT_EQ(w->text(11), "");
  }));
  input(to(w, ui::Input::Kind::Press, 7));  // "<>"
  ui::Input typed = to(w, ui::Input::Kind::Accept, 11);
  typed.text = "red";
  input(typed);
  input(to(w, ui::Input::Kind::Press, 12));  // Search
  EXPECT_EQ(names(), (std::vector<std::string>{"O'Neil"}));
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(quorix_->filterSymbol(), "NE");
    EXPECT_EQ(quorix_->filterValue(), "red");
  }));

  // The next use shows the last choice; Esc and the close box each set nothing and empty the
  // value, the comparison kept.
  for (bool esc : {true, false}) {
    post(EventFilterByValue);
    w = front();
    ASSERT_TRUE(driver.inspect([&] {
      EXPECT_EQ(w->selected(1), 6);
      EXPECT_EQ(w->text(11), esc ? "red" : "");
    }));
    typed = to(w, ui::Input::Kind::Accept, 11);
    typed.text = "zzz";
    input(typed);
    if (esc) {
      ui::Input k = to(w, ui::Input::Kind::Key);
      k.key = ui::KeyEsc;
      input(k);
    } else {
      input(to(w, ui::Input::Kind::Close));
    }
    EXPECT_EQ(front(), list);
    EXPECT_EQ(names(), (std::vector<std::string>{"O'Neil"}));
    ASSERT_TRUE(driver.inspect([&] {
      EXPECT_EQ(quorix_->filterSymbol(), "NE");
      EXPECT_EQ(quorix_->filterValue(), "");
    }));
  }
}

}  // namespace
}  // namespace trv::listext
