#include "gui/desktop/help_pages.h"

#include <cctype>
#include <system_error>

#include "runtime/platform/folders.h"

namespace trv::gui {
namespace {

std::optional<std::filesystem::path> helpFolder(const std::string& helpFile,
                                                const std::vector<std::filesystem::path>& folders) {
  const std::filesystem::path file(helpFile.empty() ? "help" : helpFile);
  std::vector<std::filesystem::path> places;
  if (file.is_absolute())
    places.push_back(file.parent_path());
  else
    for (const auto& f : folders)
      if (!f.empty()) places.push_back(f / file.parent_path());
  std::error_code ec;
  for (const auto& place : places)
    if (auto found = platform::findIgnoringCase(place, file.stem());
        found && std::filesystem::is_directory(*found, ec))
      return found;
  return std::nullopt;
}

}  // namespace

std::string helpPageName(std::string_view topic) {
  std::string name;
  bool gap = false;
  for (char ch : topic) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c)) {
      if (gap && !name.empty()) name += '-';
      name += static_cast<char>(std::tolower(c));
      gap = false;
    } else {
      gap = true;
    }
  }
  return name.empty() ? kHelpContents : name;
}

std::optional<std::filesystem::path> helpPage(const std::string& helpFile, std::string_view topic,
                                              const std::vector<std::filesystem::path>& folders) {
  auto folder = helpFolder(helpFile, folders);
  if (!folder) return std::nullopt;
  if (auto page = platform::findIgnoringCase(*folder, helpPageName(topic) + ".html")) return page;
  return platform::findIgnoringCase(*folder, std::string(kHelpContents) + ".html");
}

}  // namespace trv::gui
