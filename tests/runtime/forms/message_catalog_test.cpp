// The message catalog: texts, placeholders, dispatch by kind and the procedure-name stack.

#include "runtime/forms/message_catalog.h"

#include <gtest/gtest.h>

#include "runtime/store/error.h"
#include "tests/runtime/ui/ui_fixture.h"

namespace trv::forms {
namespace {

class Catalog : public ui::testing::UiFixture {
 protected:
  MessageCatalog cat{rt};
  void SetUp() override { cat.Init(); }

  // Runs body on a program thread and answers the box it shows with `button` (if any); returns
  // the box.
  std::optional<ui::MessageRequest> raiseOn(const std::function<void()>& body,
                                            std::string button = "") {
    EXPECT_NE(rt.start(body), 0);
    EXPECT_TRUE(driver.waitIdle());
    auto m = driver.message();
    if (m && !button.empty()) {
      EXPECT_TRUE(driver.answerMessage(button));
    }
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
    return m ? std::optional(m->second) : std::nullopt;
  }
};

TEST_F(Catalog, PlaceholdersAreReplacedInOnePassLongestNameFirst) {
  SavedError diskFull{store::FileSystemError, "File System Error", 28, "No space left on device"};
  SavedError missing{store::FileNotFound, "File Not Found", 2, "ENOENT"};
  struct Case {
    const char* text;
    SavedError error;
    const char* want;
  } cases[] = {
      {"%FileErrorCode/%File/%FileError", missing, "2/C%Field%ErrorText.kvx/ENOENT"},
      {"%ERRORTEXT", missing, "File Not Found (2)"},
      {"%ErrorText", diskFull, "No space left on device (28)"},
      {"%Error=%ErrorCode", diskFull, "File System Error=90"},
      {"%Field in %Message, 100%", missing, "CLI:SName in CLI:SNameKey, 100%"},
      {"%Procedure.", missing, "."},  // no procedure on this thread
  };
  cat.SetFileName("C%Field%ErrorText.kvx");
  cat.SetFieldName("CLI:SName");
  ASSERT_TRUE(cat.AddMessages(encodeMessageBlock({{60, KindBenign, "", ""}})));
  ASSERT_EQ(cat.RaiseWithText(60, "CLI:SNameKey"), data::LevelOk);  // sets %Message
  for (const auto& c : cases)
    EXPECT_EQ(cat.Format(MessageEntry{99, KindNotify, "", c.text}, c.error), c.want) << c.text;
}

TEST_F(Catalog, NewerEntriesOverrideOlderOnesAndSeeTheirText) {
  std::vector<std::uint8_t> block = encodeMessageBlock({{22, KindNotify, "Empty", "[%Previous]"}});
  ASSERT_TRUE(cat.AddMessages(block));
  const MessageEntry* e = cat.Find(22);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(cat.Format(*e, {}), "[There are no records available to process.]");

  std::vector<std::uint8_t> bad = block;
  bad.pop_back();
  EXPECT_FALSE(cat.AddMessages(bad));  // truncated
  bad = block;
  bad.push_back(0);
  EXPECT_FALSE(cat.AddMessages(bad));  // trailing bytes
  EXPECT_EQ(cat.Find(22)->title, "Empty");
}

TEST_F(Catalog, QuestionsNoticesAndFatalMessagesShowAsTheirKindSays) {
  Level level = data::LevelOk;
  auto m = raiseOn([&] { level = cat.Raise(8); }, "&No");
  ASSERT_TRUE(m);
  EXPECT_EQ(level, data::LevelDeclined);
  EXPECT_EQ(m->caption, "Changes will be lost!");
  EXPECT_EQ(m->icon, ui::Icon::Exclamation);
  EXPECT_EQ(m->buttons, (std::vector<std::string>{"&Yes", "&No"}));
  EXPECT_EQ(m->defaultButton, 1);

  m = raiseOn([&] { level = cat.Raise(35); }, "Yes");
  EXPECT_EQ(level, data::LevelOk);

  m = raiseOn(
      [&] {
        cat.SetFileName("Client");
        level = cat.RaiseWithText(13, "CLI:SNameKey");
      },
      "OK");
  ASSERT_TRUE(m);
  EXPECT_EQ(level, data::LevelNotify);
  EXPECT_EQ(m->caption, "Duplicate Key Error");
  EXPECT_EQ(m->text, "Adding this record creates a duplicate entry for the key: CLI:SNameKey");

  m = raiseOn(
      [&] {
        store::setError(store::FileNotFound);
        cat.SetFileName("/db/Ide.kvx");
        level = cat.Raise(23);
      },
      "OK");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->text,
            "File (/db/Ide.kvx) could not be opened.  Error: File Not Found (2).  Press OK to end "
            "this application");
  EXPECT_EQ(level, data::LevelFatal);
  EXPECT_TRUE(rt.ended());
}

TEST_F(Catalog, ShowMessageReturnsTheButtonPressed) {
  data::MessageButton pressed = data::ButtonOk;
  auto m = raiseOn(
      [&] {
        pressed = cat.ShowMessage(34, data::ButtonYes | data::ButtonNo | data::ButtonCancel,
                                  data::ButtonCancel);
      },
      "&Cancel");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->caption, "Record Update Error");
  EXPECT_EQ(m->defaultButton, 3);
  EXPECT_EQ(pressed, data::ButtonCancel);
}

TEST_F(Catalog, BenignMessagesShowNothing) {
  ASSERT_TRUE(cat.AddMessages(encodeMessageBlock({{50, KindBenign, "", "quiet"}})));
  Level level = data::LevelFatal;
  EXPECT_FALSE(raiseOn([&] { level = cat.Raise(50); }));
  EXPECT_EQ(level, data::LevelOk);
}

TEST_F(Catalog, EachThreadNamesItsOwnProcedure) {
  std::string first, second, afterPop;
  ASSERT_NE(rt.start([&] {
    cat.PushProcedureName("BrowsCases");
    auto w = rt.open({});
    ui::Event e;
    while (w->accept(e))
      if (e.number == ui::EventUser) {
        first = cat.Format({1, KindNotify, "", "%Procedure"}, {});
        w->close();
      }
    cat.PushProcedureName("", true);
    afterPop = cat.CurrentProcedureName();
  }),
            0);
  ASSERT_NE(rt.start([&] {
    cat.PushProcedureName("Main");
    cat.PushProcedureName("ChangeCases");
    second = cat.CurrentProcedureName();
  }),
            0);
  ASSERT_TRUE(driver.waitIdle());
  rt.postEvent(rt.threadWindows(1).front()->id(), ui::Event(ui::EventUser));
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(first, "BrowsCases");
  EXPECT_EQ(second, "ChangeCases");
  EXPECT_EQ(afterPop, "");
}

}  // namespace
}  // namespace trv::forms
