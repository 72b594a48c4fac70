#pragma once
// Automation controls: an object of a class registered by name, placed on a window as a
// numbered control, and driven by text (path.h):
//   read     a path gives the member's value as text: a text as it is, a number in decimal,
//            a method without result as "", an object as a short reference ("@12") that can
//            begin further paths ("@12.Subject"); any failure gives "GetPropertyFailed";
//   perform  a path whose result is dropped;
//   set      a path's last member is set to a text (a method is performed with it).
// A reference stays valid while it is among the kReferencesKept references used last.
//
// Not thread-safe: the program's baton serialises every use, from whichever thread.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "runtime/automation/object.h"

namespace trv::automation {

// The answer of a read that failed.
inline constexpr std::string_view kReadFailed = "GetPropertyFailed";

class Control {
 public:
  static constexpr std::size_t kReferencesKept = 4096;

  explicit Control(ObjectPtr object) : object_(std::move(object)) {}

  [[nodiscard]] std::string read(std::string_view path);
  [[nodiscard]] bool perform(std::string_view path);
  [[nodiscard]] bool set(std::string_view path, std::string_view value);

  // How many references are held now.
  std::size_t references() const { return references_.size(); }

 private:
  struct Held {
    ObjectPtr object;
    std::uint64_t lastUse = 0;
  };
  // Walks path; with setValue, sets its last member instead of reading it.
  std::optional<Value> walk(std::string_view path, const std::string_view* setValue);
  ObjectPtr lookup(std::uint64_t reference);
  std::string referenceTo(const ObjectPtr& object);

  ObjectPtr object_;
  std::unordered_map<std::uint64_t, Held> references_;
  std::unordered_map<const Object*, std::uint64_t> numbers_;
  std::uint64_t nextReference_ = 1;
  std::uint64_t uses_ = 0;
};

// The automation classes a program knows, by name (letter case ignored).
class ClassRegistry {
 public:
  using Factory = std::function<ObjectPtr()>;
  // Registers (or replaces) a class.
  void add(std::string className, Factory factory);
  // A new object of the class; nullptr when the class is unknown or its factory gives none.
  ObjectPtr create(std::string_view className) const;

 private:
  std::map<std::string, Factory> factories_;  // by lower-case name
};

// The automation controls on a program's windows, by window identity and control number.
class Controls {
 public:
  explicit Controls(const ClassRegistry& classes) : classes_(classes) {}
  // Creates control number on window as an object of className, replacing any control there.
  // Nullptr (and no control) when the class is unknown.
  Control* create(std::uint64_t window, int number, std::string_view className);
  Control* find(std::uint64_t window, int number) const;
  void destroy(std::uint64_t window, int number);

 private:
  const ClassRegistry& classes_;
  std::map<std::pair<std::uint64_t, int>, std::unique_ptr<Control>> controls_;
};

}  // namespace trv::automation
