#pragma once
// The list's print: a table report built at run time from the list's displayed columns.
//
// The page header carries a grey box with the list's title, the date and the time, and the
// column headers with a line right of every bordered column but the last; one detail line per
// record; an optional totals line; a footer with the font, the record count, the order and the
// filter. The font size is the largest (from the list's maximum down in steps of 2) at which the
// columns fit the printable width of kPrintWidth; when none fits, the smallest, with every
// column narrowed by the same amount.
//
// Widths are in the list's dialog units; the report measures in thousandths of an inch, one
// dialog unit counting as 2 x points. Pure layout: no I/O.

#include <string>
#include <vector>

#include "runtime/report/report_layout.h"

namespace trv::listext {

inline constexpr int kPrintWidth = 9800;

struct PrintColumn {
  std::string header;
  std::string picture;
  char hjust = 'L';  // 'L', 'C', 'R' or 'D'
  char fjust = 'L';
  int hoffset = 1;
  int foffset = 1;
  bool border = true;
  bool total = false;
  int width = 0;  // dialog units: the wider of the header and the widest value with its indent
};

struct PrintFit {
  int points = 0;
  int spare = 0;  // report units added to (or, negative, taken from) every column
};

// The font size and the spare width per column for the columns.
PrintFit fitPrint(const std::vector<PrintColumn>& columns, int maxPoints, int minPoints);

// The fixed texts of the page header and footer.
struct PrintTexts {
  std::string title;
  std::string date;
  std::string time;
  std::string font;     // "Arial 10 Point"
  std::string records;  // "42 Records"
  std::string order;
  std::string filter;
};

class ListPrintLayout {
 public:
  ListPrintLayout(std::vector<PrintColumn> columns, PrintFit fit, std::string face, int weight,
                  int headerWeight);

  // The page set-up of the report: a landscape sheet of the Windows paper-size code `paperType`
  // (1 letter, 5 legal, 9 A4 ...; a code it does not know gives letter), the header band from
  // (600, 600), the body from y 1510 and the footer at y 7000.
  static report::PageSetup pageSetup(int paperType);

  report::Band pageHeader(const PrintTexts& texts) const;
  report::Band pageFooter(const PrintTexts& texts) const;
  report::Band detail(const std::vector<std::string>& cells) const;
  // Cells of untotalled columns are not printed.
  report::Band totals(const std::vector<std::string>& cells) const;

  // Left edge and width of each column within the bands, report units.
  const std::vector<int>& xs() const { return xs_; }
  const std::vector<int>& widths() const { return widths_; }
  int tableWidth() const { return tableWidth_; }

 private:
  report::FontSpec font(int weight) const;
  report::TextItem cell(std::size_t i, int y, const std::string& text, char justify, int indent,
                        int weight) const;

  std::vector<PrintColumn> columns_;
  PrintFit fit_;
  std::string face_;
  int weight_;
  int headerWeight_;
  std::vector<int> xs_;
  std::vector<int> widths_;
  int tableWidth_ = 0;
};

}  // namespace trv::listext
