// scenario-runner FILE...: runs each scenario on a fresh headless workstation.

#include <cstdlib>
#include <iostream>

#include "tests/scenarios/program_steps.h"
#include "tests/scenarios/runner.h"

int main(int argc, char** argv) {
  using namespace trv::scenario;
  Suite suite;
  registerUiSteps(suite.steps);
  registerReportSteps(suite.steps);
  registerTestProcedures(suite);
  registerProgramSteps(suite);
  int passed = 0, failed = 0;
  for (int i = 1; i < argc; ++i) (runFile(suite, argv[i]) ? passed : failed)++;
  std::cout << passed << " passed, " << failed << " failed" << std::endl;
  const int code = failed == 0 && passed > 0 ? 0 : 1;
  if (programsLeftBehind()) {
    std::cerr.flush();
    std::_Exit(code);
  }
  return code;
}
