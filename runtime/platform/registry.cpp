#include "runtime/platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <type_traits>

namespace trv::platform {
namespace {

// --- The store in memory -------------------------------------------------------------------

struct Key {
  std::string path;
  std::vector<std::pair<std::string, RegistryValue>> values;
};

struct Tree {
  std::vector<Key> keys;  // every key by its full path, parents before children
};

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto fold = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
           return fold(x) == fold(y);
         });
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && sameName(s.substr(0, prefix.size()), prefix);
}

bool validKeyPath(std::string_view key) {
  if (key.empty() || key.front() == '\\' || key.back() == '\\') return false;
  if (key.find("\\\\") != std::string_view::npos) return false;
  return std::none_of(key.begin(), key.end(), [](char c) { return (unsigned char)c < 0x20; });
}

Key* findKey(Tree& t, std::string_view path) {
  for (auto& k : t.keys)
    if (sameName(k.path, path)) return &k;
  return nullptr;
}

bool hasSubkeys(const Tree& t, std::string_view path) {
  const std::string prefix = std::string(path) + "\\";
  return std::any_of(t.keys.begin(), t.keys.end(),
                     [&](const Key& k) { return startsWithNoCase(k.path, prefix); });
}

// --- The file's text form ------------------------------------------------------------------
// A key is a line "[path]"; each of its values follows as "name"=data, where data is
// dword:XXXXXXXX, sz:"text" or hex(type):aa,bb,... Quoted texts escape \, ", control
// characters and bytes from 127 up as \xHH, so every line is plain ASCII.

constexpr std::string_view kHeader = "# trv registry 1";

void appendQuoted(std::string& out, std::string_view s) {
  static const char* hex = "0123456789abcdef";
  out += '"';
  for (unsigned char c : s) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c >= 0x7f) {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += char(c);
    }
  }
  out += '"';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text at `pos`, leaving `pos` after its closing quote.
std::optional<std::string> parseQuoted(std::string_view line, std::size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++pos >= line.size()) return std::nullopt;
    if (line[pos] == 'x') {
      if (pos + 2 >= line.size()) return std::nullopt;
      int hi = hexDigit(line[pos + 1]), lo = hexDigit(line[pos + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      out += char(hi * 16 + lo);
      pos += 2;
    } else {
      out += line[pos];
    }
  }
  return std::nullopt;
}

std::string formatTree(const Tree& t) {
  std::string out(kHeader);
  out += '\n';
  for (const auto& k : t.keys) {
    out += '[' + k.path + "]\n";
    for (const auto& [name, v] : k.values) {
      appendQuoted(out, name);
      out += '=';
      if (v.type == RegistryType::kDword && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = n << 8 | (unsigned char)v.data[i];
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        out += buf;
      } else if (v.type == RegistryType::kString) {
        out += "sz:";
        appendQuoted(out, v.data);
      } else {
        out += "hex(" + std::to_string(std::uint32_t(v.type)) + "):";
        for (std::size_t i = 0; i < v.data.size(); ++i) {
          char buf[4];
          std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", (unsigned char)v.data[i]);
          out += buf;
        }
      }
      out += '\n';
    }
  }
  return out;
}

std::optional<RegistryValue> parseData(std::string_view d) {
  if (d.starts_with("dword:")) {
    d.remove_prefix(6);
    if (d.size() != 8) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : d) {
      int h = hexDigit(c);
      if (h < 0) return std::nullopt;
      n = n << 4 | std::uint32_t(h);
    }
    return RegistryValue::dword(n);
  }
  if (d.starts_with("sz:")) {
    std::size_t pos = 3;
    auto s = parseQuoted(d, pos);
    if (!s || pos != d.size()) return std::nullopt;
    return RegistryValue::string(*s);
  }
  if (d.starts_with("hex(")) {
    auto close = d.find("):");
    if (close == std::string_view::npos) return std::nullopt;
    std::uint32_t type = 0;
    for (char c : d.substr(4, close - 4)) {
      if (c < '0' || c > '9') return std::nullopt;
      type = type * 10 + std::uint32_t(c - '0');
    }
    RegistryValue v{RegistryType(type), {}};
    std::string_view bytes = d.substr(close + 2);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
      if (i + 2 > bytes.size()) return std::nullopt;
      int hi = hexDigit(bytes[i]), lo = hexDigit(bytes[i + 1]);
      if (hi < 0 || lo < 0) return std::nullopt;
      if (i + 2 < bytes.size() && bytes[i + 2] != ',') return std::nullopt;
      v.data += char(hi * 16 + lo);
    }
    return v;
  }
  return std::nullopt;
}

