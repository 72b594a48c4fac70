#include "cases/export/export_line.h"

#include "cases/reports/report_frame.h"
#include "core/data/records.h"
#include "runtime/text/picture.h"

namespace trv::cases {
namespace {

std::string trimmed(std::string s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  const std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

void addText(std::string& line, std::string_view field) {
  line += ',';
  line += exportQuoted(reports::shown(field));
}

void addPictured(std::string& line, std::string_view picture, std::int32_t value) {
  line += ',';
  line += exportQuoted(value == 0 ? std::string() : trimmed(text::formatPicture(picture, value)));
}

}  // namespace

std::string exportQuoted(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  out += '"';
  for (const char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string exportLine(const core::SercaseRecord& r) {
  std::string line = std::to_string(r.CaseNr);
  addText(line, r.SName.view());
  addText(line, r.LName.view());
  addText(line, r.IDProduct.view());
  addText(line, r.Product.view());
  addText(line, r.SProblem.view());
  addText(line, r.Owner.view());
  addText(line, r.Status.view());
  addPictured(line, "D5", r.Cdate);
  addText(line, r.Priority.view());
  addPictured(line, "D5", r.SDate);
  addPictured(line, "T1", r.STime);
  addPictured(line, "D5", r.FirstEscDate);
  addPictured(line, "T1", r.FirstEscTime);
  addText(line, r.FirstAction.view());
  addPictured(line, "D5", r.SecEscDate);
  addPictured(line, "T1", r.SecEscTime);
  addText(line, r.SecAction.view());
  addPictured(line, "D5", r.ThirdEscDate);
  addPictured(line, "T1", r.ThirdEscTime);
  addText(line, r.ThirdAction.view());
  line += "\r\n";
  return line;
}

}  // namespace trv::cases
