#pragma once
// The program's help: local HTML pages in a folder named like the help file, beside the
// program ("Vkt2a.hlp" -> "<program folder>/vkt2a/"), one page per topic keyword, plus the
// contents, the keyword index and how to use the help. Found without regard to letter case.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv::gui {

inline constexpr const char* kHelpContents = "contents";
inline constexpr const char* kHelpIndex = "index";
inline constexpr const char* kHelpOnHelp = "how-to-use-help";

// A topic keyword's page name: lower case, each run of other characters than letters and
// digits one "-" ("Creating a Client Case" -> "creating-a-client-case").
std::string helpPageName(std::string_view topic);

// The page to open for `topic` (a keyword, or one of the page names above): the topic's own
// page, else the contents page; nothing when the help folder or its contents page is missing.
// A relative help file is looked for in each of `folders` in turn.
std::optional<std::filesystem::path> helpPage(const std::string& helpFile, std::string_view topic,
                                              const std::vector<std::filesystem::path>& folders);

}  // namespace trv::gui
