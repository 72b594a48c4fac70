#pragma once
// The objects that automation drives: an object has members (properties and methods) named
// without regard to letter case; reading a member gives a value, which may be another object;
// setting a member stores a text. A class of automation objects is registered by name
// (class_registry in control.h) and reached only through text paths (path.h, control.h).
//
// Objects are not thread-safe: the program's baton serialises every use.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace trv::automation {

class Object;
using ObjectPtr = std::shared_ptr<Object>;

// What reading a member gives: nothing (a method without a result), a text, a number or an
// object.
using Value = std::variant<std::monostate, std::string, std::int64_t, ObjectPtr>;

// One argument of a method call as written: `name` is empty for a positional argument; a value
// written between double quotes comes without them.
struct Argument {
  std::string name;
  std::string value;
  friend bool operator==(const Argument&, const Argument&) = default;
};
using Arguments = std::vector<Argument>;

// How a member's arguments are written in a path.
enum class ArgumentStyle {
  // Positional or Name=value arguments separated by commas; double quotes and nested
  // parentheses protect commas and parentheses.
  List,
  // One argument: everything up to the last closing parenthesis of the whole text, so that a
  // file path or an identity spliced into the text may hold "," or ")". The member must end the
  // path. A value wholly between double quotes comes without them.
  WholeText,
  // Name=value arguments up to the last closing parenthesis of the whole text; a comma starts a
  // new argument only where one of `names` and "=" follow it, so values may hold commas.
  Named,
};

struct MemberShape {
  ArgumentStyle style = ArgumentStyle::List;
  std::vector<std::string> names;  // Named: the parameter names, any letter case
};

class Object {
 public:
  virtual ~Object() = default;

  // How member's arguments are written; List unless the class says otherwise.
  virtual MemberShape shape(std::string_view member) const;
  // Reads a property or calls a method (args as written; empty without parentheses). Nothing
  // when the object has no such member or the member failed.
  virtual std::optional<Value> get(std::string_view member, const Arguments& args) = 0;
  // Sets a property to value. A member that is a method is performed with value as its one
  // argument. False when there is no such member or the value is refused.
  virtual bool set(std::string_view member, std::string_view value) = 0;
};

// True when a and b are the same member name (ASCII letters without regard to case).
bool sameName(std::string_view a, std::string_view b);

// The first argument's value, or nothing when there is none.
std::optional<std::string> firstArgument(const Arguments& args);
// The value of the argument called name (any letter case), or nothing.
std::optional<std::string> namedArgument(const Arguments& args, std::string_view name);

}  // namespace trv::automation
