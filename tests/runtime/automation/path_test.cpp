#include "runtime/automation/path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trv::automation {
namespace {

// The shapes a test object would declare.
MemberShape shapeOf(std::string_view member) {
  if (sameName(member, "GetMessage") || sameName(member, "WriteToFile") ||
      sameName(member, "GetFolder"))
    return {ArgumentStyle::WholeText, {}};
  if (sameName(member, "Logon"))
    return {ArgumentStyle::Named, {"ProfileName", "profilePassword", "showDialog", "parentWindow"}};
  if (sameName(member, "AddressBook"))
    return {ArgumentStyle::Named, {"title", "recipLists", "parentWindow"}};
  return {};
}

// "@12|Item(3)|Source": the reference, then each member with its arguments as name=value.
std::string render(std::string_view path) {
  PathReader reader(path);
  std::string out;
  if (auto ref = reader.reference()) out = referenceText(*ref);
  while (!reader.atEnd()) {
    auto segment = reader.next(shapeOf);
    if (!segment) return out + "|<bad>";
    out += "|" + segment->member;
    if (!segment->called) continue;
    out += "(";
    for (std::size_t i = 0; i < segment->args.size(); ++i) {
      if (i) out += ";";
      if (!segment->args[i].name.empty()) out += segment->args[i].name + "=";
      out += "[" + segment->args[i].value + "]";
    }
    out += ")";
  }
  return out;
}

struct Case {
  const char* path;
  const char* expected;
};

TEST(PathReader, ReadsMembersArgumentsAndReferences) {
  const Case cases[] = {
      {"Inbox.Messages", "|Inbox|Messages"},
      {"inbox.messages.add", "|inbox|messages|add"},
      {"  @12.Item(3).Source ", "@12|Item([3])|Source"},
      {"@7", "@7"},
      {"@7.Item( 3 )", "@7|Item([3])"},
      {"send(1,0)", "|send([1];[0])"},
      {"GetFirst(\"\")", "|GetFirst([])"},
      {"Count()", "|Count()"},
      {"Item(\"a,b)\")", "|Item([a,b)])"},
      {"f(g(1,2),3)", "|f([g(1,2)];[3])"},
      {"f(a,)", "|f([a];[])"},
      {"f(Name = x)", "|f(Name=[x])"},
      // A path or identity spliced in is taken whole, commas and parentheses included.
      {"GetMessage(INBOX/1.M2,x)y)", "|GetMessage([INBOX/1.M2,x)y])"},
      {"@3.Item(1).WriteToFile(/tmp/a,b)c/x.pdf)", "@3|Item([1])|WriteToFile([/tmp/a,b)c/x.pdf])"},
      {"GetFolder(\"Clients.Acme\")", "|GetFolder([Clients.Acme])"},
      {"GetFolder(\"\")", "|GetFolder([])"},
      {"GetMessage(INBOX/9).ID", "|GetMessage([INBOX/9])|ID"},
      {"GetMessage()", "|GetMessage([])"},
      // Named arguments split only before a parameter name: values may hold commas.
      {"Logon(ProfileName=Support,profilePassword=a,b=c,showDialog=0,parentWindow=7)",
       "|Logon(ProfileName=[Support];profilePassword=[a,b=c];showDialog=[0];parentWindow=[7])"},
      {"Logon(parentWindow=7)", "|Logon(parentWindow=[7])"},
      {"AddressBook(title=\"To, please\",recipLists=2,parentWindow=3)",
       "|AddressBook(title=[To, please];recipLists=[2];parentWindow=[3])"},
      {"AddressBook()", "|AddressBook()"},
  };
  for (const Case& c : cases) EXPECT_EQ(render(c.path), c.expected) << c.path;
}

TEST(PathReader, RefusesWhatIsNoPath) {
  const char* bad[] = {
      "Item(3",          // unclosed
      "a..b",            // empty member
      "3abc",            // not a name
      "a b",             // no "." between members
      "@x.Name",         // not a reference
      "@12Name",         // reference run into a name
      "Inbox.",          // nothing after "."
      "GetMessage(abc",  // no closing parenthesis at all
      "f(\"a)",          // quote never closed
  };
  for (const char* path : bad) EXPECT_NE(render(path).find("<bad>"), std::string::npos) << path;

  PathReader empty("  ");
  EXPECT_TRUE(empty.atEnd());
  EXPECT_FALSE(empty.next(shapeOf));
}

}  // namespace
}  // namespace trv::automation
