#include "runtime/report/report_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "runtime/report/print_previewer.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"
#include "tests/runtime/store/test_files.h"
#include "tests/support/recording_sink.h"

namespace trv::report {
namespace {

using store::testing::Item;

class RecordingOutput final : public ReportOutput {
 public:
  void showPages(const ui::Window& w, std::shared_ptr<const Document> doc) override {
    shownIn = w.title();
    shown = std::move(doc);
  }
  bool print(const Document& doc, std::string* error) override {
    if (failPrint) {
      *error = "no printer";
      return false;
    }
    printedPages = static_cast<int>(doc.pages.size());
    return true;
  }
  std::string shownIn;
  std::shared_ptr<const Document> shown;
  int printedPages = 0;
  bool failPrint = false;
};

using trv::testing::RecordingSink;

// Prints one line per item whose group is not excluded.
class ItemLoop final : public RecordLoop {
 public:
  ItemLoop(view::ViewReader& v, ReportLayout& layout, const store::FileDecl& d)
      : RecordLoop(v), layout_(layout), decl_(d) {}
  data::Level ProcessRecord(const store::RecordBuffer& r) override {
    if (onRecord) onRecord(static_cast<int>(read()));
    if (store::testing::field(decl_, r, 2) == skipGroup) return data::LevelNotify;
    Band b;
    b.height = 200;
    b.items.push_back(TextItem{{0, 0, 2000, 200}, store::testing::field(decl_, r, 1), {}, {}});
    layout_.addDetail(b);
    return data::LevelOk;
  }
  std::string skipGroup = "none";
  // Called with each record's number (from 1) before it is printed.
  std::function<void(int)> onRecord;

 private:
  ReportLayout& layout_;
  const store::FileDecl& decl_;
};

class ReportRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(conn_.open(decl_, dir_.file("Item.kvx"), store::OpenMode::Shared, &id_), store::Ok);
  }
  void TearDown() override {
    rt_.endProgram();
    rt_.waitFinished(std::chrono::seconds(10));
  }
  // Items `from` .. `from` + n - 1, named N101 on.
  void addItems(int n, int from = 1) {
    ASSERT_EQ(conn_.begin(), store::Ok);
    for (int i = from; i < from + n; ++i) {
      store::RecordBuffer b = store::testing::itemBuffer(
          decl_, Item{0, "N" + std::to_string(100 + i), i % 2 ? "odd" : "even", i});
      ASSERT_EQ(conn_.add(id_, b), store::Ok);
    }
    ASSERT_EQ(conn_.commit(), store::Ok);
  }
  // Runs the report on a program thread over a view of the item file (read on that thread's
  // own connection, as a report procedure would).
  void startReport(std::string skipGroup = "none", ReportSettings settings = {}, int pauseAt = 0) {
    settings.recordsPerCycle = 7;
    ASSERT_NE(rt_.start([this, skipGroup, settings, pauseAt] {
      store::Connection conn;
      store::FileId id = -1;
      if (conn.open(decl_, dir_.file("Item.kvx"), store::OpenMode::Shared, &id) != store::Ok)
        return;
      view::ViewReader v(conn, id, decl_);
      v.SetKeyOrder(1);
      ReportLayout layout;
      ItemLoop loop(v, layout, decl_);
      loop.skipGroup = skipGroup;
      // At record pauseAt the report asks a question mid-way: its thread waits for the answer,
      // so the program is idle and the test sees the windows as the user does at that moment.
      if (pauseAt > 0)
        loop.onRecord = [this, pauseAt](int n) {
          if (n == pauseAt) rt_.message("Paused", "Report");
        };
      loop.InitCounted(40);
      ReportRunner runner(rt_, sink_, output_);
      response_ = runner.Run(loop, layout, settings);
      processed_ = static_cast<int>(loop.processed());
    }),
              0);
  }
  std::string frontTitle() {
    std::string t;
    EXPECT_TRUE(driver_.inspect([&] { t = rt_.front() ? rt_.front()->title() : ""; }));
    return t;
  }
  void press(int control, std::string title = {}) {
    ASSERT_TRUE(driver_.inspect([&] {
      ui::Window* w = rt_.front();
      for (ui::Window* x : rt_.windows())
        if (x->title() == title) w = x;
      ui::Input in;
      in.kind = ui::Input::Kind::Press;
      in.window = w->id();
      in.control = control;
      rt_.post(in);
    }));
  }
  // Titles of the open windows from back to front, and the report thread's from the outermost
  // to the innermost (the one taking input).
  std::vector<std::string> titles(bool ofThread = false) {
    std::vector<std::string> out;
    EXPECT_TRUE(driver_.inspect([&] {
      const auto ws = ofThread ? rt_.threadWindows(rt_.threads().front()) : rt_.windows();
      for (ui::Window* w : ws) out.push_back(w->title());
    }));
    return out;
  }
  ui::Window* window(const std::string& title) {
    for (ui::Window* w : rt_.windows())
      if (w->title() == title) return w;
    return nullptr;
  }