std::optional<Tree> parseTree(std::string_view text) {
  Tree t;
  while (!text.empty()) {
    auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.size() < 3 || line.back() != ']') return std::nullopt;
      std::string_view path = line.substr(1, line.size() - 2);
      if (!validKeyPath(path) || findKey(t, path)) return std::nullopt;
      t.keys.push_back({std::string(path), {}});
      continue;
    }
    if (t.keys.empty()) return std::nullopt;
    std::size_t pos = 0;
    auto name = parseQuoted(line, pos);
    if (!name || pos >= line.size() || line[pos] != '=') return std::nullopt;
    auto value = parseData(line.substr(pos + 1));
    if (!value) return std::nullopt;
    t.keys.back().values.emplace_back(std::move(*name), std::move(*value));
  }
  return t;
}

// --- Transactions on the file -------------------------------------------------------------

class FileLock {
 public:
  FileLock(const std::filesystem::path& file, bool exclusive) {
    std::error_code ec;
    if (exclusive) std::filesystem::create_directories(file.parent_path(), ec);
    const std::string lockName = file.string() + ".lock";
    fd_ = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0 && !exclusive) {
      // A reader of a store that was never written need not create anything.
      ok_ = errno == ENOENT;
      return;
    }
    while (fd_ >= 0 && ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        fd_ = -1;
      }
    }
    ok_ = fd_ >= 0;
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool ok() const { return ok_; }

 private:
  int fd_ = -1;
  bool ok_ = false;
};

RegistryStatus load(const std::filesystem::path& file, Tree& tree) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) return errno == ENOENT ? RegistryStatus::kOk : RegistryStatus::kIoError;
  std::string text;
  char buf[8192];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const bool failed = std::ferror(f);
  std::fclose(f);
  if (failed) return RegistryStatus::kIoError;
  auto parsed = parseTree(text);
  if (!parsed) return RegistryStatus::kMalformed;
  tree = std::move(*parsed);
  return RegistryStatus::kOk;
}

RegistryStatus save(const std::filesystem::path& file, const Tree& tree) {
  const std::string text = formatTree(tree);
  const std::string temp = file.string() + ".tmp" + std::to_string(::getpid());
  // Never through a link planted at the temporary name: an entry found there (a link, or the
  // leftover of a crashed run with our process id) is removed and the file made afresh.
  constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(temp.c_str(), kFlags, 0644);
  if (fd < 0 && errno == EEXIST && ::unlink(temp.c_str()) == 0)
    fd = ::open(temp.c_str(), kFlags, 0644);
  if (fd < 0) return RegistryStatus::kIoError;
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t w = ::write(fd, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) break;
    done += std::size_t(w);
  }
  const bool written = done == text.size() && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !written || ::rename(temp.c_str(), file.c_str()) != 0) {
    ::unlink(temp.c_str());
    return RegistryStatus::kIoError;
  }
  return RegistryStatus::kOk;
}

template <class R>
R failed(RegistryStatus s) {
  if constexpr (std::is_same_v<R, RegistryStatus>) {
    return s;
  } else {
    R r;
    r.status = s;
    return r;
  }
}

// Runs `fn` on the store read under a shared lock.
template <class Fn>
auto readOnly(const std::filesystem::path& file, Fn fn) -> decltype(fn(std::declval<Tree&>())) {
  using R = decltype(fn(std::declval<Tree&>()));
  FileLock lock(file, false);
  if (!lock.ok()) return failed<R>(RegistryStatus::kIoError);
  Tree tree;
  if (auto s = load(file, tree); s != RegistryStatus::kOk) return failed<R>(s);
  return fn(tree);
}

// Runs `fn` on the store under an exclusive lock and writes it back when `fn` says it changed.
template <class Fn>
RegistryStatus change(const std::filesystem::path& file, Fn fn) {
  FileLock lock(file, true);
  if (!lock.ok()) return RegistryStatus::kIoError;
  Tree tree;
  if (auto s = load(file, tree); s != RegistryStatus::kOk) return s;
  bool changed = false;
  if (auto s = fn(tree, changed); s != RegistryStatus::kOk) return s;
  return changed ? save(file, tree) : RegistryStatus::kOk;
}

std::filesystem::path fromEnv(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? std::filesystem::path(v) : std::filesystem::path();
}

}  // namespace

RegistryValue RegistryValue::dword(std::uint32_t v) {
  std::string d(4, '\0');
  for (int i = 0; i < 4; ++i) d[i] = char(v >> (8 * i) & 0xff);
  return {RegistryType::kDword, d};
}

RegistryValue RegistryValue::string(std::string_view s) {
  return {RegistryType::kString, std::string(s)};
}

std::filesystem::path defaultRegistryFile() {
  if (auto p = fromEnv("TRV_REGISTRY_FILE"); !p.empty()) return p;
  if (auto p = fromEnv("XDG_DATA_HOME"); !p.empty()) return p / "trv" / "registry";
  auto home = fromEnv("HOME");
  if (home.empty()) home = "/tmp";
  return home / ".local" / "share" / "trv" / "registry";
}

