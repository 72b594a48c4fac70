#include "listext/column_model.h"

#include <algorithm>

#include "runtime/list/list_format.h"

namespace trv::listext {

void ColumnModel::Load(const std::vector<ColumnEntry>& table) {
  all_.clear();
  shown_.clear();
  int running = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ColumnEntry& e = table[i];
    ++running;
    if (e.locator == 'X' && !e.display) continue;
    Column c;
    c.field = e.field;
    c.description = e.description;
    c.header = e.header;
    c.picture = e.picture;
    c.widthDlu = e.widthDlu;
    c.hjust = c.fjust = e.headerJustify;
    c.display = e.display;
    c.colours = e.colours;
    c.iconx = e.icon;
    c.viewField = e.viewField;
    c.tab = e.tab;
    c.total = e.total;
    c.graph = e.graph;
    c.graphType = e.graphType;
    c.sortField = e.sortable ? 1 : 0;
    c.locator = e.locator;
    c.qnos = running;
    c.seq = static_cast<int>(i) + 1;
    c.controlField = e.display;
    c.col = e.display ? c.seq : 0;
    c.icon = e.display ? 1 : 0;
    if (e.display) {
      Column s = c;
      s.seq = s.col = static_cast<int>(shown_.size()) + 1;
      shown_.push_back(std::move(s));
    }
    running += (e.colours ? 4 : 0) + (e.icon ? 1 : 0);
    all_.push_back(std::move(c));
  }
}

Column* ColumnModel::byField(int qnos) {
  for (Column& c : all_)
    if (c.qnos == qnos) return &c;
  return nullptr;
}

Column* ColumnModel::at(int seq) {
  if (seq < 1 || seq > static_cast<int>(shown_.size())) return nullptr;
  return &shown_[static_cast<std::size_t>(seq - 1)];
}

bool ColumnModel::ShowFormat(const std::vector<FormatColumn>& groups) {
  std::vector<Column> shown;
  for (const FormatColumn& g : groups) {
    const Column* c = byField(g.field);
    // A format naming a column the list does not have (or twice) is not this list's format.
    if (c == nullptr || c->listField < 0) return false;
    if (std::any_of(shown.begin(), shown.end(), [&](const Column& s) { return s.qnos == g.field; }))
      return false;
    Column s = *c;
    s.display = true;
    s.seq = s.col = static_cast<int>(shown.size()) + 1;
    shown.push_back(std::move(s));
  }
  if (shown.empty()) return false;
  shown_ = std::move(shown);
  for (Column& c : all_) c.icon = byFieldShown(c.qnos) ? 1 : 0;
  return true;
}

bool ColumnModel::byFieldShown(int qnos) const {
  return std::any_of(shown_.begin(), shown_.end(), [&](const Column& s) { return s.qnos == qnos; });
}

void ColumnModel::ShowBuiltIn() {
  shown_.clear();
  for (Column& c : all_) {
    c.icon = c.controlField ? 1 : 0;
    if (!c.controlField) continue;
    Column s = c;
    s.display = true;
    s.seq = s.col = static_cast<int>(shown_.size()) + 1;
    shown_.push_back(std::move(s));
  }
}

void ColumnModel::Renumber() {
  for (std::size_t i = 0; i < shown_.size(); ++i)
    shown_[i].seq = shown_[i].col = static_cast<int>(i) + 1;
}

bool ColumnModel::MoveLeft(int seq) {
  if (seq <= 1 || seq > static_cast<int>(shown_.size())) return false;
  std::swap(shown_[static_cast<std::size_t>(seq - 1)], shown_[static_cast<std::size_t>(seq - 2)]);
  Renumber();
  return true;
}

bool ColumnModel::MoveRight(int seq) {
  if (seq < 1 || seq >= static_cast<int>(shown_.size())) return false;
  std::swap(shown_[static_cast<std::size_t>(seq - 1)], shown_[static_cast<std::size_t>(seq)]);
  Renumber();
  return true;
}

bool ColumnModel::Show(int qnos) {
  Column* c = byField(qnos);
  if (c == nullptr || c->listField < 0 || byFieldShown(qnos)) return false;
  Column s = *c;
  s.display = true;
  if (s.widthDlu == 0) s.widthDlu = 10;
  s.seq = s.col = static_cast<int>(shown_.size()) + 1;
  shown_.push_back(std::move(s));
  c->icon = 1;
  c->col = c->seq;
  return true;
}

bool ColumnModel::Hide(int seq) {
  if (shown_.size() <= 1 || seq < 1 || seq > static_cast<int>(shown_.size())) return false;
  const Column gone = shown_[static_cast<std::size_t>(seq - 1)];
  if (Column* c = byField(gone.qnos)) {
    const int tableSeq = c->seq;
    *c = gone;
    c->seq = tableSeq;
    c->col = 0;
    c->icon = 0;
    c->display = false;
  }
  shown_.erase(shown_.begin() + (seq - 1));
  Renumber();
  return true;
}

