// Not built: core code that reaches into the case handling.
// clang-format off
#  include <cases/caseform/case_form.h>
#include "core/program/program_state.h"
// #include "cases/notes/notes_window.h" is only a comment
