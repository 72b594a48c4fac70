#include "core/data/dictionary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "core/data/database_tool.h"
#include "core/data/records.h"
#include "tests/support/recording_sink.h"
#include "tests/runtime/store/test_files.h"
#include "tests/packed.h"

namespace trv::core {
namespace {

using data::LevelNotify;
using data::LevelOk;
using store::testing::TempFolder;
using ::testing::ElementsAre;

class DictionaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(createStarterDatabase(dir_.path()).ok);
    dict_.setUp(sink_);
    dict_.setNames(dir_.path());
  }
  void TearDown() override { dict_.release(); }

  void addClient(const char* sname, const char* lname) {
    ASSERT_EQ(dict_.ClientRelations->open(), LevelOk);
    dict_.ClientAccess->primeRecord();
    auto& c = dict_.ClientAccess->record<ClientRecord>();
    c.SName = sname;
    c.LName = lname;
    ASSERT_EQ(dict_.ClientAccess->insert(), LevelOk) << sname;
    dict_.ClientRelations->close();
  }
  void addCase(const char* sname, const char* problem = "", std::int32_t escDate = 0,
               std::int32_t escTime = 0) {
    ASSERT_EQ(dict_.SercaseRelations->open(), LevelOk);
    dict_.SercaseAccess->primeRecord();
    ASSERT_EQ(dict_.SercaseAccess->primeAutoInc(), LevelOk);
    auto& s = dict_.SercaseAccess->record<SercaseRecord>();
    s.SName = sname;
    s.SProblem = problem;
    s.FirstEscDate = escDate;
    s.FirstEscTime = escTime;
    ASSERT_EQ(dict_.SercaseAccess->insert(), LevelOk);
    dict_.SercaseRelations->close();
  }
  // Short names of the cases in the order of a key.
  std::vector<std::string> casesBy(const char* key) {
    std::vector<std::string> out;
    data::FileAccess& a = *dict_.SercaseAccess;
    EXPECT_EQ(a.open(), LevelOk);
    EXPECT_EQ(a.setKeyOrder(key, false), store::Ok);
    while (a.next() == store::Ok) out.push_back(a.record<SercaseRecord>().SName.str());
    a.close();
    return out;
  }

  TempFolder dir_;
  trv::testing::RecordingSink sink_;
  Dictionary dict_;
};

TEST_F(DictionaryTest, SetUpAndReleaseFillAndClearEveryObject) {
  for (DataFile f : kDataFiles) {
    ASSERT_NE(dict_.access(f), nullptr);
    EXPECT_EQ(dict_.access(f)->name(), filePath(dir_.path(), f));
  }
  EXPECT_TRUE(dict_.ExportAccess->decl().keys.empty());
  dict_.release();
  for (DataFile f : kDataFiles) EXPECT_EQ(dict_.relations(f), nullptr);
  EXPECT_EQ(dict_.ExportRelations, nullptr);
}

TEST_F(DictionaryTest, NewCaseIsPrimedWithMediumPriorityAndNumbered) {
  addCase("ACME");
  addCase("ACME");  // two cases of one client are fine
  ASSERT_EQ(dict_.SercaseAccess->open(), LevelOk);
  dict_.SercaseAccess->primeRecord();
  EXPECT_EQ(dict_.SercaseAccess->record<SercaseRecord>().Priority.view(), "Medium");
  ASSERT_EQ(dict_.SercaseAccess->primeAutoInc(), LevelOk);
  EXPECT_EQ(trv::testing::packed(dict_.SercaseAccess->record<SercaseRecord>().CaseNr), 3u);
  ASSERT_EQ(dict_.SercaseRelations->cancelAutoNumber(), LevelOk);
  dict_.SercaseAccess->close();
  std::uint64_t n = 0;
  ASSERT_TRUE(countRecords(dir_.path(), "Sercase", &n).ok);
  EXPECT_EQ(n, 2u);
}