  store::testing::TempFolder dir_;
  store::FileDecl decl_ = store::testing::itemDecl();
  store::Connection conn_;
  store::FileId id_ = -1;
  text::ManualClock clock_{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  ui::HeadlessFrontEnd fe_;
  ui::UiRuntime rt_{clock_, fe_};
  ui::HeadlessDriver driver_{rt_, fe_, &clock_};
  RecordingOutput output_;
  RecordingSink sink_;
  std::atomic<int> response_{0};
  std::atomic<int> processed_{0};
};

// Hands every record to ProcessRecord in key order, noting its name.
class NamesLoop final : public RecordLoop {
 public:
  NamesLoop(view::ViewReader& v, const store::FileDecl& d) : RecordLoop(v), decl_(d) {}
  data::Level ProcessRecord(const store::RecordBuffer& r) override {
    names.push_back(store::testing::field(decl_, r, 1));
    return names.size() == stopAt ? data::LevelFatal : data::LevelOk;
  }
  std::vector<std::string> names;
  std::size_t stopAt = 0;

 private:
  const store::FileDecl& decl_;
};

// The loop reads the view well ahead of the batches it processes: each record comes once, in
// order, a full batch each time until the last, on either side of a read-ahead's edge.
TEST_F(ReportRunnerTest, BatchesHandEveryRecordOnceInOrderAcrossReadAheads) {
  int added = 0;
  for (const int total : {0, 1, 7, RecordLoop::kReadAhead, RecordLoop::kReadAhead + 1,
                          2 * RecordLoop::kReadAhead + 3}) {
    SCOPED_TRACE(total);
    addItems(total - added, added + 1);
    added = total;
    view::ViewReader v(conn_, id_, decl_);
    v.SetKeyOrder(1);
    NamesLoop loop(v, decl_);
    RecordLoop::Batch b;
    int batches = 0;
    do {
      const std::size_t before = loop.names.size();
      b = loop.next(7);
      ASSERT_FALSE(b.stopped);
      if (!b.atEnd) {
        EXPECT_EQ(loop.names.size() - before, 7u);
      }
      ++batches;
    } while (!b.atEnd && batches < 1000);
    ASSERT_EQ(loop.names.size(), static_cast<std::size_t>(total));
    std::vector<std::string> inKeyOrder;  // the key orders the names as texts: N1000 before N101
    for (int i = 0; i < total; ++i) inKeyOrder.push_back("N" + std::to_string(101 + i));
    std::sort(inKeyOrder.begin(), inKeyOrder.end());
    EXPECT_EQ(loop.names, inKeyOrder);
    EXPECT_EQ(loop.processed(), static_cast<std::uint64_t>(total));
  }
}

TEST_F(ReportRunnerTest, ARecordThatEndsTheReportStopsItsBatch) {
  addItems(30);
  view::ViewReader v(conn_, id_, decl_);
  v.SetKeyOrder(1);
  NamesLoop loop(v, decl_);
  loop.stopAt = 10;
  EXPECT_FALSE(loop.next(7).stopped);
  EXPECT_TRUE(loop.next(7).stopped);
  EXPECT_EQ(loop.names.size(), 10u);
  EXPECT_EQ(loop.processed(), 9u);
}

TEST_F(ReportRunnerTest, ProcessesEveryRecordInBatchesAndShowsThePreview) {
  addItems(40);
  startReport("even");
  ASSERT_EQ(frontTitle(), "Report Preview");
  ASSERT_TRUE(output_.shown);
  EXPECT_EQ(output_.shownIn, "Report Preview");
  const auto texts = output_.shown->texts(0);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), "N101");
  std::string pageText;
  ASSERT_TRUE(driver_.inspect([&] { pageText = rt_.front()->text(PrintPreviewer::kPageText); }));
  EXPECT_EQ(pageText, "Page 1 of " + std::to_string(output_.shown->pages.size()));
  press(PrintPreviewer::kPrint);
  ASSERT_TRUE(driver_.waitIdle());
  EXPECT_EQ(output_.printedPages, static_cast<int>(output_.shown->pages.size()));
  EXPECT_EQ(response_, ResponseCompleted);
  EXPECT_EQ(processed_, 20);  // the skipped ones are not printed
}

