#include "runtime/messaging/folders.h"

#include <algorithm>
#include <set>

#include "runtime/messaging/messages.h"

namespace trv::messaging::detail {
namespace fs = std::filesystem;
namespace {

constexpr const char* kStandard[] = {"Outbox", "Sent", "Trash"};

bool isStandard(std::string_view top) {
  return std::find(std::begin(kStandard), std::end(kStandard), top) != std::end(kStandard);
}

// A Maildir++ folder name ("Clients.Acme") that could name a folder: no empty parts, no "/".
bool plausibleName(std::string_view name) {
  if (name.empty() || name.front() == '.' || name.back() == '.') return false;
  if (name.find("..") != std::string_view::npos) return false;
  return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string lastPart(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(dot + 1));
}

FolderInfo plain(std::string_view name) {
  return FolderInfo{"." + std::string(name), lastPart(name)};
}

class FoldersObject final : public Bound {
 public:
  FoldersObject(State state, std::vector<FolderInfo> folders)
      : Bound(std::move(state)), folders_(std::move(folders)) {}

  std::optional<automation::Value> get(std::string_view m,
                                       const automation::Arguments& args) override {
    using automation::sameName;
    if (!live()) return std::nullopt;
    if (sameName(m, "Count")) return automation::Value(static_cast<std::int64_t>(folders_.size()));
    if (sameName(m, "Item")) {
      auto n = numberOf(automation::firstArgument(args).value_or(""));
      if (!n || *n < 1 || static_cast<std::size_t>(*n) > folders_.size()) return std::nullopt;
      return at(static_cast<std::size_t>(*n - 1));
    }
    if (sameName(m, "GetFirst")) {
      cursor_ = 0;
      return at(cursor_);
    }
    if (sameName(m, "GetNext")) {
      if (cursor_ < folders_.size()) ++cursor_;
      return at(cursor_);
    }
    return std::nullopt;
  }
  bool set(std::string_view, std::string_view) override { return false; }

 private:
  std::optional<automation::Value> at(std::size_t i) {
    if (i >= folders_.size()) return std::nullopt;
    return automation::Value(makeFolder(state_, folders_[i]));
  }
  std::vector<FolderInfo> folders_;
  std::size_t cursor_ = 0;
};

class FolderObject final : public Bound {
 public:
  FolderObject(State state, FolderInfo folder)
      : Bound(std::move(state)), folder_(std::move(folder)) {}

  std::optional<automation::Value> get(std::string_view m, const automation::Arguments&) override {
    using automation::sameName;
    if (!live()) return std::nullopt;
    if (sameName(m, "ID")) return automation::Value(folder_.id);
    if (sameName(m, "Name")) return automation::Value(outText(folder_.name));
    if (sameName(m, "Messages")) return automation::Value(makeMessages(state_, folder_));
    if (sameName(m, "Folders"))
      return automation::Value(
          std::make_shared<FoldersObject>(state_, childrenOf(*state_, folder_.id)));
    return std::nullopt;
  }
  bool set(std::string_view, std::string_view) override { return false; }

 private:
  FolderInfo folder_;
};

}  // namespace

std::optional<FolderInfo> folderById(const SessionState& s, std::string_view id) {
  if (!s.inbox) return std::nullopt;
  if (id.empty() || id == kRootId) return FolderInfo{std::string(kRootId), ""};
  if (id == kInboxId) return FolderInfo{std::string(kInboxId), "Inbox"};
  if (id.front() != '.') return std::nullopt;
  const std::string_view name = id.substr(1);
  if (!plausibleName(name)) return std::nullopt;
  for (const std::string& sub : s.inbox->subfolders())
    if (sub == name || (sub.size() > name.size() && sub.compare(0, name.size(), name) == 0 &&
                        sub[name.size()] == '.'))
      return plain(name);
  return std::nullopt;
}

std::vector<FolderInfo> childrenOf(const SessionState& s, std::string_view id) {
  std::vector<FolderInfo> out;
  if (!s.inbox) return out;
  const std::vector<std::string> subs = s.inbox->subfolders();
  std::set<std::string> seen;
  if (id == kRootId) {
    out.push_back({std::string(kInboxId), "Inbox"});
    for (const char* name : kStandard) out.push_back(plain(name));
    for (const std::string& sub : subs) {
      const std::string top = sub.substr(0, sub.find('.'));
      if (!top.empty() && !isStandard(top) && seen.insert(top).second) out.push_back(plain(top));
    }
    return out;
  }
  if (id.empty() || id.front() != '.') return out;
  const std::string prefix = std::string(id.substr(1)) + ".";
  for (const std::string& sub : subs) {
    if (sub.size() <= prefix.size() || sub.compare(0, prefix.size(), prefix) != 0) continue;
    const std::size_t end = sub.find('.', prefix.size());
    const std::string child = sub.substr(0, end);
    if (plausibleName(child) && seen.insert(child).second) out.push_back(plain(child));
  }
  return out;
}

std::optional<mail::Maildir> maildirOf(const SessionState& s, std::string_view id) {
  if (!s.inbox) return std::nullopt;
  if (id == kInboxId) return s.inbox;
  if (id.empty() || id.front() != '.' || !plausibleName(id.substr(1))) return std::nullopt;
  std::error_code ec;
  const fs::path root = s.inbox->root() / std::string(id);
  if (!fs::is_directory(root / "cur", ec)) return std::nullopt;
  return mail::Maildir::open(root);
}

automation::ObjectPtr makeFolder(State state, FolderInfo folder) {
  return std::make_shared<FolderObject>(std::move(state), std::move(folder));
}

}  // namespace trv::messaging::detail
