#include "runtime/ini/profile_text.h"

#include "runtime/text/charset.h"

namespace trv::ini {
namespace {

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
  a = trim(a);
  b = trim(b);
  if (a.size() == b.size()) {
    bool same = true;
    for (std::size_t i = 0; i < a.size() && same; ++i)
      same = text::upper1252(a[i]) == text::upper1252(b[i]);
    if (same) return true;
  }
  // Names beyond ASCII are UTF-8: fold them in the records' character set.
  return text::upper1252(text::fromUtf8(a)) == text::upper1252(text::fromUtf8(b));
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string_view> sectionName(std::string_view line) {
  line = trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return line.substr(1, close - 1);
}

bool hasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

ProfileText::ProfileText(std::string_view text) {
  if (text.find("\r\n") != std::string_view::npos) eol_ = "\r\n";
  finalEol_ = text.empty() || text.back() == '\n';
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.push_back({std::string(line)});
    start = end + 1;
  }
}

std::optional<ProfileText::SectionRange> ProfileText::findSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = sectionName(lines_[i].text);
    if (!name || !sameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !sectionName(lines_[end].text)) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> ProfileText::findKey(const SectionRange& range,
                                                std::string_view key) const {
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    const std::string_view line = lines_[i].text;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = trim(line.substr(0, eq));
    if (!name.empty() && name.front() == ';') continue;
    if (sameName(name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> ProfileText::read(std::string_view section, std::string_view key) const {
  const auto range = findSection(section);
  if (!range) return std::nullopt;
  const auto at = findKey(*range, key);
  if (!at) return std::nullopt;
  const std::string_view line = lines_[*at].text;
  std::string_view value = trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

bool ProfileText::canHold(std::string_view section, std::string_view key, std::string_view value) {
  if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value)) return false;
  if (trim(section).empty() || section.find(']') != std::string_view::npos) return false;
  const std::string_view k = trim(key);
  if (k.empty() || k.find('=') != std::string_view::npos || k.front() == '[' || k.front() == ';')
    return false;
  return true;
}

bool ProfileText::write(std::string_view section, std::string_view key, std::string_view value) {
  if (!canHold(section, key, value)) return false;
  std::string_view clipped = value;
  while (!clipped.empty() && clipped.back() == ' ') clipped.remove_suffix(1);
  auto range = findSection(section);
  if (!range) {
    if (!lines_.empty() && !trim(lines_.back().text).empty()) lines_.push_back({""});
    lines_.push_back({"[" + std::string(trim(section)) + "]"});
    lines_.push_back({std::string(trim(key)) + "=" + std::string(clipped)});
    finalEol_ = true;
    return true;
  }
  if (const auto at = findKey(*range, key)) {
    std::string& line = lines_[*at].text;
    line = std::string(trim(line.substr(0, line.find('=')))) + "=" + std::string(clipped);
    return true;
  }
  // After the section's last non-blank line, so a blank line before the next section stays.
  std::size_t insertAt = range->end;
  while (insertAt > range->header + 1 && trim(lines_[insertAt - 1].text).empty()) --insertAt;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                {std::string(trim(key)) + "=" + std::string(clipped)});
  if (insertAt == lines_.size() - 1) finalEol_ = true;
  return true;
}

bool ProfileText::remove(std::string_view section, std::string_view key) {
  const auto range = findSection(section);
  if (!range) return false;
  const auto at = findKey(*range, key);
  if (!at) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
  return true;
}

std::string ProfileText::text() const {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i].text;
    if (i + 1 < lines_.size() || finalEol_) out += eol_;
  }
  return out;
}

}  // namespace trv::ini
