// Heavy checks of the store under several processes, kept out of the test suite (they run for
// minutes). Each prints its figures and ends with 0 when nothing was lost or damaged.
//
//   runtime_data_stress update <stations> <cycles>  read-modify-write cycles of a counter by
//       every station at once, half of them through FileAccess::put, half through
//       FileRelations::update renaming the parent (its children follow in the same
//       transaction): lost updates, files agreeing, integrity.
//   runtime_data_stress kill <rounds>  a station renaming a parent and its children in
//       transactions over two files is killed (SIGKILL) at random: integrity and agreement.
//   runtime_data_stress open <writers> <starters> <seconds>  stations starting up (opening the
//       files as the program does) while others save as fast as they can: opens that fail.

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/store/record_codec.h"
#include "tests/runtime/store/stations.h"
#include "tests/runtime/store/test_files.h"

namespace trv::data {
namespace {

using Clock = std::chrono::steady_clock;
using store::testing::exitCode;
using store::testing::spawn;

constexpr int kChildren = 20;

// Answers every message as a user who goes on would; fatal messages end the station.
class CountingSink : public MessageSink {
 public:
  Level raise(int id) override { return raiseWithText(id, {}); }
  Level raiseWithText(int id, std::string_view) override {
    ++raised;
    if (id == 10 || id == 23 || id == 26 || id == 39) {
      ++fatal;
      lastFatalCode = store::lastError().code;
      return LevelFatal;
    }
    return LevelNotify;
  }
  MessageButton showMessage(int, int, MessageButton defaultButton) override {
    ++raised;
    return defaultButton;
  }
  void setFileName(std::string_view) override {}
  void setFieldName(std::string_view) override {}
  int raised = 0, fatal = 0;
  store::Code lastFatalCode = store::Ok;
};

// The files of one station: parents and children (a child's Group names its parent).
struct Station {
  CountingSink sink;
  FileAccess parents{store::testing::itemDecl(), sink};
  FileAccess children{store::testing::itemDecl(), sink};
  FileRelations parentRel{parents};
  FileRelations childRel{children};

