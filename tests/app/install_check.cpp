// trv-install-check PROGRAM: looks, as the installed program at PROGRAM does, for its data
// folder, its help pages and its wallpapers; prints what it found and fails when any is missing
// or is not a file of that installation.

#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "app/trvnel01/installed_files.h"
#include "gui/desktop/help_pages.h"
#include "gui/desktop/image_loader.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trv-install-check PROGRAM\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const auto data = trv::app::installedDataFolder(argv[1]);
  if (!data) {
    std::fprintf(stderr, "no data folder found for %s\n", argv[1]);
    return 1;
  }
  const std::string folder = data->string();
  int failures = 0;
  const auto within = [&](const std::string& what, const std::string& found) {
    std::printf("%s: %s\n", what.c_str(), found.c_str());
    if (found.rfind(folder + "/", 0) != 0) {
      std::fprintf(stderr, "%s is not in %s\n", what.c_str(), folder.c_str());
      ++failures;
    }
  };
  const auto page = trv::gui::helpPage("Vkt2a.hlp", "Browse Cases", {*data});
  within("help page", page ? page->string() : std::string("(none)"));
  for (const char* wallpaper : {"logo.jpg", "logo2.jpg"})
    within(wallpaper, trv::gui::resolveImage(wallpaper, {*data}));
  return failures == 0 ? 0 : 1;
}
