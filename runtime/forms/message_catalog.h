#pragma once
// MessageCatalog (`AppMessages`): the numbered messages through which file access, forms and
// lists report failures and ask their standard questions, and the per-thread stack of window
// procedure names.
//
// A message has an id, a kind, a title and a text with placeholders. Raise fills the
// placeholders from what the caller set (file name, field name, message text), from the calling
// thread's last store error (read at the moment of raising) and from the thread's newest
// procedure name, and shows the message as its kind prescribes:
//   benign            nothing shown                                  -> LevelOk
//   question (1, 4)   title, exclamation icon, Yes (default) and No  -> LevelOk / LevelDeclined
//   notify (5)        title, information icon, OK                    -> LevelNotify
//   program error (2), fatal (3), any other kind: the text and "  Press OK to end this
//                     application", OK; then the program ends        -> LevelFatal
// Placeholders are replaced in one left-to-right pass, without regard to case, the longest
// name first at each position ("%FileErrorCode" before "%File"), and inserted values are never
// scanned again: a file name that holds "%Field" stays as it is.
//
// Thread rules: one catalog serves every thread; calls are serialised inside. Raise and
// ShowMessage require a program thread of the UiRuntime (they give way while the box is shown).
// A message shown while the calling thread's store transaction is open rolls that transaction
// back first, so no lock is held while the user reads; callers should roll back (and so know
// it) before raising.

#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/data/message_sink.h"
#include "runtime/ui/front_end.h"

namespace trv::ui {
class UiRuntime;
}

namespace trv::forms {

using data::Level;

enum MessageKind : std::uint8_t {
  KindBenign = 0,
  KindQuestion = 1,
  KindProgram = 2,
  KindFatal = 3,
  KindQuestion2 = 4,
  KindNotify = 5,
};

struct MessageEntry {
  std::uint16_t id = 0;
  std::uint8_t kind = KindNotify;
  std::string title;
  std::string text;
};

// What Raise saved of the last failed store operation.
struct SavedError {
  int code = 0;
  std::string text;
  int driverCode = 0;
  std::string driverText;
};

// The built-in table as a block: a 16-bit count, then per entry the 16-bit id, the kind byte,
// and the title and text each as a 16-bit length and its bytes (little-endian).
std::vector<std::uint8_t> builtInMessageBlock();
std::vector<std::uint8_t> encodeMessageBlock(const std::vector<MessageEntry>& entries);
// False (and `out` unchanged) for a truncated or overlong block.
[[nodiscard]] bool decodeMessageBlock(std::span<const std::uint8_t> block,
                                      std::vector<MessageEntry>& out);

class MessageCatalog : public data::MessageSink {
 public:
  // ui must outlive the catalog.
  explicit MessageCatalog(ui::UiRuntime& ui);
  ~MessageCatalog() override = default;

  // Loads the built-in table and creates the name stack / disposes of both.
  void Init();
  void Shutdown();

  // Entries added later override earlier ones with the same id. False for a malformed block
  // (nothing added).
  [[nodiscard]] virtual bool AddMessages(std::span<const std::uint8_t> block);

  Level Raise(int id);
  Level RaiseWithText(int id, std::string_view text);
  data::MessageButton ShowMessage(int id, int buttons, data::MessageButton defaultButton);
  void SetFileName(std::string_view name);
  void SetFieldName(std::string_view name);

  // Pushes the name onto the calling thread's stack, or with pop set removes the newest.
  void PushProcedureName(std::string_view name, bool pop = false);
  std::string CurrentProcedureName() const;

  // The entry's text with its placeholders filled from `saved` and the current values.
  std::string Format(const MessageEntry& entry, const SavedError& saved) const;
  // The newest entry with this id, or null.
  const MessageEntry* Find(int id) const;

  // data::MessageSink
  Level raise(int id) override { return Raise(id); }
  Level raiseWithText(int id, std::string_view text) override { return RaiseWithText(id, text); }
  data::MessageButton showMessage(int id, int buttons, data::MessageButton defaultButton) override {
    return ShowMessage(id, buttons, defaultButton);
  }
  void setFileName(std::string_view name) override { SetFileName(name); }
  void setFieldName(std::string_view name) override { SetFieldName(name); }

 protected:
  // Dispatch by kind; `title` and `text` are the filled-in message.
  virtual Level OnBenign(const std::string& title, const std::string& text);
  virtual Level OnFatal(const std::string& title, const std::string& text);
  virtual Level OnNotify(const std::string& title, const std::string& text);
  virtual Level OnOther(const std::string& title, const std::string& text);
  virtual Level OnProgramError(const std::string& title, const std::string& text);
  virtual Level OnQuestion(const std::string& title, const std::string& text);
  Level EndProgram(const std::string& title, const std::string& text);
  // Shows a box on the calling thread (after rolling back an open transaction).
  int Show(const ui::MessageRequest& request);

 private:
  const MessageEntry* findLocked(int id, const MessageEntry** overridden) const;

  ui::UiRuntime& ui_;
  mutable std::mutex m_;
  std::vector<MessageEntry> entries_;
  std::map<int, std::vector<std::string>> names_;  // by thread number
  std::string fileName_;
  std::string fieldName_;
  std::string message_;
};

}  // namespace trv::forms
