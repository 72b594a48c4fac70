// Window procedures that exist only for the scenarios of the runtime's own behaviour: a window
// with the common controls, and an item form over a small numbered data file.

#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/record_use.h"
#include "runtime/list/list_browser.h"
#include "runtime/list/list_window.h"
#include "runtime/report/report_layout.h"
#include "runtime/report/report_runner.h"
#include "runtime/store/record_codec.h"
#include "runtime/text/fixed_string.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"
#include "tests/scenarios/runner.h"

namespace trv::scenario {
namespace {

using forms::Level;
using forms::LevelOk;

// Controls: 1 prompt "&Date:", 2 date entry, 3 check "&Flag", 4 tick count, 5 list ?Browse:1,
// 6 "&Ask", 7 "&Beep", 8 "&Close", 9 what the last question, popup or header hit answered, 10
// the mouse hits on the list's header since the last press began ("press 2, release 2").
//
// A click on a header (press and release, no drag) marks that column sorted (">Name"); a double
// click on the divider right of a column fits it to its widest cell.
class TestWindow : public forms::WindowController {
 public:
  explicit TestWindow(forms::FormContext& c) : WindowController(c, "TestWindow", declaration()) {
    SINGLESLOT = "TestWindowThread";
    AddCloseButton(8);
  }

  void RegisterAlertKeys() override {
    for (int k : {ui::KeyMouseRight, ui::KeyMouseRightUp, ui::KeyMouseLeft, ui::KeyMouseLeft2,
                  ui::KeyMouseMove, ui::KeyMouseLeftUp})
      window().alert(k);
  }

  void OnOpen() override {
    window().setRows(5, {{{"Admin", "2"}, ui::kColorNone, ui::kColorNone},
                         {{"Bob", "0"}, ui::kColorNone, ui::kColorNone},
                         {{"Carol", "1"}, ui::kColorNone, ui::kColorNone}});
    // An image of the program folder, by its full path.
    window().setImage(11, (context().ui.currentFolder() / "logo.ico").string());
  }

  Level HandleAccepted() override {
    if (Level l = WindowController::HandleAccepted(); l != LevelOk) return l;
    auto& ui = context().ui;
    switch (event().control) {
      case 6: {
        int b =
            ui.message({"Really?", "Vorn Trovanel 1.2", ui::Icon::Question, {"&Yes", "&No"}, 2});
        window().setText(9, b == 1 ? "yes" : "no");
        break;
      }
      case 7:
        ui.beep();
        break;
      default:
        break;
    }
    return LevelOk;
  }

  Level HandleEvent() override {
    const ui::Event& e = event();
    if (e.number != ui::EventAlertKey) return WindowController::HandleEvent();
    const bool onHeader =
        e.control == 5 && (e.zone == ui::ListZone::Header || e.zone == ui::ListZone::Divider);
    if (onHeader) recordHit(e);
    if (e.key == ui::KeyMouseRightUp) {
      int item = context().ui.popup("&Insert|-|&Change|~&Delete");
      window().setText(9, "popup " + std::to_string(item));
      return forms::LevelNotify;
    }
    if (e.control == 5 && e.key == ui::KeyMouseLeft2) {
      if (e.zone == ui::ListZone::Cell)
        window().setText(9, "opened row " + std::to_string(window().selected(5)));
      if (e.zone == ui::ListZone::Divider) fit(e.column);
      return forms::LevelNotify;
    }
    if (onHeader && e.zone == ui::ListZone::Header) {
      // What the header was told of a click or a drag: "header 1 over 2 dropped on 2".
      const std::string column = std::to_string(e.column);
      if (e.key == ui::KeyMouseLeft) {
        window().setText(9, "header " + column);
        dragged_ = false;
      }
      if (e.key == ui::KeyMouseMove) {
        window().setText(9, window().text(9) + " over " + column);
        dragged_ = true;
      }
      if (e.key == ui::KeyMouseLeftUp) {
        if (dragged_) window().setText(9, window().text(9) + " dropped on " + column);
        if (!dragged_) sortOn(e.column);
      }
      return forms::LevelNotify;
    }
    return WindowController::HandleEvent();
  }
  Level HandleWindowEvent() override {
    if (event().number == ui::EventTimer) window().setText(4, std::to_string(++ticks_));
    return WindowController::HandleWindowEvent();
  }

