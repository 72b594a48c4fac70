#pragma once
// Reading automation paths: "@12.Item(3).Source", "GetFolder(\"Clients.Acme\")",
// "Logon(ProfileName=Support,showDialog=0)".
//
// A path is an optional object reference followed by members separated by "."; a member is a
// name, optionally with arguments in parentheses. How a member's arguments are written
// (object.h, ArgumentStyle) depends on the object the path has reached, so the path is read one
// member at a time, the caller naming the shape of each. Blanks around the whole path are
// ignored. Pure, thread-safe.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/automation/object.h"

namespace trv::automation {

struct Segment {
  std::string member;
  Arguments args;
  bool called = false;  // written with parentheses
};

// "@12": the text of a reference to object number 12.
std::string referenceText(std::uint64_t number);

class PathReader {
 public:
  explicit PathReader(std::string_view text);

  // The object reference the path begins with, consumed; nothing when it begins with a member.
  std::optional<std::uint64_t> reference();
  // True when nothing is left to read.
  bool atEnd() const { return pos_ >= text_.size(); }
  // The next member, its arguments read in the shape shapeOf gives for its name. Nothing when
  // the text there is not a member (bad name, unbalanced parentheses, a missing "."), or at
  // the end.
  std::optional<Segment> next(const std::function<MemberShape(std::string_view)>& shapeOf);

 private:
  bool readList(Segment& out);
  bool readToLastParenthesis(const MemberShape& shape, Segment& out);

  std::string_view text_;
  std::size_t pos_ = 0;
  bool started_ = false;
};

}  // namespace trv::automation
