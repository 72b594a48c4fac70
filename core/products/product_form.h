#pragma once
// UpdateSLA: the form that adds, changes and deletes one product with its service level: the
// priority flag and priority, the response time, three escalation spans (a time and days each)
// and the service mode (around the clock, or office hours between a start and an end). OK saves
// only a level that passes the service-level checks; a changed product id is carried into the
// cases, and a product that cases name cannot be deleted. Users of level 0 cannot open it. While
// it is open the frame's timer stands still.
//
// Requires a program thread of the state's runtime, with the data dictionary set up.

namespace trv::core {

class ProgramState;

// Control numbers of the "SLA Update" window.
enum ProductFormControl : int {
  ProductSheet = 1,
  ProductTab = 2,
  ProductIdPrompt = 3,
  ProductId = 4,
  ProductPriorityFix = 5,
  ProductPriority = 6,
  ProductNamePrompt = 7,
  ProductName = 8,
  ProductPriorityText = 9,
  ProductTimesGroup = 10,
  ProductResponsPrompt = 11,
  ProductRespons = 12,
  ProductFirstEscPrompt = 13,
  ProductFirstEsc = 14,
  ProductFirstDaysPrompt = 15,
  ProductFirstEscDays = 16,
  ProductSecEscPrompt = 17,
  ProductSecEsc = 18,
  ProductSecDaysPrompt = 19,
  ProductSecEscDays = 20,
  ProductThdEscPrompt = 21,
  ProductThdEsc = 22,
  ProductThirdDaysPrompt = 23,
  ProductThirdEscDays = 24,
  ProductServiceGroup = 25,
  ProductServiceShift = 26,
  ProductStartPrompt = 27,
  ProductServiceStart = 28,
  ProductEndPrompt = 29,
  ProductServiceEnd = 30,
  ProductOk = 31,
  ProductCancel = 32,
  ProductHelp = 33,
};

// Runs the form on the calling thread with the request in NextRequest (the record to change or
// delete in the Sla buffer); the response is left in LastResponse. A delete asks first and never
// shows the form.
void UpdateSLA(ProgramState& state);
// Registers UpdateSLA with the program's procedures.
void registerUpdateSLA(ProgramState& state);

}  // namespace trv::core