 private:
  ui::WindowDecl declaration() {
    ui::WindowDecl d;
    d.title = "Test Window";
    d.timerHundredths = 100;
    d.controls = {ui::prompt("?DatePrompt", "&Date:"),
                  ui::entry("?Date", "@d6", ui::useNumber("LOC:Date", date_)),
                  ui::check("?Flag", "&Flag", ui::useNumber("LOC:Flag", flag_)),
                  ui::string("?Ticks", "0"),
                  ui::list("?Browse:1", {{"Name", 20, "@s20", false}, {"Level", 5, "@n1", true}}),
                  ui::button("?Ask", "&Ask"),
                  ui::button("?Beep", "&Beep").withTip("Sound a beep"),
                  ui::button("?Close", "&Close"),
                  ui::string("?Answer", ""),
                  ui::string("?Hits", ""),
                  ui::image("?Logo", "")};
    return d;
  }

  void recordHit(const ui::Event& e) {
    const bool press = e.key == ui::KeyMouseLeft || e.key == ui::KeyMouseRight;
    std::string hit = e.zone == ui::ListZone::Divider ? "divider " : "";
    hit += e.key == ui::KeyMouseLeft      ? "press"
           : e.key == ui::KeyMouseLeftUp  ? "release"
           : e.key == ui::KeyMouseRight   ? "right-press"
           : e.key == ui::KeyMouseRightUp ? "right-release"
           : e.key == ui::KeyMouseLeft2   ? "double"
                                          : "move";
    hit += " " + std::to_string(e.column);
    window().setText(10, press || window().text(10).empty() ? hit : window().text(10) + ", " + hit);
  }

  void sortOn(int column) {
    std::vector<ui::ListColumn> cols = window().control(5)->columns;
    for (std::size_t i = 0; i < cols.size(); ++i) {
      std::string& h = cols[i].header;
      if (h.starts_with(">")) h.erase(0, 1);
      if (static_cast<int>(i) + 1 == column) h.insert(0, ">");
    }
    window().setColumns(5, std::move(cols));
  }

  void fit(int column) {
    const ui::ControlState* list = window().control(5);
    if (column < 1 || column > static_cast<int>(list->columns.size())) return;
    const auto at = static_cast<std::size_t>(column - 1);
    std::size_t widest = 1;
    for (const ui::ListRow& r : list->rows)
      if (at < r.cells.size()) widest = std::max(widest, r.cells[at].size());
    std::vector<ui::ListColumn> cols = list->columns;
    cols[at].width = static_cast<int>(widest);
    window().setColumns(5, std::move(cols));
    window().setText(
        9, "column " + std::to_string(column) + " is " + std::to_string(widest) + " wide");
  }

  std::int32_t date_ = 0;
  std::int64_t flag_ = 0;
  int ticks_ = 0;
  bool dragged_ = false;
};

store::FileDecl itemDecl() {
  store::FileDecl d;
  d.name = "Item";
  d.prefix = "ITM";
  d.recordSize = 14;
  d.fields = {{"ITM:Nr", store::FieldType::ULong, 0, 4},
              {"ITM:Name", store::FieldType::String, 4, 10}};
  d.keys = {{"ITM:NrKey", "ITM:NrKey", {0}, true, true, true},
            {"ITM:NameKey", "Item name", {1}, true, false, false}};
  return d;
}

struct ItemFile {
  ItemFile(Workstation& ws) : access(itemDecl(), ws.messages), relations(access) {
    std::error_code ec;
    std::filesystem::create_directories(ws.database(), ec);
    access.setName((ws.database() / "Item.kvx").string());
  }
  ~ItemFile() { relations.shutdown(); }
  data::FileAccess access;
  data::FileRelations relations;
};

// Controls: 1 the number, 2 prompt "Name:", 3 the name, 4 "&OK", 5 "Cancel". A blank name is
// refused.
class TestForm : public forms::WindowController {
 public:
  TestForm(forms::FormContext& c, ItemFile& f) : WindowController(c, "TestForm", decl(f)) {
    PRIMARY = &f.relations;
    UseFile(f.relations);
    OKCONTROL = 4;
    AddCloseButton(5);
  }
  Level HandleAccepted() override {
    if (Level l = WindowController::HandleAccepted(); l != LevelOk) return l;
    if (event().control == 3 && window().text(3).empty()) window().select(3);
    return LevelOk;
  }

 private:
  static ui::WindowDecl decl(ItemFile& f) {
    ui::WindowDecl d;
    d.title = "Test Form";
    d.controls = {ui::string("?ITM:Nr", "")
                      .withPicture("@n_4")
                      .withUse(forms::useRecordField(f.access, "ITM:Nr")),
                  ui::prompt("?NamePrompt", "Name:"),
                  ui::entry("?ITM:Name", "@s10", forms::useRecordField(f.access, "ITM:Name")),
                  ui::button("?OK", "&OK").asDefault(), ui::button("?Cancel", "Cancel")};
    return d;
  }
};

// Controls: 1 list ?Browse:1 of the items by number, ten rows to a page, 2 "Close".
class TestList : public forms::WindowController {
 public:
  TestList(forms::FormContext& c, ItemFile& f) : WindowController(c, "TestList", decl()), file_(f) {
    UseFile(f.relations);
    AddCloseButton(2);
  }

