#include "core/import/csv_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace trv::core {
namespace {

struct Read {
  std::vector<std::string> fields;
  std::uint64_t line;
  bool malformed = false;
};

std::vector<Read> readAll(const std::string& text, std::size_t chunk = 64 * 1024) {
  std::istringstream in(text);
  CsvReader reader(in, chunk);
  std::vector<Read> out;
  CsvRecord r;
  while (reader.next(r)) out.push_back({r.fields, r.line, r.malformed});
  return out;
}

using F = std::vector<std::string>;

TEST(CsvReader, RecordsAsRfc4180WritesThem) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<Read> records;
  } cases[] = {
      {"plain, CRLF", "a,b\r\nc,d\r\n", {{F{"a", "b"}, 1}, {F{"c", "d"}, 2}}},
      {"LF and no end", "a,b\nc,d", {{F{"a", "b"}, 1}, {F{"c", "d"}, 2}}},
      {"lone CR", "a\rb\r", {{F{"a"}, 1}, {F{"b"}, 2}}},
      {"quoted comma", "\"Smith, Ann\",x\r\n", {{F{"Smith, Ann", "x"}, 1}}},
      {"doubled quotes", "\"say \"\"hi\"\"\",\"\"\r\n", {{F{"say \"hi\"", ""}, 1}}},
      {"line breaks inside quotes",
       "h\r\n\"1 Mill Road\r\nFlat 2\",\"a\nb\"\r\nnext\r\n",
       {{F{"h"}, 1}, {F{"1 Mill Road\r\nFlat 2", "a\nb"}, 2}, {F{"next"}, 5}}},
      {"byte order mark", "\xEF\xBB\xBF\"First Name\",x\r\n", {{F{"First Name", "x"}, 1}}},
      {"empty fields", ",,\r\n", {{F{"", "", ""}, 1}}},
      {"blank lines skipped", "a\r\n\r\n\nb\r\n", {{F{"a"}, 1}, {F{"b"}, 4}}},
      {"quote inside a plain field", "O\"Brien,x\r\n", {{F{"O\"Brien", "x"}, 1}}},
      {"text after a closing quote", "\"ab\"cd,x\n", {{F{"abcd", "x"}, 1}}},
      {"quote never closed",
       "a,\"open\r\nb,c\r\n",
       {{F{"a", "\"open"}, 1, true}, {F{"b", "c"}, 2}}},
  };
  // The file is read in chunks: records, quotes and line ends that straddle a chunk's edge
  // read as they do whole.
  for (const std::size_t chunk :
       {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{64 * 1024}}) {
    for (const Case& c : cases) {
      const std::vector<Read> got = readAll(c.text, chunk);
      ASSERT_EQ(got.size(), c.records.size()) << c.name << ", chunk " << chunk;
      for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].fields, c.records[i].fields) << c.name << " record " << i;
        EXPECT_EQ(got[i].line, c.records[i].line) << c.name << " record " << i;
        EXPECT_EQ(got[i].malformed, c.records[i].malformed) << c.name << " record " << i;
      }
    }
  }
}

TEST(CsvReader, ALongFileReadInChunksKeepsEveryRecord) {
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += "\"Name " + std::to_string(i) + "\",\"1 Mill Road\r\nFlat " + std::to_string(i) +
            "\",x\r\n";
  const std::vector<Read> got = readAll(text, 4096);
  ASSERT_EQ(got.size(), 5000u);
  for (int i : {0, 1, 2499, 4999}) {
    EXPECT_EQ(got[i].fields,
              (F{"Name " + std::to_string(i), "1 Mill Road\r\nFlat " + std::to_string(i), "x"}));
    EXPECT_EQ(got[i].line, static_cast<std::uint64_t>(2 * i + 1));
  }
}

}  // namespace
}  // namespace trv::core
