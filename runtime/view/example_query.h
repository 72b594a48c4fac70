#pragma once
// ExampleQuery: filter limits on the fields of a view, turned into the view's filter.
//
// Each registered field may have a lower, an upper and a middle limit, each a text that may
// start with "=" (inclusive: at least / at most), "~" (not equal), "*" (contains), and then "^"
// (compare without regard to letter case). A lower limit keeps records whose field is above it,
// an upper one those below it, a middle one those equal to it (or not equal, or containing it).
// Numeric fields compare as numbers, text fields as Windows-1252 text without trailing blanks.

#include <optional>
#include <string>
#include <vector>

#include "runtime/store/declaration.h"
#include "runtime/view/view_reader.h"

namespace trv::view {

class ExampleQuery {
 public:
  // `decl` must outlive the query.
  explicit ExampleQuery(const store::FileDecl& decl) : decl_(decl) {}

  void Init() { fields_.clear(); }
  void Shutdown() { fields_.clear(); }

  // Registers a field by its name ("CLI:CITY", letter case ignored). False when the file has
  // no such field.
  bool AddQueryField(const std::string& name, const std::string& title,
                     const std::string& picture = {}, bool forceA = false, bool forceB = false);
  // Replaces the limits whose keep flag is false. False for a field not registered.
  bool SetFieldLimits(const std::string& name, const std::string& lower, const std::string& upper,
                      const std::string& equal, bool keepLower, bool keepUpper, bool keepEqual);
  void ClearLimits();
  bool hasLimits() const;

  // The filter over the limits set now; an empty predicate when there are none.
  Predicate BuildFilter() const;

 private:
  struct Field {
    std::string name;
    int index = -1;
    std::string title;
    std::string lower, upper, equal;
  };
  Field* find(const std::string& name);

  const store::FileDecl& decl_;
  std::vector<Field> fields_;
};

}  // namespace trv::view
