#include "uninstall/product_places.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/platform/registry.h"

namespace trv::uninstall {
namespace {

namespace fs = std::filesystem;

// Parts of an absolute path, without empty parts from doubled or trailing separators.
std::vector<std::string> partsOf(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    if (j > i) parts.push_back(path.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string s;
  for (const auto& p : parts) s += "/" + p;
  return s.empty() ? "/" : s;
}

// A path as the parts joined by single separators; "" for an empty or relative one.
std::string normalised(const std::string& path) {
  return !path.empty() && path.front() == '/' ? joined(partsOf(path)) : std::string();
}

std::string envPath(const char* name) {
  const char* v = std::getenv(name);
  return v ? normalised(v) : std::string();
}

bool isAncestorOrSame(const std::string& folder, const std::string& other) {
  if (other.empty() || folder.empty()) return false;
  if (folder == "/" || folder == other) return true;
  return other.size() > folder.size() && other.compare(0, folder.size(), folder) == 0 &&
         other[folder.size()] == '/';
}

bool isStrictlyBelow(const std::string& folder, const std::string& top) {
  return folder != top && isAncestorOrSame(top, folder);
}

// A name with letter case and everything but letters and digits left aside.
std::string nameKey(std::string_view name) {
  std::string key;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80 || std::isalnum(u)) key += static_cast<char>(std::tolower(u));
  }
  return key;
}

bool absoluteWithoutDots(const std::string& path, std::vector<std::string>& parts) {
  if (path.empty() || path.front() != '/') return false;
  parts = partsOf(path);
  return std::none_of(parts.begin(), parts.end(),
                      [](const std::string& p) { return p == "." || p == ".."; });
}

// Whether the folder stands where products are installed, named after the product there.
bool inProductPlace(const std::vector<std::string>& parts, std::string_view product,
                    const std::string& home) {
  const auto n = parts.size();
  if (parts[0] == "opt") return n >= 2;
  if (parts[0] == "var") return n >= 3 && parts[1] == "opt";
  if (parts[0] == "srv") return n >= 2 && namesProduct(parts[1], product);
  if (n >= 3 && parts[0] == "usr" && parts[1] == "local") {
    if (parts[2] == "share" || parts[2] == "lib") return n >= 4 && namesProduct(parts[3], product);
    static const std::set<std::string> kLocalOwn = {"bin",   "etc",    "games", "include", "lib32",
                                                    "lib64", "libx32", "man",   "libexec", "sbin",
                                                    "src",   "opt",    "share", "lib"};
    return !kLocalOwn.count(parts[2]) && namesProduct(parts[2], product);
  }
  const std::string folder = joined(parts);
  // A home of "/" would make every folder of the machine the user's own.
  if (home.empty() || home == "/" || !isStrictlyBelow(folder, home)) return false;
  const auto homeParts = partsOf(home).size();
  return std::any_of(parts.begin() + static_cast<std::ptrdiff_t>(homeParts), parts.end(),
                     [&](const std::string& p) { return namesProduct(p, product); });
}

// What a package owns at `path` or below it.
bool packageOwnsAtOrBelow(const std::string& path, const std::set<std::string>& owned) {
  const auto it = owned.lower_bound(path);
  return it != owned.end() && isAncestorOrSame(path, *it);
}

bool isProtected(const std::string& folder, const UserFolders& users) {
  const std::string home = normalised(users.home);
  if (isAncestorOrSame(folder, home)) return true;
  for (const auto& other : users.otherHomes) {
    const std::string h = normalised(other);
    if (h.empty() || h == "/" || h == home) continue;
    if (isAncestorOrSame(folder, h) || isAncestorOrSame(h, folder)) return true;
  }
  if (!home.empty()) {
    for (const char* secret : {".ssh", ".gnupg", ".pki", ".aws", ".kube", ".docker",
                               ".password-store", ".local/share/keyrings"}) {
      const std::string s = home + "/" + secret;
      if (isAncestorOrSame(s, folder) || isAncestorOrSame(folder, s)) return true;
    }
  }
  std::vector<std::string> desktop;
  for (const auto& f : users.desktopFolders) desktop.push_back(normalised(f));
  if (!home.empty()) {
    for (const char* sub : {".config", ".local", ".local/share", ".local/state", ".local/bin",
                            ".local/lib", ".cache", "Desktop", "Documents", "Downloads", "Music",
                            "Pictures", "Public", "Templates", "Videos", "bin"})
      desktop.push_back(home + "/" + sub);
  }
  if (std::any_of(desktop.begin(), desktop.end(),
                  [&](const std::string& f) { return isAncestorOrSame(folder, f); }))
    return true;
  if (isAncestorOrSame(folder, normalised(users.registryFile))) return true;
  for (const auto& m : users.mountPoints)
    if (isAncestorOrSame(folder, normalised(m))) return true;
  return packageOwnsAtOrBelow(folder, users.packagePaths);
}

bool isOwnFolder(const std::string& folder, std::string_view product, const UserFolders& users) {
  const auto parts = partsOf(folder);
  if (parts.size() <= 1) return false;  // the root and every folder directly under it
  return inProductPlace(parts, product, normalised(users.home)) && !isProtected(folder, users);
}

// "\040" and the like stand for blanks and other awkward characters in mountinfo.
std::string unescapeMountPath(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isdigit(static_cast<unsigned char>(s[i + 2])) &&
        std::isdigit(static_cast<unsigned char>(s[i + 3]))) {
      out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::vector<std::string> mountPointsOfThisProcess() {
  std::vector<std::string> points;
  std::ifstream in("/proc/self/mountinfo");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point;
    if (fields >> id >> parent >> device >> root >> point)
      points.push_back(unescapeMountPath(point));
  }
  return points;
}

// Whether a path lies in the system's own trees, where no product's place can be.
bool inSystemTree(const std::string& path) {
  for (const char* top : {"/usr/", "/etc/", "/lib", "/bin/", "/sbin/", "/boot/", "/var/"}) {
    if (path.rfind(top, 0) == 0)
      return path.rfind("/usr/local/", 0) != 0 && path.rfind("/var/opt/", 0) != 0;
  }
  return false;
}

// What dpkg's packages own outside the system's trees, read once per process (the lists hold
// some hundred thousand lines).
const std::vector<std::string>& packagePathsOutsideTheSystem() {
  static const std::vector<std::string> owned = [] {
    std::vector<std::string> paths;
    const char* kLists = "/var/lib/dpkg/info";
    DIR* dir = ::opendir(kLists);
    if (!dir) return paths;
    while (const dirent* e = ::readdir(dir)) {
      const std::string name = e->d_name;
      if (name.size() < 6 || name.compare(name.size() - 5, 5, ".list") != 0) continue;
      std::ifstream in(std::string(kLists) + "/" + name);
      std::string line;
      while (std::getline(in, line))
        if (!line.empty() && line.front() == '/' && !inSystemTree(line))
          paths.push_back(normalised(line));
    }
    ::closedir(dir);
    return paths;
  }();
  return owned;
}

// The paths packages own within the places where a product may stand.
std::set<std::string> packagePathsIn(const std::vector<std::string>& places) {
  std::set<std::string> owned;
  for (const auto& path : packagePathsOutsideTheSystem())
    if (std::any_of(places.begin(), places.end(),
                    [&](const std::string& p) { return isStrictlyBelow(path, p); }))
      owned.insert(path);
  return owned;
}

}  // namespace

