// The program's own windows at the desktop, as a person meets them: a second start brings the
// running copy back, a blank client is refused with the focus on its id, and a picture of each
// window is kept among the test's artefacts.

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <fstream>

#include "cases/caseform/case_window.h"
#include "cases/caselist/case_list.h"
#include "cases/procedures/case_procedures.h"
#include "core/data/database_tool.h"
#include "core/frame/main_frame.h"
#include "core/program/program_body.h"
#include "runtime/mail/window_mail_dialogs.h"
#include "tests/gui/program_fixture.h"

namespace trv::gui::testing {
namespace {

enum ClientForm : int { kClientId = 4, kClientOk = 29 };
enum LogonControl : int { kLogonPassword = 6 };

// The view of the window whose title starts so, once it shows.
class ProgramWindows : public ProgramDesktopTest {
 protected:
  WindowView* titled(const QString& start) {
    WindowView* found = nullptr;
    (void)waitFor([&] {
      for (ui::WindowId id : desktop.windows())
        if (WindowView* v = desktop.view(id); v && v->window()->windowTitle().startsWith(start))
          found = v;
      return found != nullptr;
    });
    return found;
  }
  void runProcedure(const std::string& name, int request, std::string arg = {}) {
    run([this, name, request, arg] {
      state_->globals.NextRequest = request;
      if (const forms::ProcedureEntry* e = state_->procedures.find(name)) e->body(arg);
    });
  }
};

TEST_F(ProgramWindows, ASecondStartBringsTheRunningCopysFrameBack) {
  std::ofstream(folder_ / "config" / "trvnel12.ini") << "[Config]\nDataBase=" << database() << "\n";
  std::unique_ptr<core::ProgramState> first = makeState();
  core::registerCoreProcedures(*first);
  run([&] { core::RunProgram(*first); });
  ASSERT_TRUE(answer(messageBox(), "OK"));  // no mail system on this workstation
  WindowView* logon = titled("Vorn Trovanel 1.2 - Logon");
  ASSERT_NE(logon, nullptr);
  saveArtefact(logon->window(), "logon.png");
  auto* password = widget<QLineEdit>(logon, kLogonPassword);
  ASSERT_NE(password, nullptr);
  QTest::keyClicks(password, "admin");
  QTest::keyClick(password, Qt::Key_Return);  // OK is the default button
  WindowView* frame = view(0);
  ASSERT_NE(qobject_cast<QMainWindow*>(frame->window()), nullptr);
  ASSERT_NE(titled("Vorn Trovanel 1.2"), nullptr);
  ASSERT_TRUE(waitFor([&] {
    return !desktop.view(desktop.windows().back())->window()->windowTitle().contains("Logon");
  }));
  ASSERT_TRUE(waitFor([&] {
    return desktop.windows().size() == 2 && !frame->mdiArea()->background().texture().isNull();
  }));  // the splash window on the wallpaper
  saveArtefact(frame->window(), "frame_with_splash.png");

  frame->window()->showMinimized();
  ASSERT_TRUE(waitFor([&] { return frame->window()->isMinimized(); }));
  std::unique_ptr<core::ProgramState> second = makeState();
  std::atomic<bool> ended{false};
  run([&] {
    core::Main(*second);  // finds the first copy, asks it to come forward and ends
    ended = true;
  });
  EXPECT_TRUE(waitFor([&] { return ended.load(); }));
  EXPECT_TRUE(waitFor([&] {
    return !frame->window()->isMinimized() && QApplication::activeWindow() == frame->window();
  })) << frame->window()->isMinimized()
      << " active "
      << (QApplication::activeWindow() ? QApplication::activeWindow()->windowTitle().toStdString()
                                       : "none");
  EXPECT_TRUE(endProgram());
}

// Chooses the frame's menu item with this text (with or without "&").
void choose(WindowView* frame, const QString& text) {
  for (QAction* a : frame->window()->findChildren<QAction*>())
    if (a->text().remove('&') == QString(text).remove('&') && a->isEnabled() && a->isVisible()) {
      a->trigger();
      return;
    }
  ADD_FAILURE() << "no menu item " << text.toStdString();
}

TEST_F(ProgramWindows, ExitWithANewCaseFormOpenRemovesTheReservedCase) {
  std::ofstream(folder_ / "config" / "trvnel12.ini") << "[Config]\nDataBase=" << database() << "\n";
  std::unique_ptr<core::ProgramState> program = makeState();
  core::registerCoreProcedures(*program);
  cases::registerCaseProcedures(*program);
  run([&] { core::RunProgram(*program); });
  ASSERT_TRUE(answer(messageBox(), "OK"));  // no mail system on this workstation
  WindowView* logon = titled("Vorn Trovanel 1.2 - Logon");
  ASSERT_NE(logon, nullptr);
  auto* password = widget<QLineEdit>(logon, kLogonPassword);
  ASSERT_NE(password, nullptr);
  QTest::keyClicks(password, "admin");
  QTest::keyClick(password, Qt::Key_Return);
  WindowView* frame = view(0);
  ASSERT_TRUE(waitFor([&] {
    return !desktop.view(desktop.windows().back())->window()->windowTitle().contains("Logon");
  }));
  choose(frame, "Cases");
  WindowView* list = titled("Browse Cases");
  ASSERT_NE(list, nullptr);
  QPushButton* insert = nullptr;
  for (auto* b : list->window()->findChildren<QPushButton*>())
    if (b->text().remove('&') == "Insert") insert = b;
  ASSERT_NE(insert, nullptr);
  ASSERT_TRUE(waitFor([&] { return insert->isEnabled(); }));
  QTest::mouseClick(insert, Qt::LeftButton);
  WindowView* clients = titled("Clients");
  ASSERT_NE(clients, nullptr);
  ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() != nullptr; }));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  ASSERT_NE(titled(" New Case"), nullptr);
  std::uint64_t reserved = 0;
  ASSERT_TRUE(waitFor(
      [&] { return core::countRecords(database(), "Sercase", &reserved).ok && reserved == 1; }));
  choose(frame, "Exit");
  ASSERT_TRUE(waitFor([&] { return rt->waitFinished(std::chrono::milliseconds(0)); }));
  std::uint64_t left = 9;
  ASSERT_TRUE(core::countRecords(database(), "Sercase", &left).ok);
  EXPECT_EQ(left, 0u);
}