  explicit Station(const std::string& folder) {
    parents.setName(folder + "/Parent.kvx");
    children.setName(folder + "/Child.kvx");
    parentRel.addRelation(childRel, "ITM:GroupKey", Rule::Cascade, Rule::Restrict,
                          {{"ITM:Name", "ITM:Group"}});
  }
  ~Station() {
    parentRel.shutdown();
    childRel.shutdown();
  }
  const store::FieldDecl& field(int i) const { return parents.decl().fields[i]; }
  // Reads the parent (record number 1) into the buffer.
  store::Code readParent() {
    parents.primeRecord();
    store::writeNumber(field(0), parents.buffer().record.data(), 1);
    return parents.fetch("ITM:NrKey");
  }
  std::int64_t counter() { return store::readNumber(field(3), parents.buffer().record.data()); }
};

void setUp(const std::string& folder) {
  Station s(folder);
  if (s.parentRel.open() != LevelOk || s.children.open() != LevelOk) std::exit(2);
  s.parents.primeRecord();
  (void)store::setFieldText(s.field(1), s.parents.buffer().record.data(), "n0");
  if (s.parents.insert() != LevelOk) std::exit(2);
  for (int i = 0; i < kChildren; ++i) {
    s.children.primeRecord();
    (void)store::setFieldText(s.field(1), s.children.buffer().record.data(),
                              "c" + std::to_string(i));
    (void)store::setFieldText(s.field(2), s.children.buffer().record.data(), "n0");
    if (s.children.insert() != LevelOk) std::exit(2);
  }
  s.children.close();
  s.parentRel.close();
}

// What every file says of itself and of the others: integrity failures, and whether every
// child names the parent's name.
struct Check {
  int integrityFailures = 0;
  bool agree = true;
  std::int64_t counter = 0;
};

Check check(const std::string& folder) {
  Check c;
  for (const char* name : {"/Parent.kvx", "/Child.kvx"}) {
    // Read-write, as a station opens it: a journal left by a killed station is rolled back.
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open_v2((folder + name).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
      sqlite3_busy_timeout(db, 10000);
      if (sqlite3_exec(
              db, "PRAGMA integrity_check",
              [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) += values[0] ? values[0] : "";
                return 0;
              },
              &result, nullptr) != SQLITE_OK)
        result += std::string("(could not check: ") + sqlite3_errmsg(db) + ")";
    }
    sqlite3_close(db);
    if (result != "ok") {
      ++c.integrityFailures;
      std::printf("integrity of %s: %s\n", name, result.c_str());
    }
  }
  Station s(folder);
  if (s.parentRel.open() != LevelOk || s.children.open() != LevelOk ||
      s.readParent() != store::Ok) {
    c.agree = false;
    return c;
  }
  c.counter = s.counter();
  const std::string name = store::fieldText(s.field(1), s.parents.buffer().record.data());
  int children = 0;
  if (s.children.setFileOrder() != store::Ok) c.agree = false;
  while (s.children.next() == store::Ok) {
    ++children;
    if (store::fieldText(s.field(2), s.children.buffer().record.data()) != name) c.agree = false;
  }
  if (children != kChildren) c.agree = false;
  s.children.close();
  s.parentRel.close();
  return c;
}

struct Tally {
  long long saved = 0, conflicts = 0, busy = 0, errors = 0, slowestMs = 0, fatalOpens = 0;
  void add(const Tally& t) {
    saved += t.saved;
    conflicts += t.conflicts;
    busy += t.busy;
    errors += t.errors;
    fatalOpens += t.fatalOpens;
    slowestMs = std::max(slowestMs, t.slowestMs);
  }
};

// One read-modify-write cycle, tried until it is saved: read the counter, add one, save (a
// rename with the children when `relations`). Counts what each try met.
void cycle(Station& s, bool relations, int station, long long n, Tally& t) {
  for (;;) {
    const auto start = Clock::now();
    store::Code code = s.readParent();
    if (code == store::Ok) {
      store::writeNumber(s.field(3), s.parents.buffer().record.data(), s.counter() + 1);
      if (relations) {
        // A name the children's link (six characters) holds whole.
        (void)store::setFieldText(s.field(1), s.parents.buffer().record.data(),
                                  std::to_string(station % 10) + "-" + std::to_string(n % 10000));
        code = s.parentRel.update().code;
      } else {
        code = s.parents.put();
      }
    }
    t.slowestMs = std::max<long long>(
        t.slowestMs,
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    if (code == store::Ok) {
      ++t.saved;
      return;
    }
    if (code == store::RecordChanged)
      ++t.conflicts;
    else if (code == store::RecordNotAvailable)
      ++t.busy;
    else
      ++t.errors;
  }
}

// Runs `count` stations at once, each writing its Tally to a pipe; returns their sum.
template <typename Body>
Tally runStations(int count, Body body) {
  int out[2], go[2];
  if (::pipe(out) != 0 || ::pipe(go) != 0) std::exit(2);
  std::vector<pid_t> kids;
  for (int i = 0; i < count; ++i)
    kids.push_back(spawn([&, i] {
      ::close(out[0]);
      char ch;
      if (::read(go[0], &ch, 1) != 1) return 2;
      const Tally t = body(i);
      return ::write(out[1], &t, sizeof t) == sizeof t ? 0 : 3;
    }));
  ::close(out[1]);
  const std::string gos(static_cast<std::size_t>(count), 'g');
  if (::write(go[1], gos.data(), gos.size()) != static_cast<ssize_t>(gos.size())) std::exit(2);
  Tally sum, t;
  int reports = 0;
  while (::read(out[0], &t, sizeof t) == static_cast<ssize_t>(sizeof t)) {
    sum.add(t);
    ++reports;
  }
  for (pid_t k : kids)
    if (int rc = exitCode(k); rc != 0) std::printf("station ended with %d\n", rc);
  if (reports != count) ++sum.errors;
  ::close(out[0]);
  ::close(go[0]);
  ::close(go[1]);
  return sum;
}

int runUpdate(const std::string& folder, int stations, int cycles) {
  setUp(folder);
  const auto start = Clock::now();
  const Tally t = runStations(stations, [&](int station) {
    Tally mine;
    Station s(folder);
    if (s.parentRel.open() != LevelOk) {
      ++mine.fatalOpens;
      return mine;
    }
    for (int n = 0; n < cycles; ++n) cycle(s, station % 2 == 1, station, n, mine);
    s.parentRel.close();
    return mine;
  });
  const Check c = check(folder);
  const long long lost = t.saved - c.counter;
  std::printf(
      "update: %d stations x %d cycles in %.1f s: saved %lld, counter %lld, lost updates %lld, "
      "conflicts (89) %lld, busy (33) %lld, other errors %lld, failed opens %lld, slowest try "
      "%lld ms, integrity failures %d, files agree %s\n",
      stations, cycles, std::chrono::duration<double>(Clock::now() - start).count(), t.saved,
      static_cast<long long>(c.counter), lost, t.conflicts, t.busy, t.errors, t.fatalOpens,
      t.slowestMs, c.integrityFailures, c.agree ? "yes" : "NO");
  return lost == 0 && c.integrityFailures == 0 && c.agree && t.errors == 0 ? 0 : 1;
}

int runKill(const std::string& folder, int rounds) {
  setUp(folder);
  std::mt19937 rng(std::random_device{}());
  int integrityFailures = 0, disagreements = 0, killedInside = 0;
  for (int round = 0; round < rounds; ++round) {
    const pid_t kid = spawn([&] {
      Station s(folder);
      if (s.parentRel.open() != LevelOk) return 2;
      Tally t;
      for (long long n = 0;; ++n) cycle(s, true, round, n, t);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + rng() % 150));
    ::kill(kid, SIGKILL);
    if (exitCode(kid) != 100 + SIGKILL) std::printf("station ended before it was killed\n");
    // A journal left behind: killed with a transaction under way.
    if (std::filesystem::exists(folder + "/Parent.kvx-journal") ||
        std::filesystem::exists(folder + "/Child.kvx-journal"))
      ++killedInside;
    const Check c = check(folder);
    integrityFailures += c.integrityFailures;
    if (!c.agree) ++disagreements;
  }
  std::printf(
      "kill: %d rounds (%d killed with a transaction under way), integrity failures %d, rounds "
      "where the files disagree %d\n",
      rounds, killedInside, integrityFailures, disagreements);
  return integrityFailures == 0 && disagreements == 0 ? 0 : 1;
}

int runOpen(const std::string& folder, int writers, int starters, int seconds) {
  setUp(folder);
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  const Tally t = runStations(writers + starters, [&](int station) {
    Tally mine;
    if (station >= writers) {
      // Starting up a while after the writers, at a random moment.
      std::mt19937 rng(static_cast<unsigned>(::getpid()));
      std::this_thread::sleep_for(std::chrono::milliseconds(
          300 + rng() % static_cast<unsigned>(std::max(1, seconds * 1000 - 600))));
    }
    const auto start = Clock::now();
    Station s(folder);
    if (s.parentRel.open() != LevelOk || s.children.open() != LevelOk) {
      ++mine.fatalOpens;
      std::printf("open failed with message code %d\n", s.sink.lastFatalCode);
      return mine;
    }
    if (station >= writers) {
      mine.slowestMs =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
      cycle(s, false, station, 0, mine);
    } else {
      long long n = 0;
      while (Clock::now() < end) cycle(s, station % 2 == 1, station, n++, mine);
    }
    s.children.close();
    s.parentRel.close();
    return mine;
  });
  const Check c = check(folder);
  std::printf(
      "open: %d stations starting while %d save for %d s: failed opens %lld, saved %lld, "
      "counter %lld, busy (33) %lld, other errors %lld, slowest try %lld ms, integrity "
      "failures %d, files agree %s\n",
      starters, writers, seconds, t.fatalOpens, t.saved, static_cast<long long>(c.counter), t.busy,
      t.errors, t.slowestMs, c.integrityFailures, c.agree ? "yes" : "NO");
  return t.fatalOpens == 0 && c.integrityFailures == 0 && t.saved == c.counter ? 0 : 1;
}

}  // namespace
}  // namespace trv::data

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  auto arg = [&](int i, int fallback) { return argc > i ? std::atoi(argv[i]) : fallback; };
  trv::store::testing::TempFolder dir;
  if (mode == "update") return trv::data::runUpdate(dir.path(), arg(2, 4), arg(3, 500));
  if (mode == "kill") return trv::data::runKill(dir.path(), arg(2, 100));
  if (mode == "open") return trv::data::runOpen(dir.path(), arg(2, 8), arg(3, 20), arg(4, 10));
  std::fprintf(stderr,
               "usage: %s update <stations> <cycles> | kill <rounds> | open <writers> "
               "<starters> <seconds>\n",
               argv[0]);
  return 2;
}
