#include "runtime/platform/folders.h"

#include <cstdlib>
#include <system_error>

#include "runtime/text/charset.h"

namespace trv::platform {
namespace {

std::filesystem::path fromEnv(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? std::filesystem::path(v) : std::filesystem::path();
}

std::filesystem::path home() {
  auto h = fromEnv("HOME");
  return h.empty() ? std::filesystem::path("/tmp") : h;
}

}  // namespace

std::filesystem::path configFolder() {
  if (auto p = fromEnv("TRV_CONFIG_DIR"); !p.empty()) return p;
  if (auto p = fromEnv("XDG_CONFIG_HOME"); !p.empty()) return p / "trvnel";
  return home() / ".config" / "trvnel";
}

std::filesystem::path programFolder() {
  if (auto p = fromEnv("TRV_PROGRAM_DIR"); !p.empty()) return p;
  if (auto p = fromEnv("XDG_DATA_HOME"); !p.empty()) return p / "trvnel";
  return home() / ".local" / "share" / "trvnel";
}

std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& folder,
                                                      const std::filesystem::path& name) {
  std::error_code ec;
  const auto exact = folder / name;
  if (std::filesystem::exists(exact, ec)) return exact;
  const std::string wanted = text::upper1252(text::fromUtf8(name.string()));
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (text::upper1252(text::fromUtf8(entry.path().filename().string())) == wanted)
      return entry.path();
  }
  return std::nullopt;
}

}  // namespace trv::platform
