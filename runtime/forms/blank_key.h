#pragma once
// A form never saves a record whose primary key is blank: the store leaves such a record out of
// that key, so no list could ever show, change or delete it again.
//
// Requires a program thread (the message gives way while it is shown).

namespace trv::data {
class FileAccess;
}
namespace trv::ui {
class Window;
}

namespace trv::forms {

class MessageCatalog;

// Message shown for a blank key (its %Field is the label of the key's first field).
inline constexpr int kBlankKeyMessage = 42;

// Copies the window's controls to their use variables, then checks the primary key of `file`
// in this thread's record buffer (an auto-numbered key is the store's to fill). When every one
// of its fields is blank or zero: shows message kBlankKeyMessage, selects the control of the
// key's first field and returns true; nothing is written. False when the key is filled.
bool refuseBlankKey(data::FileAccess& file, ui::Window& window, MessageCatalog& messages);

}  // namespace trv::forms
