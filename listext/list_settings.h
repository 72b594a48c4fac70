#pragma once
// What a list hands the list enhancement: its column table, its sort tables and its options.
//
// Every enhanced list of the program gets settings made from its list declaration
// (defaultSettings: the list's columns, all sortable and shown unless the list hides them, the
// option mask 0x2000, the indicator style ">Header", its procedure's section and its list
// control's name); a list with values of its own (descriptions, widths, case-sensitive sorting)
// adjusts them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace trv::list {
struct ListDecl;
}
namespace trv::report {
class ReportOutput;
}
namespace trv::store {
struct RecordBuffer;
}

namespace trv::listext {

// One entry of a list's column table.
struct ColumnEntry {
  std::string field;  // the record field it shows: "CLI:LName"
  int widthDlu = 0;
  std::string header;
  std::string picture;  // "@s80"
  std::string description;
  char headerJustify = 'L';  // 'L', 'R', 'C' or 'D'; the data takes the same
  bool display = true;       // shown in the list's built-in layout
  bool colours = false;      // four colour fields follow it in the list row
  bool icon = false;         // an icon field follows it in the list row
  bool viewField = true;     // part of the view (filters by its value are offered)
  int tab = 0;               // the sheet tab chosen when it becomes the sort column; 0 none
  bool total = false;
  bool graph = true;
  int graphType = 1;
  bool sortable = true;
  // 'S' step, 'E' entry (what is typed collects); 'X': excluded (with display false, the column
  // is left out entirely).
  char locator = 'S';
};

// One component of a sort group or of the apply-all table.
struct SortComponent {
  std::string name;  // a field label
  bool descending = false;
  std::string picture;  // its picture's first characters: "@s" marks text
};

// The sort order of one column, in place of the column's own field.
struct SortGroup {
  std::string column;  // the owning column's field
  std::vector<SortComponent> components;
};

// Components appended to every column's order (to columns with a group only when toGroups).
struct ApplyAll {
  bool toGroups = false;
  std::vector<SortComponent> components;
};

struct ListSettings {
  std::string section;  // the configuration file's section: the list procedure's name
  std::string control;  // the list control's name in the keys: "?Browse:1"
  std::int64_t mask = 0x2000;
  std::string visual = ">Header";  // "Text Bar", "Underline" or ">Header"
  std::string title = " ";         // title text of the "Text Bar" style
  bool allowResize = false;        // the list's position and size are restored
  bool sortAtOpen = true;          // the list sorts on its saved sort column when it opens
  // Where the list stands when its window is resized becomes its default place.
  bool resizeTakesDefault = false;
  // Option fields as the lists set them.
  bool upper = true;  // text sorted and filtered without regard to case
  bool graph = true;
  bool printView = true;
  bool printPage = true;
  int maxFontSize = 14;  // the print's font sizes, points
  int minFontSize = 6;
  int paperType = 1;         // the print's Windows paper-size code: 1 letter, 5 legal, 9 A4 ...
  bool allPreview = true;    // "View" prints show the preview first
  bool pagePreview = false;  // "Page" prints go straight to the printer
  // Where prints go; none: a print makes its pages only.
  report::ReportOutput* reports = nullptr;
  std::string separator = ",";
  std::string csvFileName = "XPort.CSV";
  std::string htmlFileName = "XPort.HTM";
  bool browseHeader = true;
  bool shellExecute = true;
  int ascDesc = 0;
  int headerStyle = 400;
  bool filterEqual = false;
  std::vector<ColumnEntry> columns;
  std::vector<SortGroup> groups;
  ApplyAll applyAll;
  std::vector<int> formatSlots = {1};
  // What a record adds to its category's total when the column showing `field` is graphed;
  // none: nothing (the lists of the program add 0).
  std::function<double(const store::RecordBuffer& record, const std::string& field)> graphAmount;
};

// The settings every enhanced list starts from, made from its declaration.
ListSettings defaultSettings(const list::ListDecl& decl);

}  // namespace trv::listext