// The program as an agent starts it: signed on, the splash on the frame's wallpaper.
class SignedOn : public ProgramWindows {
 protected:
  WindowView* frame = nullptr;
  void SetUp() override {
    ProgramWindows::SetUp();
    std::ofstream(folder_ / "config" / "trvnel12.ini")
        << "[Config]\nDataBase=" << database() << "\n";
    program_ = makeState();
    core::registerCoreProcedures(*program_);
    cases::registerCaseProcedures(*program_);
    run([this] { core::RunProgram(*program_); });
    ASSERT_TRUE(answer(messageBox(), "OK"));  // no mail system on this workstation
    WindowView* logon = titled("Vorn Trovanel 1.2 - Logon");
    ASSERT_NE(logon, nullptr);
    // The proposed name is selected: typing a name replaces it.
    EXPECT_TRUE(waitFor([&] {
      auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget());
      return combo && logon->window()->isAncestorOf(combo) && combo->lineEdit() &&
             combo->lineEdit()->selectedText() == "Admin";
    }));
    auto* password = widget<QLineEdit>(logon, kLogonPassword);
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    QTest::keyClicks(password, "admin");
    QTest::keyClick(password, Qt::Key_Return);
    frame = view(0);
    ASSERT_TRUE(waitFor([&] {
      return desktop.windows().size() == 2 &&
             !desktop.view(desktop.windows().back())->window()->windowTitle().contains("Logon");
    }));  // the frame with the splash
  }
  void TearDown() override {
    EXPECT_TRUE(endProgram());
    program_.reset();
    ProgramWindows::TearDown();
  }
  std::unique_ptr<core::ProgramState> program_;
  // Chooses an item of the frame's menu by its texts.
  void choose(const QString& menu, const QString& item) {
    auto* bar = static_cast<QMainWindow*>(frame->window())->menuBar();
    for (QAction* m : bar->actions())
      if (m->text() == menu && m->menu())
        for (QAction* a : m->menu()->actions())
          if (a->text() == item) return a->trigger();
    ADD_FAILURE() << "no menu item " << item.toStdString();
  }
  bool inFront(WindowView* v) {
    return waitFor([&] {
      QWidget* focus = QApplication::focusWidget();
      return QApplication::activeWindow() == v->window()->window() && focus &&
             v->window()->isAncestorOf(focus);
    });
  }
};

TEST_F(SignedOn, AClickOnTheSplashClosesIt) {
  WindowView* splash = desktop.view(desktop.windows().back());
  ASSERT_NE(splash, nullptr);
  ASSERT_TRUE(waitFor([&] { return !splash->state().passedKeys.empty(); }));
  QTest::mouseClick(splash->controlWidget(1), Qt::LeftButton);
  EXPECT_TRUE(waitFor([&] { return desktop.windows().size() == 1; }));
}

TEST_F(SignedOn, ARightClickOnTheWorkAreaShowsTheFramesPopup) {
  QWidget* area = frame->mdiArea()->viewport();
  QPoint bare(area->width() - 5, area->height() - 5);
  ASSERT_EQ(area->childAt(bare), nullptr);
  QTest::mouseClick(area, Qt::RightButton, {}, bare);
  QMenu* popup = nullptr;
  ASSERT_TRUE(waitFor([&] {
    for (QWidget* w : desktop.requestWidgets())
      if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible()) popup = m;
    return popup != nullptr;
  }));
  ASSERT_FALSE(popup->actions().isEmpty());
  EXPECT_EQ(popup->actions().front()->text().trimmed(), "&Queues");
  saveArtefact(frame->window(), "frame_popup.png");
  popup->close();
  EXPECT_TRUE(waitFor([&] { return desktop.requestWidgets().empty(); }));
}

