// List format strings: what the writer writes reads back as the same columns; the built-in
// formats of list declarations read with their field numbers counted; anything else is refused.

#include "listext/format_string.h"

#include <gtest/gtest.h>

namespace trv::listext {
namespace {

FormatColumn column(int width, std::string header, std::string picture, int field) {
  FormatColumn c;
  c.widthDlu = width;
  c.header = std::move(header);
  c.picture = std::move(picture);
  c.field = field;
  c.fieldGiven = true;
  return c;
}

TEST(FormatString, WritesTheGroupsOfItsGrammar) {
  FormatColumn c = column(52, "Case Nr", "@N06", 1);
  c.dataIndent = c.headerIndent = 1;
  c.resizable = c.border = true;
  EXPECT_EQ(formatGroup(c), "52L(1)M|~Case Nr~L(1)@N06@#1#");

  FormatColumn all = column(396, "Email", "", 12);
  all.dataJustify = 'D';
  all.headerJustify = 'C';
  all.headerIndent = 3;
  all.colours = all.icon = all.fixed = all.underline = all.resizable = all.border = true;
  all.nbg = 255;
  all.sfg = 0;
  EXPECT_EQ(formatGroup(all), "396D*IF_M|~Email~C(3)@S20@#12#E(,255,0,)");
  // A header is cut to 25 characters; "~" would end it early and is left out.
  EXPECT_EQ(formatGroup(column(8, "A header of more than twenty-five", "@s4", 2), false),
            "8L~A header of more than twe~L@s4@");
  EXPECT_EQ(formatGroup(column(8, "a~b", "@s4", 2), false), "8L~ab~L@s4@");
}

TEST(FormatString, ReadsBackWhatItWrites) {
  std::vector<FormatColumn> cols = {column(28, ">Name", "@s6", 1),
                                    column(200, "Full Name", "@s80", 2),
                                    column(40, "Ändern", "@D5", 7)};
  cols[0].dataIndent = cols[0].headerIndent = 2;
  cols[0].resizable = true;
  cols[1].dataJustify = 'R';
  cols[1].headerJustify = 'C';
  cols[1].border = true;
  cols[1].nfg = 12;
  cols[2].fixed = cols[2].underline = true;
  cols[2].dataJustify = cols[2].headerJustify = 'D';
  const std::string text = formatString(cols);
  const auto back = parseFormat(text);
  ASSERT_TRUE(back) << text;
  EXPECT_EQ(*back, cols);
  EXPECT_EQ(formatString(*back), text);
}

TEST(FormatString, CountsFieldsWhereABuiltInFormatGivesNone) {
  // A colour column takes four fields after its own, an icon column one.
  const auto cols = parseFormat("28L(2)|M*~Name~@s6@80R~Nr~C(1)@N06@#9#40LI~Icon~@s1@20C?~X~@s2@");
  ASSERT_TRUE(cols);
  ASSERT_EQ(cols->size(), 4u);
  EXPECT_EQ((*cols)[0].field, 1);
  EXPECT_EQ((*cols)[1].field, 9);
  EXPECT_EQ((*cols)[2].field, 10);
  EXPECT_EQ((*cols)[3].field, 12);
  // Without a header justification the header follows the data's.
  EXPECT_EQ((*cols)[0].headerJustify, 'L');
  EXPECT_EQ((*cols)[0].headerIndent, 2);
  EXPECT_TRUE((*cols)[0].colours && (*cols)[0].border && (*cols)[0].resizable);
  EXPECT_EQ((*cols)[1].headerJustify, 'C');
}

TEST(FormatString, RefusesWhatIsNoFormat) {
  for (const char* bad :
       {"", "0", "   ", "L~Name~", "28X~Name~", "28L~Name", "28L~Name~@s6", "28L~Name~@s6@#1",
        "28L~Name~@s6@#x#", "28L(2~Name~", "28L~N~%", "28L~N~E(1,2,3,4,5)",
        "28L(256)~Name~L@s6@#1#", "28L~Name~L(300)@s6@#1#"}) {
    EXPECT_FALSE(parseFormat(bad)) << bad;
  }
  EXPECT_FALSE(parseFormat(std::string(kMaxFormatLength + 1, '1')));
}

}  // namespace
}  // namespace trv::listext
