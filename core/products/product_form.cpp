#include "core/products/product_form.h"

#include "core/data/records.h"
#include "core/data/words.h"
#include "core/products/service_level_checks.h"
#include "core/program/program_state.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/program_message.h"
#include "runtime/forms/record_use.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

constexpr const char* kTimePicture = "@T1B";
constexpr const char* kDaysPicture = "@n1";
constexpr std::int64_t kLastTime = 8640000;  // 23:59:59.99

// The controls office hours show.
constexpr int kOfficeControls[] = {ProductStartPrompt, ProductServiceStart, ProductEndPrompt,
                                   ProductServiceEnd};

// One escalation row: its time entry and its days entry, each after its prompt.
struct EscalationRow {
  int timePrompt;
  const char* promptText;
  const char* timeField;
  const char* timeTip;
  int daysPrompt;
  const char* daysField;
};

constexpr EscalationRow kEscalations[] = {
    {ProductFirstEscPrompt, "First Esc:", "SLA:FirstEsc", "First Escalation (cannot be zero)",
     ProductFirstDaysPrompt, "SLA:FirstEscDays"},
    {ProductSecEscPrompt, "Sec Esc:", "SLA:SecEsc", "Second Escalation", ProductSecDaysPrompt,
     "SLA:SecEscDays"},
    {ProductThdEscPrompt, "Thd Esc:", "SLA:ThdEsc", "Third Escalation", ProductThirdDaysPrompt,
     "SLA:ThirdEscDays"},
};