  Level Init() override {
    if (Level l = WindowController::Init(); l != LevelOk) return l;
    browser_ = std::make_unique<list::ListBrowser>(window(), 1, file_.access, 10);
    browser_->AddField("ITM:Nr", "@n_4");
    browser_->AddField("ITM:Name", "@s10");
    browser_->AddKeyOrder("ITM:NrKey");
    return browser_->Open();
  }

  Level Shutdown() override {
    browser_.reset();
    return WindowController::Shutdown();
  }

  Level HandleEvent() override {
    bool close = false;
    if (browser_ && browser_->HandleEvent(event(), &close)) {
      if (close) window().close();
      return forms::LevelNotify;
    }
    return WindowController::HandleEvent();
  }

 private:
  static ui::WindowDecl decl() {
    ui::WindowDecl d;
    d.title = "Test List";
    d.controls = {ui::list("?Browse:1", {{"Nr", 4, "@n_4", true}, {"Name", 10, "@s10", false}}),
                  ui::button("?Close", "Close")};
    return d;
  }
  ItemFile& file_;
  std::unique_ptr<list::ListBrowser> browser_;
};

// Fills an empty item file with `count` items numbered from 1, named "Item 01", "Item 02" ...
void fillItems(data::FileAccess& f, int count) {
  std::uint64_t held = 0;
  if (f.count(&held) != store::Ok || held != 0) return;
  for (int i = 1; i <= count; ++i) {
    f.primeRecord();
    const std::string nr = std::to_string(i);
    const std::string name = std::string(i < 10 ? "Item 0" : "Item ") + nr;
    (void)store::setFieldText(f.decl().fields[0], f.buffer().record.data(), nr);
    (void)store::setFieldText(f.decl().fields[1], f.buffer().record.data(), name);
    if (f.add() != store::Ok) return;
  }
}

// A report of the items, ten to a page: a page header "Items" and "Page N", then per item a line
// of its number and name and a check box "Even", ticked for even numbers.
class ItemReport : public report::RecordLoop {
 public:
  ItemReport(view::ViewReader& v, report::ReportLayout& layout) : RecordLoop(v), layout_(layout) {
    layout_.setPageHeader([](int page) {
      report::Band b;
      b.height = 300;
      b.items = {report::TextItem{{0, 0, 2000, 250}, "Items", {}, {}},
                 report::TextItem{{5000, 0, 2000, 250}, "Page " + std::to_string(page), {}, {}}};
      return b;
    });
  }
  Level ProcessRecord(const store::RecordBuffer& r) override {
    const std::int64_t nr = store::readNumber(itemDecl().fields[0], r.record.data());
    const std::string name(text::clip(store::fieldText(itemDecl().fields[1], r.record.data())));
    report::Band b;
    b.height = 250;
    b.items = {report::TextItem{{0, 0, 800, 250}, std::to_string(nr), {}, report::Align::kRight},
               report::TextItem{{1000, 0, 2000, 250}, name, {}, {}},
               report::CheckItem{{3500, 0, 1000, 250}, "Even", nr % 2 == 0, {}}};
    if (printed_ > 0 && printed_ % 10 == 0) layout_.breakPage();
    layout_.addDetail(b);
    ++printed_;
    return LevelOk;
  }

 private:
  report::ReportLayout& layout_;
  int printed_ = 0;
};

// A frame with menus and a status bar: Browse/Test Window starts the test window on a thread of
// its own, Browse/Form opens the test form on the frame's thread, File/Log Out closes the test
// window's thread, File/Pass/Signature (a slash in its text) shows "Signature" in the status
// bar, File/Exit ends.
class TestFrame : public forms::WindowController {
 public:
  enum : int {
    kBrowseMenu = 1,
    kFileMenu = 2,
    kTestWindow = 10,
    kForm = 11,
    kLogOut = 12,
    kExit = 13,
    kSignature = 14
  };
  explicit TestFrame(forms::FormContext& c) : WindowController(c, "TestFrame", declaration()) {}

  void OnOpen() override { window().setStatus(1, "Ready"); }

