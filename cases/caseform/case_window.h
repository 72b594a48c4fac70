#pragma once
// The "Update Cases" window of the case form: its control numbers and its declaration.
//
// Numbers 1-15 are menu entries; menu items 5-7 and 9-15 stand for the buttons named beside
// them. The done checks show a "D" mark as ticked and store "N" when unticked.

#include "runtime/ui/window_decl.h"

namespace trv::data {
class FileAccess;
}

namespace trv::cases {

enum CaseControl : int {
  kMenuWindow = 1,
  kMenuColour = 2,
  kItemTextColour = 3,
  kItemBackground = 4,
  kItemHelp = 5,
  kItemCancel = 6,
  kItemOk = 7,
  kMenuAction = 8,
  kItemNotes = 9,
  kItemEmailOut = 10,
  kItemEmailIn = 11,
  kItemPhoneOut = 12,
  kItemPhoneIn = 13,
  kItemYank = 14,
  kItemPrint = 15,
  kCaseNrPrompt = 16,
  kCaseNr = 17,
  kClientIdPrompt = 18,
  kClientId = 19,
  kClientDetails = 20,
  kClientName = 21,
  kPhonePrompt = 22,
  kProductId = 23,
  kPhone = 24,
  kProductPrompt = 25,
  kProduct = 26,
  kProblemPrompt = 27,
  kProblemText = 28,
  kProblemList = 29,
  kEscalationGroup = 30,
  kPriorityPrompt = 32,
  kPriority = 33,
  kPriorityLabel = 34,
  kPickDate = 35,
  kCaseStart = 36,
  kStartTime = 37,
  kStartTimePrompt = 38,
  kStartDate = 39,
  kStartDatePrompt = 40,
  kFirstEscDatePrompt = 41,
  kFirstEscDate = 42,
  kFirstEscTimePrompt = 43,
  kFirstEscTime = 44,
  kFirstDone = 45,
  kSecEscDatePrompt = 46,
  kSecEscDate = 47,
  kSecEscTimePrompt = 48,
  kSecEscTime = 49,
  kSecDone = 50,
  kThirdEscDatePrompt = 51,
  kThirdEscDate = 52,
  kThirdEscTimePrompt = 53,
  kThirdEscTime = 54,
  kThirdDone = 55,
  kPhoneIn = 56,
  kPhoneOut = 57,
  kEmailIn = 58,
  kEmailOut = 59,
  kNotes = 60,
  kStatusPrompt = 61,
  kStatus = 62,
  kOk = 63,
  kCancel = 64,
  kHelp = 65,
  kHistory = 66,
  kActionGroup = 67,
  kYank = 68,
  kPrint = 69,
};

// The button a menu item stands for; 0 for the colour items and for anything else.
int buttonOfMenuItem(int item);

// The window over the thread's case buffer in `sercase`.
ui::WindowDecl caseWindowDecl(data::FileAccess& sercase);

}  // namespace trv::cases