ui::WindowDecl productDecl(data::FileAccess& sla) {
  auto use = [&sla](const char* field) { return forms::useRecordField(sla, field); };
  ui::WindowDecl d;
  d.title = "SLA Update";
  d.kind = ui::WindowKind::Modal;
  auto& c = d.controls;
  c.push_back(ui::sheet("?Sheet").withNumber(ProductSheet));
  c.push_back(ui::tab("?Tab:General", "General").withNumber(ProductTab).in(ProductSheet));
  c.push_back(ui::prompt("?Prompt:IDProduct", "Product ID :")
                  .withNumber(ProductIdPrompt)
                  .at(1, 1)
                  .in(ProductTab));
  c.push_back(ui::entry("?SLA:IDProduct", "@s16", use("SLA:IDProduct"))
                  .withNumber(ProductId)
                  .withTip("Soort SLA")
                  .size(16)
                  .at(1, 2)
                  .in(ProductTab));
  c.push_back(ui::check("?SLA:PriorityFix", "", use("SLA:PriorityFix"))
                  .withNumber(ProductPriorityFix)
                  .withValue("1")
                  .withTip("Set Priority")
                  .at(2, 2)
                  .in(ProductTab));
  c.push_back(ui::dropList("?SLA:Priority",
                           {std::string(kPriorityHigh), std::string(kPriorityMedium),
                            std::string(kPriorityMinimal)},
                           use("SLA:Priority"))
                  .withNumber(ProductPriority)
                  .withTip("Select Priority")
                  .size(7)
                  .at(2, 3)
                  .in(ProductTab));
  c.push_back(ui::prompt("?Prompt:Product", "Product Name :")
                  .withNumber(ProductNamePrompt)
                  .at(3, 1)
                  .in(ProductTab));
  c.push_back(ui::entry("?SLA:Product", "@s50", use("SLA:Product"))
                  .withNumber(ProductName)
                  .withTip("Full Name Product")
                  .size(30)
                  .at(3, 2)
                  .in(ProductTab));
  c.push_back(ui::string("?String:Priority", "Product Priority :")
                  .withNumber(ProductPriorityText)
                  .at(2, 1)
                  .in(ProductTab));

  c.push_back(ui::group("?Group:Times", "Time Schedules SLA's")
                  .withNumber(ProductTimesGroup)
                  .at(4, 1)
                  .in(ProductTab));
  c.push_back(ui::prompt("?Prompt:Respons", "Response :")
                  .withNumber(ProductResponsPrompt)
                  .at(1, 1)
                  .in(ProductTimesGroup));
  c.push_back(ui::entry("?SLA:Respons", kTimePicture, use("SLA:Respons"))
                  .withNumber(ProductRespons)
                  .withTip("Responsetijd")
                  .at(1, 2)
                  .in(ProductTimesGroup));
  int row = 2;
  for (const EscalationRow& e : kEscalations) {
    c.push_back(ui::prompt(std::string("?Prompt:") + (e.timeField + 4), e.promptText)
                    .withNumber(e.timePrompt)
                    .at(row, 1)
                    .in(ProductTimesGroup));
    c.push_back(ui::entry(std::string("?") + e.timeField, kTimePicture, use(e.timeField))
                    .withNumber(e.timePrompt + 1)
                    .withTip(e.timeTip)
                    .at(row, 2)
                    .in(ProductTimesGroup));
    c.push_back(ui::prompt(std::string("?Prompt:") + (e.daysField + 4), "Day(s)")
                    .withNumber(e.daysPrompt)
                    .at(row, 3)
                    .in(ProductTimesGroup));
    c.push_back(ui::entry(std::string("?") + e.daysField, kDaysPicture, use(e.daysField))
                    .withNumber(e.daysPrompt + 1)
                    .withTip("Escal;atrion time in days")
                    .size(2)
                    .at(row, 4)
                    .in(ProductTimesGroup));
    ++row;
  }

  c.push_back(ui::group("?Group:Service", "Service 24 hours")
                  .withNumber(ProductServiceGroup)
                  .at(5, 1)
                  .in(ProductTab));
  c.push_back(ui::check("?SLA:ServiceShift", "Service Shift", use("SLA:ServiceShift"))
                  .withNumber(ProductServiceShift)
                  .withValue("1")
                  .withTip("Use Office Hours")
                  .at(1, 1)
                  .in(ProductServiceGroup));
  c.push_back(ui::prompt("?Prompt:ServiceStart", "Service Start:")
                  .withNumber(ProductStartPrompt)
                  .at(2, 1)
                  .in(ProductServiceGroup));
  c.push_back(ui::spin("?SLA:SERVICESTART", kTimePicture, 0, kLastTime, use("SLA:SERVICESTART"))
                  .withNumber(ProductServiceStart)
                  .withTip("Starten van Service")
                  .at(2, 2)
                  .in(ProductServiceGroup));
  c.push_back(ui::prompt("?Prompt:ServiceEnd", "Service End:")
                  .withNumber(ProductEndPrompt)
                  .at(3, 1)
                  .in(ProductServiceGroup));
  c.push_back(ui::spin("?SLA:ServiceEnd", kTimePicture, 0, kLastTime, use("SLA:ServiceEnd"))
                  .withNumber(ProductServiceEnd)
                  .withTip("Einde Servicetijd")
                  .at(3, 2)
                  .in(ProductServiceGroup));

  c.push_back(ui::button("?OK", "OK").withNumber(ProductOk).at(6, 1).asDefault());
  c.push_back(ui::button("?Cancel", "Cancel").withNumber(ProductCancel).at(6, 2));
  c.push_back(ui::button("?Help", "&Help").withNumber(ProductHelp).at(6, 3));
  return d;
}

int controlOf(SlaField f) {
  switch (f) {
    case SlaField::FirstEsc:
      return ProductFirstEsc;
    case SlaField::FirstEscDays:
      return ProductFirstEscDays;
    case SlaField::SecEsc:
      return ProductSecEsc;
    case SlaField::SecEscDays:
      return ProductSecEscDays;
    case SlaField::ThdEsc:
      return ProductThdEsc;
    case SlaField::ThirdEscDays:
      return ProductThirdEscDays;
    case SlaField::ServiceStart:
      return ProductServiceStart;
    case SlaField::Priority:
      return ProductPriority;
  }
  return ProductFirstEsc;
}

ServiceLevel levelOf(const SlaRecord& r) {
  ServiceLevel l;
  l.FirstEsc = r.FirstEsc;
  l.SecEsc = r.SecEsc;
  l.ThdEsc = r.ThdEsc;
  l.FirstEscDays = r.FirstEscDays;
  l.SecEscDays = r.SecEscDays;
  l.ThirdEscDays = r.ThirdEscDays;
  l.officeHours = r.ServiceShift != 0;
  l.ServiceStart = r.ServiceStart;
  l.ServiceEnd = r.ServiceEnd;
  l.priorityFix = r.PriorityFix != 0;
  l.priorityBlank = r.Priority.blank();
  return l;
}

