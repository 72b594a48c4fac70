#include "cases/caseform/case_window.h"

#include "runtime/data/file_access.h"
#include "runtime/forms/record_use.h"
#include "runtime/text/charset.h"

namespace trv::cases {
namespace {

ui::UseVar field(data::FileAccess& f, const char* name) {
  return forms::useRecordField(f, name);
}

// A done check over its one-letter mark: ticked "D", unticked "N". A blank mark belongs to an
// escalation the product does not define; an unticked check leaves it blank, so that copying
// the window back into the record (as a save does) never opens an escalation that is not there.
ui::UseVar doneMark(data::FileAccess& f, const char* name) {
  ui::UseVar stored = forms::useRecordField(f, name);
  ui::UseVar u;
  u.name = name;
  u.get = [get = stored.get] { return ui::Value(std::int64_t{ui::valueText(get()) == "D"}); };
  u.set = [get = stored.get, set = stored.set](const ui::Value& v) {
    if (ui::valueNumber(v) != 0) {
      set(ui::Value(std::string("D")));
    } else if (ui::valueText(get()).find_first_not_of(' ') != std::string::npos) {
      set(ui::Value(std::string("N")));
    }
  };
  return u;
}

// The history box shows the memo; entries are added only through the form's actions.
ui::UseVar historyMemo(data::FileAccess& f) {
  ui::UseVar u;
  u.name = "SER:History";
  u.get = [&f] { return ui::Value(text::toUtf8(f.memo("SER:History"))); };
  u.set = [](const ui::Value&) {};
  return u;
}

}  // namespace

int buttonOfMenuItem(int item) {
  switch (item) {
    case kItemHelp:
      return kHelp;
    case kItemCancel:
      return kCancel;
    case kItemOk:
      return kOk;
    case kItemNotes:
      return kNotes;
    case kItemEmailOut:
      return kEmailOut;
    case kItemEmailIn:
      return kEmailIn;
    case kItemPhoneOut:
      return kPhoneOut;
    case kItemPhoneIn:
      return kPhoneIn;
    case kItemYank:
      return kYank;
    case kItemPrint:
      return kPrint;
    default:
      return 0;
  }
}

ui::WindowDecl caseWindowDecl(data::FileAccess& s) {
  ui::WindowDecl d;
  d.title = "Update Cases";
  d.kind = ui::WindowKind::Modal;
  d.resizable = true;
  d.menu = {
      ui::submenu(kMenuWindow, "&Window",
                  {ui::submenu(kMenuColour, "Colo&r",
                               {ui::menuItem(kItemTextColour, "&Text Color"),
                                ui::menuItem(kItemBackground, "&Background")}),
                   ui::menuItem(kItemHelp, "&Help"), ui::menuItem(kItemCancel, "&Cancel"),
                   ui::menuItem(kItemOk, "&OK")}),
      ui::submenu(
          kMenuAction, "&Action",
          {ui::menuItem(kItemNotes, "&Notes"), ui::menuItem(kItemEmailOut, "&Email Out"),
           ui::menuItem(kItemEmailIn, "E&mail In"), ui::menuItem(kItemPhoneOut, "Phone &Out"),
           ui::menuItem(kItemPhoneIn, "Phone &In"), ui::menuItem(kItemYank, "&Yank"),
           ui::menuItem(kItemPrint, "&Print")}),
  };

  auto& c = d.controls;
  // Client and product.
  c.push_back(ui::prompt("?Prompt:CaseNr", "Case Nr:").withNumber(kCaseNrPrompt).at(1, 1));
  c.push_back(ui::entry("?SER:CaseNr", "@n06", field(s, "SER:CaseNr"))
                  .withNumber(kCaseNr)
                  .at(1, 2)
                  .size(6)
                  .asReadOnly());  // the number is reserved for the case, never typed
  c.push_back(ui::prompt("?Prompt:SName", "Client ID").withNumber(kClientIdPrompt).at(2, 1));
  c.push_back(ui::entry("?SER:SName", "@s6", field(s, "SER:SName"))
                  .withNumber(kClientId)
                  .withTip("Client Name")
                  .at(2, 2)
                  .size(6));
  c.push_back(ui::button("?ClientDetails", "...")
                  .withNumber(kClientDetails)
                  .withTip("View Details")
                  .at(2, 3)
                  .asHidden());
  c.push_back(ui::string("?SER:LName", "")
                  .withUse(field(s, "SER:LName"))
                  .withPicture("@s50")
                  .withNumber(kClientName)
                  .at(3, 2)
                  .size(50));
  c.push_back(ui::string("?SER:IDProduct", "")
                  .withUse(field(s, "SER:IDProduct"))
                  .withPicture("@s16")
                  .withNumber(kProductId)
                  .at(5, 3)
                  .size(16));
  c.push_back(ui::prompt("?Prompt:Phone", "Phone").withNumber(kPhonePrompt).at(4, 1));
  c.push_back(ui::string("?SER:Phone", "")
                  .withUse(field(s, "SER:Phone"))
                  .withPicture("@s16")
                  .withNumber(kPhone)
                  .at(4, 2)
                  .size(15));
  c.push_back(ui::prompt("?Prompt:Product", "Product").withNumber(kProductPrompt).at(5, 1));
  c.push_back(ui::entry("?SER:Product", "@s50", field(s, "SER:Product"))
                  .withNumber(kProduct)
                  .withTip("Product Name")
                  .at(5, 2)
                  .size(50));
  c.push_back(ui::prompt("?Prompt:Problem", "Problem").withNumber(kProblemPrompt).at(6, 1));
  c.push_back(ui::entry("?SER:SProblem", "@s80", field(s, "SER:SProblem"))
                  .withNumber(kProblemText)
                  .withTip("Problem Description")
                  .at(6, 2)
                  .size(80));
  c.push_back(ui::dropList("?SER:SProblem:2", {}, field(s, "SER:SProblem"))
                  .withNumber(kProblemList)
                  .withTip("Select Problem")
                  .at(6, 2)
                  .size(50)
                  .asHidden());

  // Priority and start.
  c.push_back(ui::dropList("?SER:Priority", {"High", "Medium", "Minimal"}, field(s, "SER:Priority"))
                  .withNumber(kPriority)
                  .withTip("Choose Priority")
                  .at(7, 2)
                  .size(7));
  c.push_back(ui::prompt("?Prompt:Priority", "Priority").withNumber(kPriorityPrompt).at(7, 1));
  c.push_back(ui::string("?PriorityLabel", "").withNumber(kPriorityLabel).at(7, 3).size(26));
  c.push_back(ui::group("?CaseStart", "Case Start").withNumber(kCaseStart).at(8, 1));
  c.push_back(ui::button("?PickDate", "Pick Other Date").withNumber(kPickDate).in(kCaseStart));
  c.push_back(ui::prompt("?Prompt:STime", "Time").withNumber(kStartTimePrompt).in(kCaseStart));
  c.push_back(ui::entry("?SER:STime", "@t1", field(s, "SER:STime"))
                  .withNumber(kStartTime)
                  .size(5)
                  .in(kCaseStart));
  c.push_back(ui::prompt("?Prompt:SDate", "Date").withNumber(kStartDatePrompt).in(kCaseStart));
  c.push_back(ui::entry("?SER:SDate", "@d5", field(s, "SER:SDate"))
                  .withNumber(kStartDate)
                  .size(8)
                  .in(kCaseStart));

  // The three escalations.
  struct Escalation {
    int datePrompt, date, timePrompt, time, done;
    const char *dateText, *timeText, *dateField, *timeField, *mark;
    const char* picture;
  };
  const Escalation escalations[] = {
      {kFirstEscDatePrompt, kFirstEscDate, kFirstEscTimePrompt, kFirstEscTime, kFirstDone,
       "First Esc Date:", "First Esc Time:", "SER:FirstEscDate", "SER:FirstEscTime",
       "SER:FirstAction", ""},
      {kSecEscDatePrompt, kSecEscDate, kSecEscTimePrompt, kSecEscTime, kSecDone,
       "Sec Esc Date:", "Sec Esc Time:", "SER:SecEscDate", "SER:SecEscTime", "SER:SecAction", "b"},
      {kThirdEscDatePrompt, kThirdEscDate, kThirdEscTimePrompt, kThirdEscTime, kThirdDone,
       "Third Esc Date:", "Third Esc Time:", "SER:ThirdEscDate", "SER:ThirdEscTime",
       "SER:ThirdAction", "b"},
  };
  c.push_back(ui::group("?Escalations", "Escalations").withNumber(kEscalationGroup).at(9, 1));
  int row = 1;
  for (const Escalation& e : escalations) {
    c.push_back(ui::prompt(std::string("?Prompt:") + e.dateField, e.dateText)
                    .withNumber(e.datePrompt)
                    .at(row, 1)
                    .in(kEscalationGroup));
    c.push_back(ui::entry(std::string("?") + e.dateField, std::string("@d5") + e.picture,
                          field(s, e.dateField))
                    .withNumber(e.date)
                    .at(row, 2)
                    .size(8)
                    .asReadOnly()
                    .in(kEscalationGroup));
    c.push_back(ui::prompt(std::string("?Prompt:") + e.timeField, e.timeText)
                    .withNumber(e.timePrompt)
                    .at(row, 3)
                    .in(kEscalationGroup));
    c.push_back(ui::entry(std::string("?") + e.timeField, std::string("@t1") + e.picture,
                          field(s, e.timeField))
                    .withNumber(e.time)
                    .at(row, 4)
                    .size(5)
                    .asReadOnly()
                    .in(kEscalationGroup));
    c.push_back(ui::check(std::string("?") + e.mark, "Done", doneMark(s, e.mark))
                    .withNumber(e.done)
                    .withValue("1")
                    .at(row, 5)
                    .in(kEscalationGroup));
    ++row;
  }

  // Actions, status and the history.
  const std::pair<int, const char*> notes[] = {{kPhoneIn, "Phone &In"},
                                               {kPhoneOut, "Phone &Out"},
                                               {kEmailIn, "E&mail In "},
                                               {kEmailOut, "&Email Out"},
                                               {kNotes, "&Notes"}};
  // Buttons without a place go to the window's button row, in declaration order.
  for (const auto& [number, text] : notes)
    c.push_back(ui::button("?Note" + std::to_string(number), text).withNumber(number));
  c.push_back(ui::prompt("?Prompt:Status", "Current Status").withNumber(kStatusPrompt).at(10, 1));
  c.push_back(ui::dropList("?SER:Status", {"Active", "On Hold", "Closed"}, field(s, "SER:Status"))
                  .withNumber(kStatus)
                  .at(10, 2)
                  .size(7));
  c.push_back(ui::button("?OK", "&OK").withNumber(kOk).asDefault());
  c.push_back(ui::button("?Cancel", "&Cancel").withNumber(kCancel));
  c.push_back(ui::button("?Help", "&Help").withNumber(kHelp));
  c.push_back(ui::textBox("?SER:History", historyMemo(s))
                  .withNumber(kHistory)
                  .withTip("Case History")
                  .at(11, 1)
                  .size(80, 12)
                  .asReadOnly());
  c.push_back(ui::group("?Action", "Action").withNumber(kActionGroup).at(12, 1));
  c.push_back(ui::button("?Yank", "&Yank Case").withNumber(kYank).in(kActionGroup));
  c.push_back(ui::button("?Print", "&Print Case").withNumber(kPrint).in(kActionGroup));
  return d;
}

}  // namespace trv::cases
