#include "cases/export/export_line.h"

#include <cstring>

#include "core/data/records.h"
#include "runtime/text/charset.h"
#include "runtime/text/date_time.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"

namespace trv::cases {
namespace {

constexpr std::size_t kCacheSlots = 4096;

std::string trimmed(std::string s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  const std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

void appendQuoted(std::string& out, std::string_view utf8) {
  out += '"';
  for (std::size_t q; (q = utf8.find('"')) != std::string_view::npos;) {
    out.append(utf8.substr(0, q + 1));
    out += '"';
    utf8.remove_prefix(q + 1);
  }
  out.append(utf8);
  out += '"';
}

// A record text (the records' charset, blank-padded) as UTF-8 without its trailing blanks.
void appendText(std::string& out, std::string_view field) {
  out += ',';
  field = text::clip(field);
  if (text::isAscii(field))
    appendQuoted(out, field);
  else
    appendQuoted(out, text::toUtf8(field));
}

// "@T1" shows hours and minutes: the times of one minute share their text, so they share the
// cache's entry (a time of day in hundredths varies too much to cache as it is).
std::int32_t timeKey(std::int32_t value) {
  if (value < 1 || value > text::kLastTimeNumber) return value;
  return (value - 1) / text::kHundredthsPerMinute * text::kHundredthsPerMinute + 1;
}

}  // namespace

std::string exportQuoted(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  appendQuoted(out, utf8);
  return out;
}

void ExportFormatter::appendPictured(std::string& out, bool date, std::int32_t value) {
  out += ',';
  // No date is blank; no time shows as 0:00, as "@T1" does not blank zero.
  if (value == 0 && date) {
    out += "\"\"";
    return;
  }
  std::vector<Shown>& cache = date ? dates_ : times_;
  if (cache.empty()) cache.resize(kCacheSlots);
  if (!date) value = timeKey(value);
  Shown& slot = cache[(static_cast<std::uint32_t>(value) * 2654435761u >> 20) % kCacheSlots];
  if (slot.size == Shown::kUnused || slot.value != value) {
    std::string shown;
    appendQuoted(shown, trimmed(text::formatPicture(date ? "D5" : "T1", value)));
    if (shown.size() > sizeof slot.text) {  // never for these pictures; not cached if it were
      out += shown;
      return;
    }
    std::memcpy(slot.text, shown.data(), shown.size());
    slot.size = static_cast<std::uint8_t>(shown.size());
    slot.value = value;
  }
  // All of the slot and then back to its size: a copy of a known size is a couple of moves.
  out.append(slot.text, sizeof slot.text);
  out.resize(out.size() - (sizeof slot.text - slot.size));
}

void ExportFormatter::appendLine(const core::SercaseRecord& r, std::string& out) {
  out += std::to_string(r.CaseNr);
  appendText(out, r.SName.view());
  appendText(out, r.LName.view());
  appendText(out, r.IDProduct.view());
  appendText(out, r.Product.view());
  appendText(out, r.SProblem.view());
  appendText(out, r.Owner.view());
  appendText(out, r.Status.view());
  appendPictured(out, true, r.Cdate);
  appendText(out, r.Priority.view());
  appendPictured(out, true, r.SDate);
  appendPictured(out, false, r.STime);
  appendPictured(out, true, r.FirstEscDate);
  appendPictured(out, false, r.FirstEscTime);
  appendText(out, r.FirstAction.view());
  appendPictured(out, true, r.SecEscDate);
  appendPictured(out, false, r.SecEscTime);
  appendText(out, r.SecAction.view());
  appendPictured(out, true, r.ThirdEscDate);
  appendPictured(out, false, r.ThirdEscTime);
  appendText(out, r.ThirdAction.view());
  out += "\r\n";
}

std::string exportLine(const core::SercaseRecord& r) {
  thread_local ExportFormatter f;  // its texts depend on the values alone
  std::string line;
  f.appendLine(r, line);
  return line;
}

}  // namespace trv::cases