class ProductForm final : public forms::WindowController {
 public:
  explicit ProductForm(ProgramState& s)
      : WindowController(s.forms, "UpdateSLA", productDecl(*s.dictionary.SlaAccess)), s_(s) {
    PRIMARY = s.dictionary.SlaRelations.get();
    OKCONTROL = ProductOk;
    DELETEACTION = 2;  // the list's delete asks first and never shows the form
    UseFile(*s.dictionary.SlaRelations);
    HOLDFRAMETIMER = true;
    AddCloseButton(ProductCancel, forms::ResponseCancelled);
    AddHelpButton(ProductHelp, "Inserting Products");
    for (int control :
         {ProductId, ProductPriorityFix, ProductPriority, ProductName, ProductRespons,
          ProductFirstEsc, ProductFirstEscDays, ProductSecEsc, ProductSecEscDays, ProductThdEsc,
          ProductThirdEscDays, ProductServiceShift, ProductServiceStart, ProductServiceEnd})
      RememberHistoryField(control);
  }

  data::Level Init() override {
    if (s_.user.Level == 0) {
      s_.globals.NextRequest = 0;
      return data::LevelFatal;
    }
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    window().setTitle(REQUEST == forms::RequestInsert ? "Adding a Product" : "Changing a Product");
    showPriority();
    showServiceHours();
    window().display();
    return data::LevelOk;
  }

  // A check taken back by the ditto key shows or hides what it governs, as a click would.
  void RestoreHistoryField(int control) override {
    WindowController::RestoreHistoryField(control);
    if (control == ProductPriorityFix) showPriority();
    if (control == ProductServiceShift) showServiceHours();
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case ProductPriorityFix:
        window().update(ProductPriorityFix);
        showPriority();
        window().display();
        return data::LevelOk;
      case ProductServiceShift:
        window().update(ProductServiceShift);
        showServiceHours();
        window().display();
        if (product().ServiceShift) capDaysForOfficeHours();
        return data::LevelOk;
      case ProductOk:
        window().update();
        if (auto refusal = checkServiceLevel(levelOf(product()))) {
          if (!refusal->message.empty()) say(refusal->message);
          window().select(controlOf(refusal->focus));
          return data::LevelNotify;
        }
        return WindowController::HandleAccepted();
      default:
        return WindowController::HandleAccepted();
    }
  }

 private:
  SlaRecord& product() { return s_.dictionary.SlaAccess->record<SlaRecord>(); }

  void showPriority() { window().setHidden(ProductPriority, !product().PriorityFix); }

  void showServiceHours() {
    SlaRecord& r = product();
    r.ServiceShift = r.ServiceShift ? 1 : 0;
    for (int n : kOfficeControls) window().setHidden(n, !r.ServiceShift);
  }

  // Office hours allow at most three days per escalation: each longer one is cut to three, and
  // the user is told so at that field.
  void capDaysForOfficeHours() {
    SlaRecord& r = product();
    struct Days {
      std::int32_t& days;
      int control;
    } all[] = {{r.FirstEscDays, ProductFirstEscDays},
               {r.SecEscDays, ProductSecEscDays},
               {r.ThirdEscDays, ProductThirdEscDays}};
    for (Days& d : all) {
      if (d.days <= kOfficeMaxDays) continue;
      d.days = kOfficeMaxDays;
      window().display(d.control);
      say(kMaxThreeDays);
      window().select(d.control);
    }
  }

  void say(const std::string& text) { forms::tell(s_.forms, text); }

  ProgramState& s_;
};

}  // namespace

void UpdateSLA(ProgramState& s) {
  ProductForm form(s);
  form.Run();
}

void registerUpdateSLA(ProgramState& s) {
  s.procedures.add("UpdateSLA", forms::onCallersThread([&s](std::string_view) { UpdateSLA(s); }));
}

}  // namespace trv::core
