#include "core/frame/frame_menu.h"

namespace trv::core {
namespace {

ui::MenuItemDecl item(int number, std::string text, std::vector<ui::MenuItemDecl> items = {}) {
  ui::MenuItemDecl d;
  d.number = number;
  d.text = std::move(text);
  d.items = std::move(items);
  return d;
}

// An item the window layer carries out itself.
ui::MenuItemDecl standard(int number, std::string text, ui::StandardAction action) {
  ui::MenuItemDecl d = item(number, std::move(text));
  d.standard = action;
  return d;
}

ui::MenuItemDecl separator(int number) {
  return item(number, "-");
}

}  // namespace

std::vector<ui::MenuItemDecl> frameMenu() {
  return {
      item(MenuFile, "Trova&nel",
           {item(MenuLogon, "&Logon"), item(MenuLogout, "&Log&out"), item(MenuExit, "E&xit")}),
      item(MenuBrowse, "&Browse",
           {item(MenuBrowseQueues, "&Queues"), item(MenuBrowseCases, "&Cases"),
            item(MenuBrowseClients, "Cli&ents"), item(MenuBrowseProducts, "&Products"),
            item(MenuBrowseArchive, "&Archive")}),
      item(MenuHouseHold, "&HouseHold",
           {item(MenuQueues, "&Queues",
                 {item(MenuMessage, "&Message"), item(MenuNoOnHold, "&No On Hold")}),
            item(MenuPassSignature, "&Pass/Signature"), item(MenuBrowseColor, "&BrowseColor"),
            item(MenuWallpaper, "&Wallpaper")}),
      item(MenuSearch, "&Search",
           {item(MenuSearchCase, "&Case"), item(MenuSearchArchive, "&Archive"),
            item(MenuSearchBoth, "&Both")}),
      item(MenuEmail, "E&mail", {item(MenuEmailSend, "&Send"), item(MenuEmailInbox, "&Inbox")}),
      item(MenuSystem, "S&ystem",
           {item(MenuActivityLog, "&Activity Log"), item(MenuProblems, "&Problems"),
            item(MenuOptions, "&Options"), item(MenuUsers, "&Users")}),
      item(MenuPrint, "&Print",
           {item(MenuPrintCases, "&Cases"), item(MenuPrintClients, "Cli&ents"),
            item(MenuPrintProducts, "&Products"), item(MenuPrintArchive, "&Archive"),
            separator(MenuPrintSeparator), item(MenuPrintActivityLog, "&Activity Log"),
            standard(MenuPrintSetup, "P&rint Setup...", ui::StandardAction::PrintSetup)}),
      item(MenuEdit, "&Edit",
           {standard(MenuCut, "Cu&t", ui::StandardAction::Cut),
            standard(MenuCopy, "&Copy", ui::StandardAction::Copy),
            standard(MenuPaste, "&Paste", ui::StandardAction::Paste)}),
      item(MenuWindow, "&Window",
           {standard(MenuTile, "T&ile", ui::StandardAction::Tile),
            standard(MenuCascade, "&Cascade", ui::StandardAction::Cascade),
            standard(MenuArrange, "&Arrange Icons", ui::StandardAction::ArrangeIcons)}),
      item(
          MenuHelp, "He&lp",
          {item(MenuAbout, "&About"), item(MenuContents, "&Contents"), separator(MenuHelpSeparator),
           standard(MenuHelpSearch, "&Search for Help On...", ui::StandardAction::HelpIndex),
           standard(MenuHowToUseHelp, "&How to Use Help", ui::StandardAction::HelpOnHelp)}),
  };
}

}  // namespace trv::core
