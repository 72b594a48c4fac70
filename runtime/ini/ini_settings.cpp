#include "runtime/ini/ini_settings.h"

#include <cctype>
#include <charconv>

#include "runtime/ini/profile_file.h"

namespace trv::ini {
namespace {

constexpr std::string_view kSectorSection = "__Dont_Touch_Me__";
constexpr std::string_view kSectorKey = "Sectors";

std::int64_t toNumber(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  std::int64_t v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  (void)ptr;
  return ec == std::errc() ? v : 0;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

IniSettings::IniSettings() = default;
IniSettings::~IniSettings() = default;

void IniSettings::Init(const std::filesystem::path& folder, std::string_view fileName) {
  path_ = folder / std::string(fileName);
  file_ = std::make_unique<ProfileFile>(path_);
  sectors_.clear();
  const auto count = file_->read(kSectorSection, kSectorKey);
  hadSectors_ = count.has_value();
  for (std::int64_t i = 1; i <= toNumber(count.value_or("")); ++i)
    sectors_.push_back(
        ReadValue(kSectorSection, std::string(kSectorKey) + "_" + std::to_string(i)));
}

void IniSettings::Shutdown() {
  if (!file_ || !hadSectors_) return;
  file_->update([&](ProfileText& t) {
    bool ok = t.write(kSectorSection, kSectorKey, std::to_string(sectors_.size()));
    for (std::size_t i = 0; i < sectors_.size(); ++i)
      ok = t.write(kSectorSection, std::string(kSectorKey) + "_" + std::to_string(i + 1),
                   sectors_[i]) &&
           ok;
    return ok;
  });
}

std::string IniSettings::ReadValue(std::string_view section, std::string_view key) const {
  if (!file_) return {};
  return file_->read(section, key).value_or("");
}

std::int64_t IniSettings::ReadNumber(std::string_view section, std::string_view key) const {
  return toNumber(ReadValue(section, key));
}

bool IniSettings::WriteValue(std::string_view section, std::string_view key,
                             std::string_view value) {
  return file_ && file_->write(section, key, value);
}

bool IniSettings::WriteValue(std::string_view section, std::string_view key, std::int64_t value) {
  return WriteValue(section, key, std::string_view(std::to_string(value)));
}

std::optional<RestoredPlacement> IniSettings::RestoreWindowPosition(std::string_view procedure,
                                                                    bool resizable) const {
  const std::string maximize = ReadValue(procedure, "Maximize");
  const bool yes = equalsNoCase(maximize, "Yes");
  if (!yes && !equalsNoCase(maximize, "No")) return std::nullopt;
  RestoredPlacement r;
  r.maximized = yes;
  if (yes) return r;
  r.x = static_cast<int>(ReadNumber(procedure, "XPos"));
  r.y = static_cast<int>(ReadNumber(procedure, "YPos"));
  if (resizable) {
    r.sized = true;
    r.width = static_cast<int>(ReadNumber(procedure, "Width"));
    r.height = static_cast<int>(ReadNumber(procedure, "Height"));
  }
  return r;
}

void IniSettings::SaveWindowPosition(std::string_view procedure, const WindowPlacement& placement,
                                     bool resizable) {
  if (!file_ || placement.iconized) return;
  file_->update([&](ProfileText& t) {
    bool ok = t.write(procedure, "Maximize", placement.maximized ? "Yes" : "No");
    if (!placement.maximized) {
      ok = ok && t.write(procedure, "XPos", std::to_string(placement.x)) &&
           t.write(procedure, "YPos", std::to_string(placement.y));
      if (resizable)
        ok = ok && t.write(procedure, "Height", std::to_string(placement.height)) &&
             t.write(procedure, "Width", std::to_string(placement.width));
    }
    return ok;
  });
}

}  // namespace trv::ini