TEST_F(ReportRunnerTest, NothingProcessedRaisesNoRecordsAndShowsNoPreview) {
  addItems(4);
  startReport("odd");  // skips half ...
  ASSERT_EQ(frontTitle(), "Report Preview");
  press(PrintPreviewer::kExit);
  ASSERT_TRUE(driver_.waitIdle());
  output_.shown.reset();

  ASSERT_EQ(conn_.empty(id_), store::Ok);
  startReport();  // ... and an empty file processes nothing
  ASSERT_TRUE(driver_.waitIdle());
  EXPECT_EQ(sink_.ids(), std::vector<int>{22});
  EXPECT_FALSE(output_.shown);
  EXPECT_EQ(response_, ResponseCancelled);
}

TEST_F(ReportRunnerTest, AReportsOwnNoRecordsTextReplacesTheMessage) {
  ReportSettings s;
  s.noRecordsText = "No records to process with current selection";
  s.noRecordsCaption = "Vorn Trovanel 1.2";
  startReport("none", s);
  ASSERT_TRUE(driver_.waitIdle());
  const auto m = driver_.message();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->second.text, "No records to process with current selection");
  EXPECT_EQ(m->second.caption, "Vorn Trovanel 1.2");
  EXPECT_TRUE(sink_.raised.empty());
  ASSERT_TRUE(driver_.answerMessage("OK"));
  ASSERT_TRUE(driver_.waitIdle());
  EXPECT_EQ(response_, ResponseCancelled);
}

// 53 lines fit on a page: 200 items make four pages, the first complete at item 54.
constexpr int kManyItems = 200;
using Titles = std::vector<std::string>;