void ColumnModel::ReadBack(const std::vector<ui::ListColumn>& control) {
  for (Column& c : shown_) {
    if (c.col == 0 || c.seq < 1 || c.seq > static_cast<int>(control.size())) continue;
    const ui::ListColumn& l = control[static_cast<std::size_t>(c.seq - 1)];
    c.picture = l.picture;
    c.header = l.header;
    // Widths are kept in dialog units; the control holds characters. A width the user did not
    // change keeps its dialog units.
    if (list::charsOfDialogUnits(c.widthDlu) != l.width) c.widthDlu = l.width * 4;
    c.fixed = l.fixed;
    c.border = l.border;
    c.resize = l.resizable;
    c.uline = l.underline;
    c.fjust = ui::dataJustification(l);
    c.foffset = l.dataIndent;
    c.hjust = ui::headerJustification(l);
    c.hoffset = l.headerIndent;
    c.nfg = l.colour;
    c.nbg = l.background;
    c.sfg = l.selectedColour;
    c.sbg = l.selectedBackground;
    c.width = l.width;
  }
}

int ColumnModel::Place(int listWidth, int scrollBar, int scrolled, int sortField) {
  // Columns scrolled out of view on the left show nothing.
  if (scrolled > 0) {
    int hidden = 0;
    for (Column& c : shown_) {
      if (hidden == scrolled) break;
      if (c.fixed) continue;
      c.width = 0;
      ++hidden;
    }
  }
  int sortSeq = 0;
  int available = listWidth - scrollBar;
  int x = 0;
  Column* last = nullptr;
  for (Column& c : shown_) {
    if (c.col == 0) continue;
    if (sortField != 0 && c.qnos == sortField) sortSeq = c.seq;
    if (c.width > available) c.width = std::max(0, available);
    if (c.width > 0) available -= c.width + (c.border ? 1 : 0);
    c.x = x;
    if (c.width > 0) x += c.width + (c.border ? 1 : 0);
    last = &c;
  }
  if (last != nullptr && available > 0) last->width += available;
  return sortSeq;
}

std::vector<FormatColumn> ColumnModel::groups() const {
  std::vector<FormatColumn> g;
  for (const Column& c : shown_) g.push_back(groupOf(c));
  return g;
}

std::vector<ui::ListColumn> ColumnModel::controlColumns() const {
  std::vector<ui::ListColumn> cols;
  for (const Column& c : shown_) cols.push_back(controlColumnOf(c));
  return cols;
}

std::vector<int> ColumnModel::listFields() const {
  std::vector<int> f;
  for (const Column& c : shown_) f.push_back(c.listField);
  return f;
}

FormatColumn groupOf(const Column& c) {
  FormatColumn g;
  g.widthDlu = c.widthDlu;
  g.dataJustify = c.fjust;
  g.dataIndent = c.foffset;
  g.colours = c.colours;
  g.icon = c.iconx;
  g.fixed = c.fixed;
  g.underline = c.uline;
  g.resizable = c.resize;
  g.border = c.border;
  g.header = c.header;
  g.headerJustify = c.hjust;
  g.headerIndent = c.hoffset;
  g.picture = c.picture;
  g.field = c.qnos;
  g.fieldGiven = true;
  g.nfg = c.nfg;
  g.nbg = c.nbg;
  g.sfg = c.sfg;
  g.sbg = c.sbg;
  return g;
}

ui::ListColumn controlColumnOf(const Column& c) {
  return controlColumnOf(groupOf(c));
}

FormatColumn groupOf(const ui::ListColumn& l, int field, int widthDlu) {
  FormatColumn g;
  g.widthDlu = widthDlu;
  g.dataJustify = ui::dataJustification(l);
  g.dataIndent = l.dataIndent;
  g.fixed = l.fixed;
  g.underline = l.underline;
  g.resizable = l.resizable;
  g.border = l.border;
  g.header = l.header;
  g.headerJustify = ui::headerJustification(l);
  g.headerIndent = l.headerIndent;
  g.picture = l.picture;
  g.field = field;
  g.fieldGiven = field > 0;
  g.nfg = l.colour;
  g.nbg = l.background;
  g.sfg = l.selectedColour;
  g.sbg = l.selectedBackground;
  return g;
}

ui::ListColumn controlColumnOf(const FormatColumn& g) {
  ui::ListColumn l;
  l.header = g.header;
  l.width = list::charsOfDialogUnits(g.widthDlu);
  l.picture = g.picture;
  l.rightAligned = g.dataJustify == 'R';
  l.headerJustify = g.headerJustify;
  l.headerIndent = g.headerIndent;
  l.dataJustify = g.dataJustify;
  l.dataIndent = g.dataIndent;
  l.fixed = g.fixed;
  l.underline = g.underline;
  l.border = g.border;
  l.resizable = g.resizable;
  l.colour = g.nfg;
  l.background = g.nbg;
  l.selectedColour = g.sfg;
  l.selectedBackground = g.sbg;
  return l;
}

}  // namespace trv::listext
