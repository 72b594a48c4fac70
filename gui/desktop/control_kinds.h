#pragma once
// The adapters of the control kinds, one function per kind (see control_view.h).

#include "gui/desktop/control_view.h"

namespace trv::gui {

// input_controls.cpp
const ControlAdapter& entryAdapter();
const ControlAdapter& textAdapter();
const ControlAdapter& spinAdapter();
const ControlAdapter& choiceAdapter();  // drop lists and combos

// button_controls.cpp
const ControlAdapter& buttonAdapter();
const ControlAdapter& checkAdapter();
const ControlAdapter& optionAdapter();
const ControlAdapter& radioAdapter();

// list_control.cpp
const ControlAdapter& listAdapter();

// cell_editor.cpp: an entry of a list's in-place row editor (ui::ControlState::cellOf)
const ControlAdapter& cellEditorAdapter();

// static_controls.cpp
const ControlAdapter& labelAdapter();  // strings and prompts
const ControlAdapter& imageAdapter();
const ControlAdapter& progressAdapter();
const ControlAdapter& groupAdapter();
const ControlAdapter& frameLineAdapter();  // boxes and lines
const ControlAdapter& sheetAdapter();
const ControlAdapter& tabAdapter();

}  // namespace trv::gui
