#pragma once
// Scenario steps that need the program itself: the database set-up steps, record set-up and
// checks, the mail store, and starting the program body.

#include "tests/scenarios/runner.h"

namespace trv::scenario {

void registerProgramSteps(Suite& suite);

}  // namespace trv::scenario
