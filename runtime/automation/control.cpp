#include "runtime/automation/control.h"

#include <algorithm>
#include <vector>

#include "runtime/automation/path.h"

namespace trv::automation {
namespace {

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

ObjectPtr Control::lookup(std::uint64_t reference) {
  auto it = references_.find(reference);
  if (it == references_.end()) return nullptr;
  it->second.lastUse = ++uses_;
  return it->second.object;
}

std::string Control::referenceTo(const ObjectPtr& object) {
  if (auto it = numbers_.find(object.get()); it != numbers_.end()) {
    references_[it->second].lastUse = ++uses_;
    return referenceText(it->second);
  }
  // Forget the references used longest ago, half a table at a time, so that a long walk over
  // a folder does not keep every message it passed.
  if (references_.size() >= 2 * kReferencesKept) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> byUse;  // last use, reference
    byUse.reserve(references_.size());
    for (const auto& [number, held] : references_) byUse.emplace_back(held.lastUse, number);
    const std::size_t drop = references_.size() - kReferencesKept;
    std::nth_element(byUse.begin(), byUse.begin() + static_cast<std::ptrdiff_t>(drop), byUse.end());
    for (std::size_t i = 0; i < drop; ++i) {
      numbers_.erase(references_[byUse[i].second].object.get());
      references_.erase(byUse[i].second);
    }
  }
  const std::uint64_t number = nextReference_++;
  references_[number] = Held{object, ++uses_};
  numbers_[object.get()] = number;
  return referenceText(number);
}

std::optional<Value> Control::walk(std::string_view path, const std::string_view* setValue) {
  PathReader reader(path);
  ObjectPtr current = object_;
  if (auto ref = reader.reference()) {
    current = lookup(*ref);
    if (!current) return std::nullopt;
    if (reader.atEnd()) {
      if (setValue) return std::nullopt;
      return Value(current);
    }
  }
  for (;;) {
    auto segment = reader.next([&](std::string_view m) { return current->shape(m); });
    if (!segment) return std::nullopt;
    if (reader.atEnd() && setValue) {
      if (segment->called || !current->set(segment->member, *setValue)) return std::nullopt;
      return Value();
    }
    std::optional<Value> value = current->get(segment->member, segment->args);
    if (!value) return std::nullopt;
    if (reader.atEnd()) return value;
    auto* next = std::get_if<ObjectPtr>(&*value);
    if (!next || !*next) return std::nullopt;
    current = *next;
  }
}

std::string Control::read(std::string_view path) {
  std::optional<Value> value = walk(path, nullptr);
  if (!value) return std::string(kReadFailed);
  if (auto* text = std::get_if<std::string>(&*value)) return *text;
  if (auto* number = std::get_if<std::int64_t>(&*value)) return std::to_string(*number);
  if (auto* object = std::get_if<ObjectPtr>(&*value))
    return *object ? referenceTo(*object) : std::string(kReadFailed);
  return {};
}

bool Control::perform(std::string_view path) {
  return walk(path, nullptr).has_value();
}

bool Control::set(std::string_view path, std::string_view value) {
  return walk(path, &value).has_value();
}

void ClassRegistry::add(std::string className, Factory factory) {
  factories_[lowered(className)] = std::move(factory);
}

ObjectPtr ClassRegistry::create(std::string_view className) const {
  auto it = factories_.find(lowered(className));
  return it == factories_.end() || !it->second ? nullptr : it->second();
}

Control* Controls::create(std::uint64_t window, int number, std::string_view className) {
  controls_.erase({window, number});
  ObjectPtr object = classes_.create(className);
  if (!object) return nullptr;
  auto control = std::make_unique<Control>(std::move(object));
  Control* out = control.get();
  controls_[{window, number}] = std::move(control);
  return out;
}

Control* Controls::find(std::uint64_t window, int number) const {
  auto it = controls_.find({window, number});
  return it == controls_.end() ? nullptr : it->second.get();
}

void Controls::destroy(std::uint64_t window, int number) {
  controls_.erase({window, number});
}

}  // namespace trv::automation