TEST_F(DictionaryTest, TwoClientsWithOneFullNameAreRefused) {
  addClient("ACME", "Acme Ltd");
  ASSERT_EQ(dict_.ClientAccess->open(), LevelOk);
  dict_.ClientAccess->primeRecord();
  auto& c = dict_.ClientAccess->record<ClientRecord>();
  c.SName = "OTHER";
  c.LName = "ACME LTD  ";
  EXPECT_EQ(dict_.ClientAccess->insert(), LevelNotify);
  ASSERT_EQ(sink_.raised.size(), 1u);
  EXPECT_EQ(sink_.raised[0].id, 13);
  EXPECT_EQ(sink_.raised[0].code, store::DuplicateKey);
  EXPECT_EQ(sink_.raised[0].text, "CLI:KeyFullName");
  dict_.ClientAccess->close();
}

TEST_F(DictionaryTest, CaseWithoutEscalationMomentIsNotInTheEscalationKey) {
  addCase("A", "", 0, 0);
  addCase("B", "", 80000, 0);  // a date alone is enough
  addCase("C", "", 0, 0);
  EXPECT_THAT(casesBy("SER:FirstEscKey"), ElementsAre("B"));
  EXPECT_THAT(casesBy("SER:CaseNrKey"), ElementsAre("A", "B", "C"));
}

TEST_F(DictionaryTest, RenamingAClientMovesItsCasesAlong) {
  addClient("ACME", "Acme Ltd");
  addClient("BETA", "Beta Ltd");
  addCase("ACME");
  addCase("acme");  // the key ignores letter case
  addCase("BETA");
  data::FileAccess& cli = *dict_.ClientAccess;
  ASSERT_EQ(dict_.ClientRelations->open(), LevelOk);
  cli.primeRecord();
  cli.record<ClientRecord>().SName = "ACME";
  ASSERT_EQ(cli.fetch("CLI:SNameKey"), store::Ok);
  cli.record<ClientRecord>().SName = "ZED";
  ASSERT_TRUE(dict_.ClientRelations->update().ok());
  dict_.ClientRelations->close();
  EXPECT_THAT(casesBy("SER:CaseNrKey"), ElementsAre("ZED", "ZED", "BETA"));
  EXPECT_TRUE(sink_.raised.empty());
}

TEST_F(DictionaryTest, ParentNamedByACaseCannotBeDeleted) {
  addClient("ACME", "Acme Ltd");
  addClient("IDLE", "Idle Ltd");
  addCase("ACME", "Printer jams");
  ASSERT_TRUE(insertRecord(dir_.path(), {{"PRO:PROBLEM", "printer jams"}}).ok);

  struct Case {
    data::FileRelations* rel;
    const char* key;
    const char* field;
    const char* value;
    bool refused;
  } cases[] = {
      {dict_.ClientRelations.get(), "CLI:SNameKey", "CLI:SName", "ACME", true},
      {dict_.ProblemRelations.get(), "PRO:KeyProblem", "PRO:PROBLEM", "Printer jams", true},
      {dict_.ClientRelations.get(), "CLI:SNameKey", "CLI:SName", "IDLE", false}};
  for (const Case& c : cases) {
    sink_.raised.clear();
    data::FileAccess& a = c.rel->file();
    ASSERT_EQ(c.rel->open(), LevelOk);
    a.primeRecord();
    (void)store::setFieldText(a.decl().fields[a.decl().findField(c.field)],
                              a.buffer().record.data(), c.value);
    ASSERT_EQ(a.fetch(c.key), store::Ok) << c.value;
    const data::Outcome out = c.rel->remove();
    EXPECT_EQ(out.ok(), !c.refused) << c.value;
    if (c.refused) {
      ASSERT_EQ(sink_.raised.size(), 1u);
      EXPECT_EQ(sink_.raised[0].id, 30);
    }
    c.rel->close();
  }
  std::uint64_t n = 0;
  ASSERT_TRUE(countRecords(dir_.path(), "Client", &n).ok);
  EXPECT_EQ(n, 1u);
}