  Level HandleAccepted() override {
    forms::FormContext& c = context();
    switch (event().control) {
      case kTestWindow:
        (void)c.ui.start([&c] {
          TestWindow w(c);
          w.Run();
        });
        return forms::LevelNotify;
      case kForm:
        RunProcedure("TestForm", forms::RequestInsert);
        return forms::LevelNotify;
      case kLogOut:
        c.ui.postToThread(c.globals.slot("TestWindowThread"), ui::EventCloseWindow);
        window().setStatus(1, "Signed out");
        window().setMenuDisabled(kTestWindow, true);
        return forms::LevelNotify;
      case kExit:
        window().close();
        return forms::LevelNotify;
      case kSignature:
        window().setStatus(1, "Signature");
        return forms::LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

 private:
  static ui::WindowDecl declaration() {
    ui::WindowDecl d;
    d.title = "Vorn Trovanel 1.2";
    d.kind = ui::WindowKind::Frame;
    d.statusZones = 2;
    d.menu = {
        ui::submenu(kBrowseMenu, "&Browse",
                    {ui::menuItem(kTestWindow, "&Test Window"), ui::menuItem(kForm, "&Form")}),
        ui::submenu(kFileMenu, "&File",
                    {ui::menuItem(kLogOut, "Log &Out"), ui::menuItem(kSignature, "&Pass/Signature"),
                     ui::menuSeparator(), ui::menuItem(kExit, "E&xit")})};
    return d;
  }
};

}  // namespace

void registerTestProcedures(Suite& suite) {
  suite.procedures.push_back([](Workstation& ws) {
    ws.procedures.add("TestWindow", {[&ws](std::string_view) {
                                       TestWindow w(ws.context);
                                       w.Run();
                                     },
                                     true, ""});
    ws.procedures.add("TestFrame", {[&ws](std::string_view) {
                                      TestFrame f(ws.context);
                                      f.Run();
                                    },
                                    true, ""});
    auto file = std::make_shared<ItemFile>(ws);
    ws.extras["Item"] = file;
    ws.procedures.add("TestForm", {[&ws, file](std::string_view arg) {
                                     data::FileAccess& f = file->access;
                                     if (f.open() != LevelOk) return;
                                     if (!arg.empty()) {
                                       f.primeRecord();
                                       (void)store::setFieldText(f.decl().fields[0],
                                                                 f.buffer().record.data(), arg);
                                       if (f.fetch("ITM:NrKey") != store::Ok) {
                                         f.close();
                                         return;
                                       }
                                     }
                                     {
                                       TestForm form(ws.context, *file);
                                       form.Run();
                                     }
                                     f.close();
                                   },
                                   false, ""});
    // call TestReport select [N]: the item report, the file first filled with N items when empty.
    ws.procedures.add("TestReport", {[&ws, file](std::string_view arg) {
                                       data::FileAccess& f = file->access;
                                       if (f.open() != LevelOk) return;
                                       if (!arg.empty())
                                         fillItems(f, std::atoi(std::string(arg).c_str()));
                                       {
                                         view::ViewReader v(data::FileAccess::threadConnection(),
                                                            f.fileId(), f.decl());
                                         v.SetKeyOrder(0);
                                         report::ReportLayout layout({}, "Items");
                                         ItemReport loop(v, layout);
                                         report::ReportRunner runner(ws.ui, ws.messages,
                                                                     ws.reports);
                                         (void)runner.Run(loop, layout, {});
                                       }
                                       f.close();
                                     },
                                     true, ""});
    // call TestEditList select: the item names, edited in place (Insert, Change, Delete).
    ws.procedures.add("TestEditList",
                      {[&ws, file](std::string_view) {
                         list::ListDecl d;
                         d.procedure = "TestEditList";
                         d.window.title = "Edited Items";
                         d.window.controls = {ui::list("?Browse:1", {}).withNumber(1),
                                              ui::button("?Insert", "&Insert").withNumber(2),
                                              ui::button("?Change", "&Change").withNumber(3),
                                              ui::button("?Delete", "&Delete").withNumber(4),
                                              ui::button("?Close", "&Close").withNumber(5)};
                         d.list = 1;
                         d.columns = {{"Name", 40, "ITM:Name", "@s10"}};
                         d.file = &file->relations;
                         d.orders = {{"ITM:NameKey", "ITM:Name", 0, true}};
                         d.buttons = {.insert = 2, .change = 3, .remove = 4, .close = 5};
                         d.select = list::SelectMode::Never;
                         d.inPlace = list::ListDecl::InPlace{};
                         int colour = 0;
                         list::ListWindow l({ws.context, colour, {}}, std::move(d));
                         l.Run();
                       },
                       true, ""});
    // call TestList select [N]: the item list, the file first filled with N items when empty.
    ws.procedures.add("TestList", {[&ws, file](std::string_view arg) {
                                     data::FileAccess& f = file->access;
                                     if (f.open() != LevelOk) return;
                                     if (!arg.empty())
                                       fillItems(f, std::atoi(std::string(arg).c_str()));
                                     {
                                       TestList list(ws.context, *file);
                                       list.Run();
                                     }
                                     f.close();
                                   },
                                   true, ""});
  });
}

}  // namespace trv::scenario