TEST_F(ReportRunnerTest, ThePreviewShowsTheFirstPageBehindTheProgressWindowWhileTheReportGoesOn) {
  addItems(kManyItems);
  startReport("none", {}, 120);
  ASSERT_TRUE(driver_.waitIdle());
  ASSERT_TRUE(driver_.message());

  // Mid-way: the preview is open at page 1, the progress window in front and taking input.
  EXPECT_EQ(titles(), (Titles{"Report Preview", "Progress..."}));
  EXPECT_EQ(titles(true), (Titles{"Report Preview", "Progress..."}));
  const std::shared_ptr<const Document> early = output_.shown;
  ASSERT_TRUE(early);
  EXPECT_EQ(early->pages.size(), 1u);  // the page complete when it opened
  EXPECT_EQ(early->texts(0).front(), "N101");
  ASSERT_TRUE(driver_.inspect([&] {
    ui::Window* preview = window("Report Preview");
    EXPECT_EQ(preview->text(PrintPreviewer::kPageText), "Page 1 of 2...");  // made so far
    EXPECT_TRUE(preview->control(PrintPreviewer::kNext)->disabled);
  }));
  // The preview refuses what the user does there until the report has ended.
  (void)fe_.takeBeeps();
  press(PrintPreviewer::kPrint, "Report Preview");
  EXPECT_EQ(fe_.takeBeeps(), 1);

  ASSERT_TRUE(driver_.answerMessage("OK"));
  ASSERT_EQ(frontTitle(), "Report Preview");
  EXPECT_EQ(titles(), Titles{"Report Preview"});
  // The whole report, as a new document: the one shown first has not changed under its holder.
  ASSERT_TRUE(output_.shown);
  EXPECT_NE(output_.shown, early);
  EXPECT_EQ(early->pages.size(), 1u);
  ASSERT_EQ(output_.shown->pages.size(), 4u);
  EXPECT_EQ(output_.shown->texts(3).back(), "N" + std::to_string(100 + kManyItems));
  std::string pageText;
  ASSERT_TRUE(driver_.inspect([&] { pageText = rt_.front()->text(PrintPreviewer::kPageText); }));
  EXPECT_EQ(pageText, "Page 1 of 4");
  press(PrintPreviewer::kNext);
  ASSERT_TRUE(driver_.inspect([&] { pageText = rt_.front()->text(PrintPreviewer::kPageText); }));
  EXPECT_EQ(pageText, "Page 2 of 4");
  EXPECT_EQ(output_.printedPages, 0);  // the early Print press did nothing
  press(PrintPreviewer::kPrint);
  ASSERT_TRUE(driver_.waitIdle());
  EXPECT_EQ(output_.printedPages, 4);
  EXPECT_EQ(response_, ResponseCompleted);
  EXPECT_EQ(processed_, kManyItems);
}

TEST_F(ReportRunnerTest, CancelAfterThePreviewOpenedClosesItAndPrintsNothing) {
  for (const bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "close box" : "Cancel");
    ASSERT_EQ(conn_.empty(id_), store::Ok);
    addItems(kManyItems);
    output_.shown.reset();
    startReport("none", {}, 120);
    ASSERT_TRUE(driver_.waitIdle());
    ASSERT_EQ(titles(), (Titles{"Report Preview", "Progress..."}));
    if (closeBox) {
      ASSERT_TRUE(driver_.inspect([&] {
        ui::Input in;
        in.kind = ui::Input::Kind::Close;
        in.window = window("Progress...")->id();
        rt_.post(in);
      }));
    } else {
      press(ReportRunner::kCancel, "Progress...");
    }
    ASSERT_TRUE(driver_.answerMessage("OK"));
    ASSERT_TRUE(driver_.waitIdle());
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(response_, ResponseCancelled);
    EXPECT_LT(processed_, kManyItems);
    EXPECT_EQ(output_.printedPages, 0);
  }
}

TEST_F(ReportRunnerTest, PrintingStraightOpensNoPreviewAndPrintsEveryPage) {
  addItems(kManyItems);
  ReportSettings s;
  s.preview = false;
  startReport("none", s, 120);
  ASSERT_TRUE(driver_.waitIdle());
  EXPECT_EQ(titles(), Titles{"Progress..."});
  ASSERT_TRUE(driver_.answerMessage("OK"));
  ASSERT_TRUE(driver_.waitIdle());
  EXPECT_TRUE(titles().empty());
  EXPECT_FALSE(output_.shown);
  EXPECT_EQ(output_.printedPages, 4);
  EXPECT_EQ(response_, ResponseCompleted);
}

}  // namespace
}  // namespace trv::report
