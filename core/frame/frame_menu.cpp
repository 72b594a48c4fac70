#include "core/frame/frame_menu.h"

namespace trv::core {

std::vector<ui::MenuItemDecl> frameMenu() {
  return {
      ui::submenu(MenuFile, "Trova&nel",
                  {ui::menuItem(MenuLogon, "&Logon"), ui::menuItem(MenuLogout, "&Log&out"),
                   ui::menuItem(MenuExit, "E&xit")}),
      ui::submenu(
          MenuBrowse, "&Browse",
          {ui::menuItem(MenuBrowseQueues, "&Queues"), ui::menuItem(MenuBrowseCases, "&Cases"),
           ui::menuItem(MenuBrowseClients, "Cli&ents"),
           ui::menuItem(MenuBrowseProducts, "&Products"),
           ui::menuItem(MenuBrowseArchive, "&Archive")}),
      ui::submenu(MenuHouseHold, "&HouseHold",
                  {ui::submenu(MenuQueues, "&Queues",
                               {ui::menuItem(MenuMessage, "&Message"),
                                ui::menuItem(MenuNoOnHold, "&No On Hold")}),
                   ui::menuItem(MenuPassSignature, "&Pass/Signature"),
                   ui::menuItem(MenuBrowseColor, "&BrowseColor"),
                   ui::menuItem(MenuWallpaper, "&Wallpaper")}),
      ui::submenu(
          MenuSearch, "&Search",
          {ui::menuItem(MenuSearchCase, "&Case"), ui::menuItem(MenuSearchArchive, "&Archive"),
           ui::menuItem(MenuSearchBoth, "&Both")}),
      ui::submenu(MenuEmail, "E&mail",
                  {ui::menuItem(MenuEmailSend, "&Send"), ui::menuItem(MenuEmailInbox, "&Inbox")}),
      ui::submenu(
          MenuSystem, "S&ystem",
          {ui::menuItem(MenuActivityLog, "&Activity Log"), ui::menuItem(MenuProblems, "&Problems"),
           ui::menuItem(MenuOptions, "&Options"), ui::menuItem(MenuUsers, "&Users")}),
      ui::submenu(
          MenuPrint, "&Print",
          {ui::menuItem(MenuPrintCases, "&Cases"), ui::menuItem(MenuPrintClients, "Cli&ents"),
           ui::menuItem(MenuPrintProducts, "&Products"), ui::menuItem(MenuPrintArchive, "&Archive"),
           ui::menuSeparator(MenuPrintSeparator),
           ui::menuItem(MenuPrintActivityLog, "&Activity Log"),
           ui::menuItem(MenuPrintSetup, "P&rint Setup...")
               .asStandard(ui::StandardAction::PrintSetup)}),
      ui::submenu(MenuEdit, "&Edit",
                  {ui::menuItem(MenuCut, "Cu&t").asStandard(ui::StandardAction::Cut),
                   ui::menuItem(MenuCopy, "&Copy").asStandard(ui::StandardAction::Copy),
                   ui::menuItem(MenuPaste, "&Paste").asStandard(ui::StandardAction::Paste)}),
      ui::submenu(MenuWindow, "&Window",
                  {ui::menuItem(MenuTile, "T&ile").asStandard(ui::StandardAction::Tile),
                   ui::menuItem(MenuCascade, "&Cascade").asStandard(ui::StandardAction::Cascade),
                   ui::menuItem(MenuArrange, "&Arrange Icons")
                       .asStandard(ui::StandardAction::ArrangeIcons)}),
      ui::submenu(MenuHelp, "He&lp",
                  {ui::menuItem(MenuAbout, "&About"), ui::menuItem(MenuContents, "&Contents"),
                   ui::menuSeparator(MenuHelpSeparator),
                   ui::menuItem(MenuHelpSearch, "&Search for Help On...")
                       .asStandard(ui::StandardAction::HelpIndex),
                   ui::menuItem(MenuHowToUseHelp, "&How to Use Help")
                       .asStandard(ui::StandardAction::HelpOnHelp)}),
  };
}

}  // namespace trv::core
