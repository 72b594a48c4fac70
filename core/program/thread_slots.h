#pragma once
// The thread slots of the single-instance windows: each names the program thread that runs the
// window now (FormGlobals::slots), 0 or missing when none runs. A window declares its own slot
// (WindowController::SINGLESLOT) or its registration names the slot its starters fill
// (ProcedureEntry::startSlot); the frame posts gain focus and close window through them.

namespace trv::core {

inline constexpr const char* kBrowsCasesThread = "BrowsCasesThread";
inline constexpr const char* kActionQueuesThread = "ActionQueuesThread";
inline constexpr const char* kWindowExportFileThread = "WindowExportFileThread";
inline constexpr const char* kBrowsLogThread = "BrowsLogThread";
inline constexpr const char* kEmailInThread = "EmailInThread";
inline constexpr const char* kChangeCasesThread = "ChangeCasesThread";
inline constexpr const char* kAboutThread = "AboutThread";
// The client form allows two at once: the slot names the one opened last.
inline constexpr const char* kUpdateclientThread = "UpdateclientThread";

}  // namespace trv::core