TEST_F(SignedOn, ANewCasesClientPickListStandsInFrontAndAltSSelects) {
  ASSERT_TRUE(
      core::insertRecord(
          database(), {{"CLI:SName", "ACME"}, {"CLI:LName", "Acme Ltd"}, {"CLI:Phone", "555-1234"}})
          .ok);
  choose("&Browse", "&Cases");
  WindowView* cases = titled("Browse Cases");
  ASSERT_NE(cases, nullptr);
  ASSERT_TRUE(waitFor([&] { return cases->controlWidget(cases::CasesInsert)->isEnabled(); }));
  widget<QPushButton>(cases, cases::CasesInsert)->click();
  WindowView* form = titled(" New Case");
  WindowView* pick = titled("Clients");
  ASSERT_TRUE(form && pick);
  EXPECT_EQ(qobject_cast<QMdiSubWindow*>(pick->window()), nullptr);
  EXPECT_EQ(pick->window()->parentWidget(), form->window());
  EXPECT_TRUE(inFront(pick));
  saveArtefact(form->window(), "case_form_under_pick_list.png");
  saveArtefact(pick->window(), "client_pick_list.png");

  const auto pickId = pick->id();  // the view is deleted with its window
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
  ASSERT_TRUE(waitFor([&] { return desktop.view(pickId) == nullptr; }));
  auto* client = widget<QLineEdit>(form, cases::kClientId);
  ASSERT_NE(client, nullptr);
  EXPECT_TRUE(waitFor([&] { return client->text().trimmed() == "ACME"; }));
  EXPECT_TRUE(inFront(form));
}

TEST_F(ProgramWindows, ABlankClientIsRefusedWithTheFocusOnItsId) {
  runProcedure("Updateclient", forms::RequestInsert);
  WindowView* form = titled("Adding a Client Record");
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(
      waitFor([&] { return QApplication::focusWidget() == form->controlWidget(kClientId); }));
  saveArtefact(form->window(), "client_form.png");
  widget<QPushButton>(form, kClientOk)->click();
  QMessageBox* box = messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->windowTitle(), "Vorn Trovanel 1.2");
  EXPECT_EQ(box->text(),
            "Name ID must be filled in: a record without it could never be found again, so it has "
            "not been saved.");
  saveArtefact(box, "blank_key_message.png");
  ASSERT_TRUE(answer(box, "OK"));
  EXPECT_TRUE(
      waitFor([&] { return QApplication::focusWidget() == form->controlWidget(kClientId); }));
  EXPECT_TRUE(form->window()->isVisible());
  std::uint64_t clients = 1;
  ASSERT_TRUE(core::countRecords(database(), "Client", &clients).ok);
  EXPECT_EQ(clients, 0u);
}

// Pictures of the program's other windows (the logon, the frame and the client form have
// theirs above), to look at.
TEST_F(ProgramWindows, EveryWindowKeepsAPicture) {
  struct Shot {
    const char* procedure;
    const char* title;
    const char* file;
  };
  const std::vector<Shot> shots = {
      {"BrowsClients", "Clients", "client_list.png"},
      {"ActionQueues", "All Open Case", "action_overview.png"},
      {"SendOutLook", "Vorn Trovanel 1.2 - Send Mail", "send_mail.png"},
  };
  for (const Shot& s : shots) {
    SCOPED_TRACE(s.procedure);
    runProcedure(s.procedure, 0);
    WindowView* v = titled(s.title);
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(waitFor([&] { return v->window()->isVisible(); }));
    saveArtefact(v->window(), s.file);
    v->window()->close();
    ASSERT_TRUE(waitFor([&] { return desktop.windows().empty(); }));
  }
  // The mail system's address book, as the send-mail window's button opens it.
  mail::WindowMailDialogs dialogs(*rt);
  mail::AddressRequest request;
  request.caption = "Address To:";
  request.editFields = 4;
  request.book = {{"Ann Client", "ann@example.com"}, {"Bob Client", "bob@example.com"}};
  std::atomic<bool> answered{false};
  run([&] {
    (void)dialogs.chooseRecipients(request);
    answered = true;
  });
  WindowView* book = titled("Address To:");
  ASSERT_NE(book, nullptr);
  saveArtefact(book->window(), "address_book.png");
  book->window()->close();
  EXPECT_TRUE(waitFor([&] { return answered.load(); }));
}

}  // namespace
}  // namespace trv::gui::testing
