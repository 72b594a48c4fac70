// Writes export lines of a few awkward cases to the file named by the first argument, for the
// round trip through Python's csv module (check_export.py).
#include <fstream>
#include <iostream>

#include "cases/export/export_line.h"
#include "core/data/records.h"
#include "runtime/text/date_time.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: export_sample FILE\n";
    return 2;
  }
  using trv::core::SercaseRecord;
  SercaseRecord a;
  a.CaseNr = 1;
  a.SName = "ACME";
  a.LName = "Acme \"Big\" Ltd, Leeds";
  a.SProblem = "Line one; 'quoted' \"twice\"\"";
  a.Owner = "Caf\xe9";
  a.Status = "Closed";
  a.Cdate = *trv::text::dateNumber(2002, 5, 7);
  a.SDate = *trv::text::dateNumber(2002, 5, 6);
  a.STime = *trv::text::timeNumber(10, 0, 0);
  SercaseRecord b;
  b.CaseNr = 4294967295u;
  b.LName = "   leading blanks stay";
  b.SProblem = ",";
  std::ofstream out(argv[1], std::ios::binary);
  for (const SercaseRecord& r : {a, b}) out << trv::cases::exportLine(r);
  return out ? 0 : 1;
}