TEST_F(DictionaryTest, ChangeAfterAnotherStationsChangeIsRefused) {
  addClient("ACME", "Acme Ltd");
  data::FileAccess& cli = *dict_.ClientAccess;
  ASSERT_EQ(dict_.ClientRelations->open(), LevelOk);
  cli.primeRecord();
  cli.record<ClientRecord>().SName = "ACME";
  ASSERT_EQ(cli.fetch("CLI:SNameKey"), store::Ok);
  ASSERT_TRUE(updateRecord(dir_.path(), {"CLI:SName", "ACME"}, {{"CLI:City", "Elsewhere"}}).ok);
  cli.record<ClientRecord>().City = "Here";
  const data::Outcome out = dict_.ClientRelations->update();
  EXPECT_EQ(out.code, store::RecordChanged);
  EXPECT_TRUE(sink_.raised.empty());  // the form chooses its own message
  ASSERT_EQ(cli.reget(cli.position()), store::Ok);
  EXPECT_EQ(cli.record<ClientRecord>().City.view(), "Elsewhere");
  cli.record<ClientRecord>().City = "Here";
  EXPECT_TRUE(dict_.ClientRelations->update().ok());
  dict_.ClientRelations->close();
}

TEST(DictionaryOpenTest, MissingUsersFileAndForeignSystemFileCannotBeOpened) {
  TempFolder missing, foreign;
  ASSERT_TRUE(createIncompatibleDatabase(foreign.path()).ok);
  std::filesystem::create_directories(missing.path());
  trv::testing::RecordingSink sink;
  Dictionary dict;
  dict.setUp(sink);

  dict.setNames(missing.path());
  EXPECT_EQ(dict.IdeAccess->open(), data::LevelFatal);
  dict.setNames(foreign.path());
  EXPECT_EQ(dict.SysAccess->open(), data::LevelFatal);
  ASSERT_EQ(sink.raised.size(), 2u);
  EXPECT_EQ(sink.raised[0].id, 23);
  EXPECT_EQ(sink.raised[0].code, store::FileNotFound);
  EXPECT_EQ(sink.raised[1].id, 23);
  EXPECT_EQ(sink.raised[1].code, store::InvalidRecordDeclaration);
  dict.release();
}

// A workstation killed while a client rename runs through its cases: afterwards every file
// opens and the cases name the client exactly as the client file does.
TEST(DictionaryCrashTest, KilledClientRenameIsAllOrNothing) {
  TempFolder dir;
  ASSERT_TRUE(createStarterDatabase(dir.path()).ok);
  ASSERT_TRUE(insertRecord(dir.path(), {{"CLI:SName", "N0"}, {"CLI:LName", "Client"}}).ok);
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(insertRecord(dir.path(), {{"SER:SName", "N0"}}).ok);

  std::mt19937 rng(5);
  for (int round = 0; round < 5; ++round) {
    const pid_t kid = ::fork();
    if (kid == 0) {
      trv::testing::RecordingSink sink;
      Dictionary dict;
      dict.setUp(sink);
      dict.setNames(dir.path());
      data::FileAccess& cli = *dict.ClientAccess;
      if (dict.ClientRelations->open() != LevelOk) ::_exit(2);
      for (int n = 1;; ++n) {
        if (cli.setFileOrder() != store::Ok || cli.next() != store::Ok) ::_exit(3);
        cli.record<ClientRecord>().SName = "N" + std::to_string(n % 1000);
        if (!dict.ClientRelations->update().ok()) ::_exit(4);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + rng() % 150));
    ::kill(kid, SIGKILL);
    int status = 0;
    ::waitpid(kid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status))
        << "the renaming station stopped by itself: " << WEXITSTATUS(status);

    std::string name;
    {
      store::Connection c;
      store::FileId id;
      ASSERT_EQ(c.open(declaration(DataFile::Client), filePath(dir.path(), DataFile::Client),
                       store::OpenMode::Shared, &id),
                store::Ok);
      store::RecordBuffer b(declaration(DataFile::Client));
      ASSERT_EQ(c.next(id, b), store::Ok);
      name = store::fieldText(declaration(DataFile::Client).fields[0], b.record.data());
    }
    store::Connection c;
    store::FileId id;
    const store::FileDecl& cases = declaration(DataFile::Sercase);
    ASSERT_EQ(c.open(cases, filePath(dir.path(), DataFile::Sercase), store::OpenMode::Shared, &id),
              store::Ok);
    store::RecordBuffer b(cases);
    int count = 0;
    while (c.next(id, b) == store::Ok) {
      ++count;
      EXPECT_EQ(store::fieldText(cases.fields[3], b.record.data()), name) << "round " << round;
    }
    EXPECT_EQ(count, 40);
  }
}

}  // namespace
}  // namespace trv::core
