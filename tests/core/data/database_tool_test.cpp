#include "core/data/database_tool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tests/runtime/store/test_files.h"

namespace trv::core {
namespace {

using store::testing::TempFolder;
using ::testing::HasSubstr;

bool has(const std::string& folder, const FieldValues& fields) {
  bool found = false;
  EXPECT_TRUE(findRecord(folder, fields, &found).ok);
  return found;
}

TEST(DatabaseToolTest, StarterDatabaseHoldsTheAdministratorAndTheSystemRecord) {
  TempFolder dir;
  const std::string db = dir.file("DataBase");
  ASSERT_TRUE(createStarterDatabase(db).ok);
  for (DataFile f : kDataFiles)
    EXPECT_TRUE(std::filesystem::exists(filePath(db, f))) << fileName(f);
  EXPECT_TRUE(has(db, {{"IDE:Name", "Admin"},
                       {"IDE:PassWord", "admin"},
                       {"IDE:Level", "2"},
                       {"IDE:Qualification", "Administrator"},
                       {"IDE:IdNr", "1"}}));
  EXPECT_TRUE(has(db, {{"Sys:ID", "1"},
                       {"Sys:DoLog", "1"},
                       {"Sys:RefreshInterval", "1"},
                       {"SYS:PROBLEMFIX", "1"},
                       {"Sys:DoBackup", "0"},
                       {"Sys:Server", "0"},
                       {"Sys:PathBackupFiles", ""}}));
  std::uint64_t n = 9;
  ASSERT_TRUE(countRecords(db, "Sercase", &n).ok);
  EXPECT_EQ(n, 0u);
  // A second run leaves the existing database alone.
  const ToolResult again = createStarterDatabase(db);
  EXPECT_FALSE(again.ok);
  EXPECT_THAT(again.message, HasSubstr("already holds"));

  // The stock client reads the files without anything of ours.
  sqlite3* raw = nullptr;
  ASSERT_EQ(
      sqlite3_open_v2(filePath(db, DataFile::Ide).c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
      SQLITE_OK);
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(
      sqlite3_prepare_v2(raw, "SELECT count(*) FROM records WHERE \"IDE:KeyName\" IS NOT NULL", -1,
                         &s, nullptr),
      SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(s, 0), 1);
  sqlite3_finalize(s);
  sqlite3_close(raw);
}

TEST(DatabaseToolTest, ProbeTellsAnIncompatibleSystemFile) {
  TempFolder good, foreign;
  ASSERT_TRUE(createStarterDatabase(good.path()).ok);
  ASSERT_TRUE(createIncompatibleDatabase(foreign.path()).ok);
  EXPECT_EQ(probeDataFile(good.path(), DataFile::Sys), store::Ok);
  EXPECT_EQ(probeDataFile(foreign.path(), DataFile::Sys), store::InvalidRecordDeclaration);
  EXPECT_EQ(probeDataFile(foreign.path(), DataFile::Ide), store::Ok);
  EXPECT_EQ(probeDataFile(good.file("none"), DataFile::Sys), store::PathNotFound);
}

TEST(DatabaseToolTest, EmptyDatabaseHasOnlyUsersAndSystem) {
  TempFolder dir;
  ASSERT_TRUE(createEmptyDatabase(dir.path()).ok);
  for (DataFile f : kDataFiles)
    EXPECT_EQ(std::filesystem::exists(filePath(dir.path(), f)),
              f == DataFile::Ide || f == DataFile::Sys)
        << fileName(f);
}

TEST(DatabaseToolTest, InsertUpdateDeleteByFieldNames) {
  TempFolder dir;
  const std::string db = dir.path();
  ASSERT_TRUE(createStarterDatabase(db).ok);
  ASSERT_TRUE(insertRecord(db, {{"CLI:SName", "ACME"},
                                {"CLI:LName", "Acme Ltd"},
                                {"CLI:PriorityFix", "1"},
                                {"CLI:Priority", "High"}})
                  .ok);
  ASSERT_TRUE(insertRecord(db, {{"SER:SName", "ACME"}}).ok);
  ASSERT_TRUE(insertRecord(db, {{"ser:sname", "ACME"}, {"SER:CaseNr", "7"}}).ok);
  ASSERT_TRUE(insertRecord(db, {{"SER:SName", "ACME"}}).ok);
  EXPECT_TRUE(has(db, {{"SER:CaseNr", "1"}, {"SER:Priority", "Medium"}}));
  EXPECT_TRUE(has(db, {{"SER:CaseNr", "8"}}));  // the next number follows the highest

  ASSERT_TRUE(updateRecord(db, {"CLI:SName", "acme"}, {{"CLI:City", "Leiden"}}).ok);
  EXPECT_TRUE(has(db, {{"CLI:SName", "ACME"}, {"CLI:City", "Leiden"}}));
  ASSERT_TRUE(deleteRecord(db, {"SER:CaseNr", "7"}).ok);
  std::uint64_t n = 0;
  ASSERT_TRUE(countRecords(db, "Sercase", &n).ok);
  EXPECT_EQ(n, 2u);
  EXPECT_FALSE(has(db, {{"SER:CaseNr", "7"}}));
}

TEST(DatabaseToolTest, BadStepsSayWhatIsWrongAndWriteNothing) {
  TempFolder dir;
  const std::string db = dir.path();
  ASSERT_TRUE(createStarterDatabase(db).ok);
  ASSERT_TRUE(insertRecord(db, {{"CLI:SName", "ACME"}, {"CLI:LName", "Acme"}}).ok);
  struct Case {
    ToolResult result;
    const char* says;
  } cases[] = {
      {insertRecord(db, {{"CLI:SName", "TOOLONGNAME"}}), "longer than the field"},
      {insertRecord(db, {{"CLI:PriorityFix", "x"}}), "no number"},
      {insertRecord(db, {{"CLI:PriorityFix", "300"}}), "does not fit"},
      {insertRecord(db, {{"CLI:Nothing", "1"}}), "no field CLI:Nothing"},
      {insertRecord(db, {{"CLI:SName", "B"}, {"SER:SName", "B"}}), "not a field of Client"},
      {insertRecord(db, {{"CLI:SName", "OTHER"}, {"CLI:LName", "acme"}}), "CLI:KeyFullName"},
      {updateRecord(db, {"CLI:Phone", "x"}, {}), "not the only field of a key"},
      {updateRecord(db, {"CLI:SName", "NOONE"}, {}), "Record Not Found"},
      {deleteRecord(db, {"XYZ:A", "1"}), "no data file"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(c.result.ok) << c.says;
    EXPECT_THAT(c.result.message, HasSubstr(c.says));
  }
  std::uint64_t n = 0;
  ASSERT_TRUE(countRecords(db, "Client", &n).ok);
  EXPECT_EQ(n, 1u);
}

}  // namespace
}  // namespace trv::core
