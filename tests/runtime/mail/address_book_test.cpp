#include "runtime/mail/address_book.h"

#include <gtest/gtest.h>

namespace trv::mail {
namespace {

TEST(AddressBook, KeepsGoodLinesAndReportsBadOnes) {
  const AddressBook book = parseAddressBook(
      "# clients\n"
      "J\xC3\xBCrgen M\xC3\xBCller <juergen@example.com>\n"
      "\n"
      "bob@\n"
      "ann@example.org\n"
      "Ann Other <ann.other@example.org>\r\n");
  ASSERT_EQ(book.entries.size(), 3u);
  EXPECT_EQ(book.entries[0], (AddressEntry{"J\xFCrgen M\xFCller", "juergen@example.com"}));
  EXPECT_EQ(book.entries[1], (AddressEntry{"ann@example.org", "ann@example.org"}));
  EXPECT_EQ(book.entries[2].address, "ann.other@example.org");
  ASSERT_EQ(book.problems.size(), 1u);
  EXPECT_EQ(book.problems[0], "line 4: \"bob@\" is not an address");
}

TEST(AddressBook, LooksUpByNameOrAddressIgnoringCase) {
  const AddressBook book =
      parseAddressBook("J\xC3\xBCrgen <j@example.com>\nAnn <ann@example.org>\n");
  EXPECT_EQ(book.lookup("J\xDCRGEN").size(), 1u);  // Windows-1252 case folding
  EXPECT_EQ(book.lookup(" ANN@example.ORG ").size(), 1u);
  EXPECT_TRUE(book.lookup("Bob").empty());
}

}  // namespace
}  // namespace trv::mail
