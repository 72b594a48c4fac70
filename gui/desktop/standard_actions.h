#pragma once
// The window layer's standard menu actions at the desktop: the printer set-up (its choice is
// used by later printing), Cut, Copy and Paste on the entry that had the keyboard focus last,
// arranging the frame's child windows and listing them in its Window menu, and the help's index
// and instructions. Qt main thread only.

#include <QPointer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "runtime/ui/window_decl.h"

class QMdiArea;
class QMenu;
class QWidget;

namespace trv::gui {

// Opens a help page (help_pages.h) with the desktop's opener; a missing help folder is said in
// a message box above owner, never ignored.
void openHelp(const std::string& helpFile, std::string_view topic,
              const std::vector<std::filesystem::path>& folders, QWidget* owner);

class StandardActions {
 public:
  struct Context {
    QMdiArea* area = nullptr;  // the frame's work area
    QWidget* owner = nullptr;  // the window dialogs stand above
    std::string helpFile;
    std::vector<std::filesystem::path> folders;  // where the help folder is looked for
  };

  // Starts following the keyboard focus, so that the clipboard actions know the entry the user
  // was in before choosing from a menu.
  StandardActions();
  ~StandardActions();
  StandardActions(const StandardActions&) = delete;
  StandardActions& operator=(const StandardActions&) = delete;

  void run(ui::StandardAction action, const Context& context);

  // Adds the work area's windows to a Window menu (after a separator), the active one checked;
  // choosing one brings it forward. Items added before are replaced.
  static void listWindows(QMenu* menu, QMdiArea* area);

  // The entry the clipboard actions act on: the one focused last, while it exists.
  QWidget* editor() const { return editor_; }

 private:
  QPointer<QWidget> editor_;
  std::unique_ptr<QObject> watch_;
};

}  // namespace trv::gui
