#include "core/frame/frame_menu.h"

namespace trv::core {

std::vector<ui::MenuItemDecl> frameMenu() {
  return {
      ui::submenu(MenuFile, "Trova&nel",
                  {ui::menuItem(MenuLogon, "&Logon").withTip("Logon to Trovanel"),
                   ui::menuItem(MenuLogout, "&Log&out").withTip("LogOut from Trovanel"),
                   ui::menuItem(MenuExit, "E&xit").withTip("Exit Trovanel")}),
      ui::submenu(MenuBrowse, "&Browse",
                  {ui::menuItem(MenuBrowseQueues, "&Queues").withTip("Cases in Progress"),
                   ui::menuItem(MenuBrowseCases, "&Cases").withTip("All Cases"),
                   ui::menuItem(MenuBrowseClients, "Cli&ents").withTip("Clients"),
                   ui::menuItem(MenuBrowseProducts, "&Products").withTip("Products"),
                   ui::menuItem(MenuBrowseArchive, "&Archive")}),
      ui::submenu(
          MenuHouseHold, "&HouseHold",
          {ui::submenu(
               MenuQueues, "&Queues",
               {ui::menuItem(MenuMessage, "&Message")
                    .withTip("Messages - On Server Application Disabled"),
                ui::menuItem(MenuNoOnHold, "&No On Hold").withTip("No On Hold Cases in Queues")}),
           ui::menuItem(MenuPassSignature, "&Pass/Signature"),
           ui::menuItem(MenuBrowseColor, "&BrowseColor"),
           ui::menuItem(MenuWallpaper, "&Wallpaper")}),
      ui::submenu(
          MenuSearch, "&Search",
          {ui::menuItem(MenuSearchCase, "&Case"), ui::menuItem(MenuSearchArchive, "&Archive"),
           ui::menuItem(MenuSearchBoth, "&Both")}),
      ui::submenu(MenuEmail, "E&mail",
                  {ui::menuItem(MenuEmailSend, "&Send").withTip("Send an Email"),
                   ui::menuItem(MenuEmailInbox, "&Inbox")}),
      ui::submenu(
          MenuSystem, "S&ystem",
          {ui::menuItem(MenuActivityLog, "&Activity Log").withTip("Activities of All Users"),
           ui::menuItem(MenuProblems, "&Problems"),
           ui::menuItem(MenuOptions, "&Options").withTip("Trovanel Sytem Configuration"),
           ui::menuItem(MenuUsers, "&Users").withTip("Users of Trovanel")}),
      ui::submenu(
          MenuPrint, "&Print",
          {ui::menuItem(MenuPrintCases, "&Cases"), ui::menuItem(MenuPrintClients, "Cli&ents"),
           ui::menuItem(MenuPrintProducts, "&Products"), ui::menuItem(MenuPrintArchive, "&Archive"),
           ui::menuSeparator(MenuPrintSeparator),
           ui::menuItem(MenuPrintActivityLog, "&Activity Log"),
           ui::menuItem(MenuPrintSetup, "P&rint Setup...")
               .withTip("Setup Printer")
               .asStandard(ui::StandardAction::PrintSetup)}),
      ui::submenu(MenuEdit, "&Edit",
                  {ui::menuItem(MenuCut, "Cu&t")
                       .withTip("Cut the selection to the clipboard")
                       .asStandard(ui::StandardAction::Cut),
                   ui::menuItem(MenuCopy, "&Copy")
                       .withTip("Copy the selection to the clipboard")
                       .asStandard(ui::StandardAction::Copy),
                   ui::menuItem(MenuPaste, "&Paste")
                       .withTip("Paste from the clipboard")
                       .asStandard(ui::StandardAction::Paste)}),
      ui::submenu(MenuWindow, "&Window",
                  {ui::menuItem(MenuTile, "T&ile")
                       .withTip("Show the open windows side by side")
                       .asStandard(ui::StandardAction::Tile),
                   ui::menuItem(MenuCascade, "&Cascade")
                       .withTip("Stack the open windows")
                       .asStandard(ui::StandardAction::Cascade),
                   ui::menuItem(MenuArrange, "&Arrange Icons")
                       .withTip("Line up the iconized windows")
                       .asStandard(ui::StandardAction::ArrangeIcons)}),
      ui::submenu(MenuHelp, "He&lp",
                  {ui::menuItem(MenuAbout, "&About").withTip("About Vorn Trovanel"),
                   ui::menuItem(MenuContents, "&Contents").withTip("Help Files of Vorn Trovanel"),
                   ui::menuSeparator(MenuHelpSeparator),
                   ui::menuItem(MenuHelpSearch, "&Search for Help On...")
                       .asStandard(ui::StandardAction::HelpIndex),
                   ui::menuItem(MenuHowToUseHelp, "&How to Use Help")
                       .asStandard(ui::StandardAction::HelpOnHelp)})
          .withTip("Windows Help"),
  };
}

}  // namespace trv::core
