#pragma once
// The globals that window procedures share: the request for the next procedure, the response of
// the last one, and the thread slots of single-instance windows.
//
// One FormGlobals lives in the program's state object and is shared by every program thread;
// only the thread holding the baton touches it, so it needs no lock.

#include <map>
#include <string>

namespace trv::forms {

enum Request : int {
  RequestNone = 0,
  RequestInsert = 1,
  RequestChange = 2,
  RequestDelete = 3,
  RequestSelect = 4,
  RequestPrint = 5,
};

enum Response : int {
  ResponseCompleted = 1,
  ResponseCancelled = 2,  // 0 reads as cancelled too
};

struct FormGlobals {
  int NextRequest = 0;
  int LastResponse = 0;
  // Thread numbers of running single-instance windows by slot name ("BrowsCasesThread");
  // 0 or missing: none runs.
  std::map<std::string, int> slots;
  // How many windows run under a slot that allows more than one (the client form's two).
  std::map<std::string, int> instanceCounts;
  // The record each form procedure saved last (by procedure name), from which its ditto key
  // takes a field back in a later call.
  std::map<std::string, std::string> dittoRecords;
  int slot(const std::string& name) const {
    auto it = slots.find(name);
    return it == slots.end() ? 0 : it->second;
  }
  int instances(const std::string& name) const {
    auto it = instanceCounts.find(name);
    return it == instanceCounts.end() ? 0 : it->second;
  }
};

}  // namespace trv::forms
