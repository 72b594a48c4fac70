#pragma once
// Not built: a runtime header that reaches into the application core.
#include "core/program/program_state.h"
#include "runtime/ui/window.h"
