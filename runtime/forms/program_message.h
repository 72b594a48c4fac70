#pragma once
// The program's own message boxes, the ones not taken from the message catalog: the text, the
// program's caption (FormContext::caption) and an icon. Every window and job shows its boxes
// through these, so that the caption and the buttons are the same everywhere.
//
// Requires a program thread of the context's UiRuntime; the thread gives way until the box is
// answered. Texts are UTF-8.

#include <string>
#include <vector>

#include "runtime/ui/front_end.h"

namespace trv::forms {

struct FormContext;

enum class Caption { Program, None };

// A box with OK. Returns when it is closed (at once after the program ended).
void tell(const FormContext& ctx, std::string text, ui::Icon icon = ui::Icon::Exclamation,
          Caption caption = Caption::Program);

// A box with the given buttons ("&Yes", "&No"), the default one by its position from 1. Returns
// the position of the button pressed, 0 when the program ended.
int ask(const FormContext& ctx, std::string text, ui::Icon icon, std::vector<std::string> buttons,
        int defaultButton = 1);

}  // namespace trv::forms
