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
            item(MenuPrintSetup, "P&rint Setup...")}),
      item(MenuEdit, "&Edit",
           {item(MenuCut, "Cu&t"), item(MenuCopy, "&Copy"), item(MenuPaste, "&Paste")}),
      item(MenuWindow, "&Window",
           {item(MenuTile, "T&ile"), item(MenuCascade, "&Cascade"),
            item(MenuArrange, "&Arrange Icons")}),
      item(MenuHelp, "He&lp",
           {item(MenuAbout, "&About"), item(MenuContents, "&Contents"),
            separator(MenuHelpSeparator), item(MenuHelpSearch, "&Search for Help On..."),
            item(MenuHowToUseHelp, "&How to Use Help")}),
  };
}

}  // namespace trv::core
