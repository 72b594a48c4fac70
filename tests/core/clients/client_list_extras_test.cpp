// The list enhancement's extras on the client list itself: its export and its print, posted as
// the list's own events.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/clients/client_list.h"
#include "listext/quorix_list.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"
#include "tests/support/window_fixture.h"

namespace trv::core {
namespace {

class ClientListExtrasTest : public trv::testing::WindowFixture {
 protected:
  void SetUp() override {
    insert({{"CLI:SName", "C2"}, {"CLI:LName", "Doe, John"}, {"CLI:Email", "john@doe.example"}});
    insert({{"CLI:SName", "C1"}, {"CLI:LName", "Size 5\" Ltd"}, {"CLI:City", "O'Hara"}});
    insert({{"CLI:SName", "C3"}, {"CLI:LName", "Plain"}});
    rt.setCurrentFolder(configFolder());
    start([this] { BrowsClients(state); });
  }
  void post(int event) {
    ASSERT_TRUE(driver.inspect([&] { rt.front()->post(event, clientlist::kList); }));
    ASSERT_TRUE(driver.waitIdle());
  }
  std::string slurp(const std::string& name) {
    std::ifstream in(configFolder() / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(ClientListExtrasTest, ExportsEveryClientAsTheListShowsThem) {
  post(listext::EventExportCsv);
  EXPECT_EQ(slurp("XPort.CSV"),
            "# Records=0000003\n"
            "Name,Full Name,Contact,Phone,Email,Address,ZIP Code,City,State\n"
            "C1,'Size 5\" Ltd',,,,,,O'Hara,\n"
            "C2,\"Doe, John\",,,john@doe.example,,,,\n"
            "C3,Plain,,,,,,,\n");
  EXPECT_EQ(frontEnd.shellOpens().back(), (configFolder() / "XPort.CSV").string());
  post(listext::EventExportHtml);
  const std::string html = slurp("XPort.HTM");
  EXPECT_NE(html.find("<HEAD><TITLE>Clients</TITLE></HEAD>"), std::string::npos);
  EXPECT_NE(html.find("<TR> <TD>C2</TD> <TD>Doe, John</TD> <TD>&nbsp</TD> <TD>&nbsp</TD> "
                      "<TD>john@doe.example</TD>"),
            std::string::npos);
}

}  // namespace
}  // namespace trv::core
