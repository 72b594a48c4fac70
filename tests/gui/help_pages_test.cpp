// The help that ships with the program: a page for every topic keyword the program opens, found
// beside the program without regard to letter case, the contents page for a missing one.

#include "gui/desktop/help_pages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

namespace fs = std::filesystem;

fs::path sourceDir() {
  return TRV_SOURCE_DIR;
}

// The topic keywords the program's windows open: every help call and help button in its
// sources, and the ones the windows still to come will open.
std::set<std::string> topicsOfTheProgram() {
  std::set<std::string> topics = {"Activity Log",
                                  "Browse Archive",
                                  "Browse Cases",
                                  "Browse Products",
                                  "Configuring Vorn Trovanel",
                                  "Export Case Data",
                                  "Import Client Data",
                                  "Inserting Products",
                                  "Print Options",
                                  "Search Options",
                                  "View Archive",
                                  "users"};
  // ui.help("Topic") and AddHelpButton(button, "Topic").
  const std::regex call(R"((?:\.help\(|AddHelpButton\([^,()]+,\s*)\"([^\"]+)\")");
  for (const char* part : {"core", "cases"})
    for (const auto& entry : fs::recursive_directory_iterator(sourceDir() / part)) {
      if (entry.path().extension() != ".cpp") continue;
      std::ifstream in(entry.path());
      std::stringstream text;
      text << in.rdbuf();
      const std::string s = text.str();
      for (std::sregex_iterator m(s.begin(), s.end(), call), end; m != end; ++m)
        topics.insert((*m)[1]);
    }
  return topics;
}

TEST(HelpPages, PageNamesFollowTheTopicKeyword) {
  EXPECT_EQ(helpPageName("Creating a Client Case"), "creating-a-client-case");
  EXPECT_EQ(helpPageName("  Vorn  Trovanel "), "vorn-trovanel");
  EXPECT_EQ(helpPageName("users"), "users");
  EXPECT_EQ(helpPageName(""), "contents");
}

TEST(HelpPages, EveryTopicTheProgramOpensHasItsPage) {
  ASSERT_FALSE(sourceDir().empty());
  const fs::path app = sourceDir() / "app" / "trvnel01" / "help";
  const std::set<std::string> topics = topicsOfTheProgram();
  EXPECT_GE(topics.size(), 18u);
  for (const std::string& topic : topics) {
    auto page = helpPage("Vkt2a.hlp", topic, {app});
    ASSERT_TRUE(page) << topic;
    EXPECT_EQ(page->filename().string(), helpPageName(topic) + ".html") << topic;
  }
  for (const char* page : {kHelpContents, kHelpIndex, kHelpOnHelp})
    EXPECT_EQ(helpPage("vkt2a.hlp", page, {app})->filename(), std::string(page) + ".html");
}

TEST(HelpPages, AMissingTopicOpensTheContentsAndAMissingFolderNothing) {
  const fs::path dir = testing::scratchPath("trv_help");
  fs::create_directories(dir / "VKT2A");
  std::ofstream(dir / "VKT2A" / "Contents.html") << "<p>contents</p>";
  std::ofstream(dir / "VKT2A" / "browse-clients.html") << "<p>clients</p>";
  EXPECT_EQ(helpPage("vkt2a.hlp", "Browse Clients", {"", dir}),
            dir / "VKT2A" / "browse-clients.html");
  EXPECT_EQ(helpPage("vkt2a.hlp", "No Such Topic", {dir}), dir / "VKT2A" / "Contents.html");
  EXPECT_EQ(helpPage((dir / "Vkt2a.hlp").string(), "Browse Clients", {}),
            dir / "VKT2A" / "browse-clients.html");
  EXPECT_FALSE(helpPage("other.hlp", "Browse Clients", {dir}));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace trv::gui