bool namesProduct(std::string_view name, std::string_view product) {
  const std::string n = nameKey(name), p = nameKey(product);
  if (p.empty() || n.empty()) return false;
  return n.find(p) != std::string::npos || (n.size() >= 4 && p.compare(0, n.size(), n) == 0);
}

UserFolders UserFolders::ofThisUser() {
  UserFolders users;
  users.home = envPath("HOME");
  if (users.home.empty()) {
    if (const passwd* me = ::getpwuid(::getuid()); me && me->pw_dir) users.home = me->pw_dir;
  }
  for (const char* v :
       {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR",
        "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_DOWNLOAD_DIR"})
    users.desktopFolders.push_back(envPath(v));
  // System accounts keep their homes in the system's trees; people's homes can be anywhere.
  constexpr uid_t kFirstPerson = 1000, kNobody = 65534;
  const uid_t self = ::getuid();
  ::setpwent();
  while (const passwd* p = ::getpwent()) {
    if (p->pw_uid == self || !p->pw_dir) continue;
    if (p->pw_uid == 0 || (p->pw_uid >= kFirstPerson && p->pw_uid != kNobody))
      users.otherHomes.emplace_back(p->pw_dir);
  }
  ::endpwent();
  users.registryFile = platform::defaultRegistryFile().string();
  users.mountPoints = mountPointsOfThisProcess();
  std::vector<std::string> places = {"/opt", "/var/opt", "/srv", "/usr/local"};
  if (const std::string home = normalised(users.home); !home.empty() && home != "/")
    places.push_back(home);
  users.packagePaths = packagePathsIn(places);
  return users;
}

FolderCheck checkRemovableFolder(const std::string& folder, std::string_view product) {
  return checkRemovableFolder(folder, product, UserFolders::ofThisUser());
}

FolderCheck checkRemovableFolder(const std::string& folder, std::string_view product,
                                 const UserFolders& users) {
  std::vector<std::string> parts;
  if (!absoluteWithoutDots(folder, parts)) return FolderCheck::kNotAbsolute;
  if (folder.size() > kMaxPathLength) return FolderCheck::kTooLong;
  const std::string lexical = joined(parts);
  if (!isOwnFolder(lexical, product, users)) return FolderCheck::kProtected;
  // The folder itself as a link would have the removal empty whatever it points to.
  struct stat st;
  if (::lstat(lexical.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return FolderCheck::kProtected;
  // A folder reached through a link is judged by where it really is, too.
  std::error_code ec;
  const auto real = fs::weakly_canonical(lexical, ec);
  if (!ec && real.string() != lexical &&
      !isOwnFolder(joined(partsOf(real.string())), product, users))
    return FolderCheck::kProtected;
  return FolderCheck::kOk;
}

bool mayDeleteListedFile(const std::string& path, const std::string& installFolder,
                         std::string_view product, const UserFolders& users) {
  std::vector<std::string> parts;
  if (!absoluteWithoutDots(path, parts) || parts.empty() || path.back() == '/') return false;
  if (path.size() > kMaxPathLength || path.find('\0') != std::string::npos) return false;
  const std::string file = joined(parts);
  const std::string folder = joined({parts.begin(), parts.end() - 1});

  const std::string home = normalised(users.home);
  const std::string install = normalised(installFolder);
  const bool inInstallation = !install.empty() && isAncestorOrSame(install, folder) &&
                              checkRemovableFolder(install, product, users) == FolderCheck::kOk;
  bool shared = folder == "/usr/local/bin" || folder == "/usr/local/lib";
  if (!home.empty() && home != "/")
    shared = shared || folder == home + "/.local/bin" || folder == home + "/.local/lib";
  const bool allowed =
      inInstallation || shared || checkRemovableFolder(folder, product, users) == FolderCheck::kOk;
  if (!allowed) return false;

  for (const auto& m : users.mountPoints) {
    const std::string point = normalised(m);
    if (point == file || point == folder) return false;
  }
  if (users.packagePaths.count(file)) return false;
  return file != normalised(users.registryFile);
}

}  // namespace trv::uninstall