FileRegistry::FileRegistry(std::filesystem::path file) : file_(std::move(file)) {}
FileRegistry::FileRegistry() : file_(defaultRegistryFile()) {}

RegistryStatus FileRegistry::findKey(std::string_view key) {
  if (!validKeyPath(key)) return RegistryStatus::kInvalidName;
  return readOnly(file_, [&](Tree& t) {
    return platform::findKey(t, key) ? RegistryStatus::kOk : RegistryStatus::kNotFound;
  });
}

RegistryStatus FileRegistry::createKey(std::string_view key) {
  if (!validKeyPath(key)) return RegistryStatus::kInvalidName;
  return change(file_, [&](Tree& t, bool& changed) {
    for (std::size_t end = 0; end != std::string_view::npos;) {
      end = key.find('\\', end + 1);
      std::string_view part = key.substr(0, end);
      if (!platform::findKey(t, part)) {
        t.keys.push_back({std::string(part), {}});
        changed = true;
      }
    }
    return RegistryStatus::kOk;
  });
}

RegistryStatus FileRegistry::deleteKey(std::string_view key) {
  if (!validKeyPath(key)) return RegistryStatus::kInvalidName;
  return change(file_, [&](Tree& t, bool& changed) {
    Key* k = platform::findKey(t, key);
    if (!k) return RegistryStatus::kNotFound;
    if (hasSubkeys(t, key)) return RegistryStatus::kHasSubkeys;
    t.keys.erase(t.keys.begin() + (k - t.keys.data()));
    changed = true;
    return RegistryStatus::kOk;
  });
}

RegistryRead FileRegistry::readValue(std::string_view key, std::string_view name) {
  if (!validKeyPath(key)) return {RegistryStatus::kInvalidName, {}};
  return readOnly(file_, [&](Tree& t) {
    Key* k = platform::findKey(t, key);
    if (!k) return RegistryRead{RegistryStatus::kNotFound, {}};
    for (const auto& [n, v] : k->values)
      if (sameName(n, name)) return RegistryRead{RegistryStatus::kOk, v};
    return RegistryRead{RegistryStatus::kNotFound, {}};
  });
}

RegistryStatus FileRegistry::writeValue(std::string_view key, std::string_view name,
                                        const RegistryValue& value) {
  if (!validKeyPath(key)) return RegistryStatus::kInvalidName;
  return change(file_, [&](Tree& t, bool& changed) {
    Key* k = platform::findKey(t, key);
    if (!k) return RegistryStatus::kNotFound;
    changed = true;
    for (auto& [n, v] : k->values) {
      if (sameName(n, name)) {
        v = value;
        return RegistryStatus::kOk;
      }
    }
    k->values.emplace_back(std::string(name), value);
    return RegistryStatus::kOk;
  });
}

RegistryStatus FileRegistry::deleteValue(std::string_view key, std::string_view name) {
  if (!validKeyPath(key)) return RegistryStatus::kInvalidName;
  return change(file_, [&](Tree& t, bool& changed) {
    Key* k = platform::findKey(t, key);
    if (!k) return RegistryStatus::kNotFound;
    auto it = std::find_if(k->values.begin(), k->values.end(),
                           [&](const auto& nv) { return sameName(nv.first, name); });
    if (it == k->values.end()) return RegistryStatus::kNotFound;
    k->values.erase(it);
    changed = true;
    return RegistryStatus::kOk;
  });
}

RegistryNames FileRegistry::valueNames(std::string_view key) {
  if (!validKeyPath(key)) return {RegistryStatus::kInvalidName, {}};
  return readOnly(file_, [&](Tree& t) {
    Key* k = platform::findKey(t, key);
    if (!k) return RegistryNames{RegistryStatus::kNotFound, {}};
    RegistryNames r{RegistryStatus::kOk, {}};
    for (const auto& nv : k->values) r.names.push_back(nv.first);
    return r;
  });
}

RegistryNames FileRegistry::subkeyNames(std::string_view key) {
  if (!validKeyPath(key)) return {RegistryStatus::kInvalidName, {}};
  return readOnly(file_, [&](Tree& t) {
    if (!platform::findKey(t, key)) return RegistryNames{RegistryStatus::kNotFound, {}};
    RegistryNames r{RegistryStatus::kOk, {}};
    const std::string prefix = std::string(key) + "\\";
    for (const auto& k : t.keys) {
      if (!startsWithNoCase(k.path, prefix)) continue;
      std::string_view rest = std::string_view(k.path).substr(prefix.size());
      if (rest.find('\\') == std::string_view::npos) r.names.emplace_back(rest);
    }
    return r;
  });
}

}  // namespace trv::platform
