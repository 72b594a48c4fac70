#pragma once
// The main frame's menu: every item with its number (negative, as the frame numbers them),
// text and check state.

#include <vector>

#include "runtime/ui/window_decl.h"

namespace trv::core {

// The frame's one control: its picture, the wallpaper behind its child windows.
inline constexpr int kFrameWallpaper = 1;

enum FrameMenu : int {
  MenuFile = -1,
  MenuLogon = -2,
  MenuLogout = -3,
  MenuExit = -4,
  MenuBrowse = -5,
  MenuBrowseQueues = -6,
  MenuBrowseCases = -7,
  MenuBrowseClients = -8,
  MenuBrowseProducts = -9,
  MenuBrowseArchive = -10,
  MenuHouseHold = -11,
  MenuQueues = -12,
  MenuMessage = -13,
  MenuNoOnHold = -14,
  MenuPassSignature = -15,
  MenuBrowseColor = -16,
  MenuWallpaper = -17,
  MenuSearch = -18,
  MenuSearchCase = -19,
  MenuSearchArchive = -20,
  MenuSearchBoth = -21,
  MenuEmail = -22,
  MenuEmailSend = -23,
  MenuEmailInbox = -24,
  MenuSystem = -25,
  MenuActivityLog = -26,
  MenuProblems = -27,
  MenuOptions = -28,
  MenuUsers = -29,
  MenuPrint = -30,
  MenuPrintCases = -31,
  MenuPrintClients = -32,
  MenuPrintProducts = -33,
  MenuPrintArchive = -34,
  MenuPrintSeparator = -35,
  MenuPrintActivityLog = -36,
  MenuPrintSetup = -37,
  MenuEdit = -38,
  MenuCut = -39,
  MenuCopy = -40,
  MenuPaste = -41,
  MenuWindow = -42,
  MenuTile = -43,
  MenuCascade = -44,
  MenuArrange = -45,
  MenuHelp = -46,
  MenuAbout = -47,
  MenuContents = -48,
  MenuHelpSeparator = -49,
  MenuHelpSearch = -50,
  MenuHowToUseHelp = -51,
};

std::vector<ui::MenuItemDecl> frameMenu();

}  // namespace trv::core
