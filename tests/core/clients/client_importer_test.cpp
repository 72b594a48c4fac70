#include "core/clients/client_importer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/text/fixed_string.h"
#include "tests/support/temp_dir.h"

namespace trv::core {
namespace {

// An address-book line with the company, the display name and the e-mail filled.
std::string bookLine(const std::string& company, const std::string& name,
                     const std::string& email) {
  std::string f[kImportFields];
  f[VktBedrijf] = company, f[VktNaam] = name, f[VktEmail] = email;
  std::string s;
  for (int i = 0; i < kImportFields; ++i) s += (i ? "," : "") + f[i];
  return s + "\r\n";
}

class ClientImporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(conn.open(decl, (dir.path() / "Client.kvx").string(), store::OpenMode::Shared, &id),
              store::Ok);
  }
  void addClient(const std::string& sname, const std::string& lname) {
    store::RecordBuffer b(decl);
    ClientRecord r;
    r.SName = sname;
    r.LName = lname;
    std::memcpy(b.record.data(), &r, sizeof r);
    ASSERT_EQ(conn.add(id, b), store::Ok);
  }
  std::uint64_t count() {
    std::uint64_t n = 0;
    EXPECT_EQ(conn.count(id, &n), store::Ok);
    return n;
  }
  ClientImporter importer(const std::filesystem::path& log) {
    return ClientImporter(conn, id, decl, log, 73000, 1);
  }
  std::string logText() {
    std::ifstream in(dir.path() / "ImportError.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  testing::TempDir dir;
  const store::FileDecl& decl = declaration(DataFile::Client);
  store::Connection conn;
  store::FileId id = -1;
};

TEST_F(ClientImporterTest, ARefusedLineLeavesTheOthersOfItsGroupWritten) {
  addClient("BETA", "Beta Ltd");
  addClient("BETA1", "Beta Ltd1");  // the name the second Beta person would get
  std::istringstream in("heading\r\n" + bookLine("Acme Ltd", "Ann", "ann@acme.com") +
                        bookLine("Beta Ltd", "Carl", "carl@beta.com") +
                        bookLine("Gamma Ltd", "Gus", "gus@gamma.com"));
  ClientImporter imp = importer(dir.path() / "ImportError.log");
  std::string failure;
  ASSERT_TRUE(imp.run(in, {}, &failure)) << failure;
  EXPECT_EQ(imp.linesRead(), 4u);
  EXPECT_EQ(imp.rejected(), 1u);
  EXPECT_EQ(imp.lastError(), ImportError::DoubleKey);
  EXPECT_EQ(count(), 4u);
  EXPECT_FALSE(conn.inTransaction());
  EXPECT_NE(logText().find("Double key"), std::string::npos);
  EXPECT_NE(logText().find(" - Carl - carl@beta.com - line 3\r\n"), std::string::npos);
}

TEST_F(ClientImporterTest, AllShortNamesTakenRefusesTheLineInsteadOfLoopingOn) {
  addClient("Acme L", "Acme Lab");
  for (int n = 1; n <= 99; ++n) addClient("Acme" + std::to_string(n), "Acme " + std::to_string(n));
  std::istringstream in("heading\r\n" + bookLine("Acme Ltd", "Ann", "ann@acme.com"));
  ClientImporter imp = importer(dir.path() / "ImportError.log");
  ASSERT_TRUE(imp.run(in, {}, nullptr));
  EXPECT_EQ(imp.rejected(), 1u);
  EXPECT_EQ(count(), 100u);
  EXPECT_NE(logText().find("Double key"), std::string::npos);
}

TEST_F(ClientImporterTest, AnUnwritableLogIsNotedAndTheImportGoesOn) {
  std::istringstream in("heading\r\n" + bookLine("", "", "nobody@example.com") +
                        bookLine("Acme Ltd", "Ann", "ann@acme.com") + bookLine("", "", "x@y"));
  ClientImporter imp = importer(dir.path() / "missing" / "ImportError.log");
  ASSERT_TRUE(imp.run(in, {}, nullptr));
  EXPECT_TRUE(imp.logFailed());
  EXPECT_EQ(imp.rejected(), 2u);
  EXPECT_TRUE(imp.imported());
  EXPECT_EQ(count(), 1u);
}

// Address books as Python's csv module writes them (data/make_books.py): every field quoted with
// a byte order mark, and quoted only where needed; commas, line breaks and quotes inside fields,
// names in UTF-8 that Windows-1252 holds, and one that it cannot.
class AddressBookImportTest : public ClientImporterTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(AddressBookImportTest, ReadsWhatPythonsCsvWrites) {
  std::ifstream in(std::filesystem::path(TRV_ADDRESS_BOOKS) / GetParam(), std::ios::binary);
  ASSERT_TRUE(in);
  ClientImporter imp = importer(dir.path() / "ImportError.log");
  ASSERT_TRUE(imp.run(in, {}, nullptr));
  EXPECT_EQ(imp.linesRead(), 7u);
  EXPECT_EQ(imp.rejected(), 3u);
  EXPECT_EQ(count(), 3u);

  const auto client = [&](const std::string& fullName) {
    store::RecordBuffer b(decl);
    ClientRecord key;
    key.LName = fullName;
    std::memcpy(b.record.data(), &key, sizeof key);
    EXPECT_EQ(conn.fetch(id, decl.findKey("CLI:KeyFullName"), b), store::Ok) << fullName;
    ClientRecord r;
    std::memcpy(&r, b.record.data(), sizeof r);
    return r;
  };
  const ClientRecord smith = client("Smith, Jones & Co");
  EXPECT_EQ(smith.SName.view(), "Smith,");
  EXPECT_EQ(text::clip(smith.Contact.view()), "Ann Smith");
  EXPECT_EQ(text::clip(smith.Address.view()), "1 Mill Road Flat 2");
  EXPECT_EQ(text::clip(smith.City.view()), "Leeds");
  EXPECT_EQ(text::clip(smith.Remarks.view()), "first line\r\nsecond line");
  const ClientRecord zoe = client("M\xfcller");
  EXPECT_EQ(text::clip(zoe.Contact.view()), "Zo\xeb M\xfcller");
  EXPECT_EQ(text::clip(zoe.Address.view()),
            "Stra\xdf"
            "e 5");
  EXPECT_EQ(text::clip(zoe.Remarks.view()), "Caf\xe9 \x80 5");
  EXPECT_EQ(client("Lane, Dora").SName.view(), "Lane,");

  const std::string log = logText();
  EXPECT_NE(log.find("No CSV Record                    - Bob \"The Builder\" Brown - "
                     "bob@brown.example - line 6\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("No CSV Record                    - Finn O'Brien - finn@obrien.example - "
                     "line 7\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Characters not in Windows-1252   - Chen \xe4\xb8\xad\xe6\x96\x87 Trading - "
                     "chen@chen.example - line 8 - \xe4\xb8\xad\xe6\x96\x87\r\n"),
            std::string::npos)
      << log;
}

INSTANTIATE_TEST_SUITE_P(PythonCsv, AddressBookImportTest,
                         ::testing::Values("book_quote_all.csv", "book_quote_minimal.csv"));

// A long import gives way after each group, outside its transaction; the program's end stops
// it there, with the groups before written.
TEST_F(ClientImporterTest, ALongImportGivesWayBetweenGroupsAndStopsWhenTheProgramEnds) {
  std::string text = "heading\r\n";
  for (int n = 0; n < 2 * ClientImporter::kGroupLines + 10; ++n)
    text += bookLine("Firm " + std::to_string(n), "Person " + std::to_string(n),
                     "p" + std::to_string(n) + "@example.com");
  std::istringstream in(text);
  ClientImporter imp = importer(dir.path() / "ImportError.log");
  int calls = 0;
  std::uint64_t writtenAtEnd = 0;
  ASSERT_TRUE(imp.run(in, {}, nullptr, [&] {
    EXPECT_FALSE(conn.inTransaction());
    if (++calls < 2) return true;
    writtenAtEnd = count();
    return false;
  }));
  EXPECT_EQ(calls, 2);
  EXPECT_GT(writtenAtEnd, 0u);
  EXPECT_EQ(count(), writtenAtEnd);
  EXPECT_LT(count(), 2u * ClientImporter::kGroupLines + 10);
}

}  // namespace
}  // namespace trv::core
