#include "runtime/store/record_codec.h"

#include <gtest/gtest.h>

#include <cstring>

namespace trv::store {
namespace {

TEST(RecordCodecTest, FieldTextRoundTripsAndRefusesBadValues) {
  const FieldDecl byteF{"B", FieldType::Byte, 0, 1}, shortF{"S", FieldType::UShort, 1, 2},
      longF{"L", FieldType::Long, 3, 4}, ulongF{"U", FieldType::ULong, 7, 4},
      strF{"T", FieldType::String, 11, 5}, cstrF{"C", FieldType::CString, 16, 4};
  struct Case {
    const FieldDecl* f;
    const char* in;
    SetResult result;
    const char* out;
  } cases[] = {
      {&byteF, "255", SetResult::Ok, "255"},
      {&byteF, "256", SetResult::OutOfRange, "0"},
      {&shortF, "65535", SetResult::Ok, "65535"},
      {&longF, "-7", SetResult::Ok, "-7"},
      {&longF, "+12", SetResult::Ok, "12"},
      {&longF, "1x", SetResult::NotANumber, "0"},
      {&longF, "", SetResult::NotANumber, "0"},
      {&ulongF, "-1", SetResult::OutOfRange, "0"},
      {&ulongF, "4294967295", SetResult::Ok, "4294967295"},
      {&strF, "abc  ", SetResult::Ok, "abc"},
      {&strF, "abcdef", SetResult::TooLong, ""},
      {&cstrF, "abc", SetResult::Ok, "abc"},
      {&cstrF, "abcd", SetResult::TooLong, ""},
  };
  for (const Case& c : cases) {
    char rec[20] = {};
    std::memset(rec + 11, ' ', 5);
    EXPECT_EQ(setFieldText(*c.f, rec, c.in), c.result) << c.f->name << " " << c.in;
    EXPECT_EQ(fieldText(*c.f, rec), c.out) << c.f->name << " " << c.in;
  }
}

TEST(RecordCodecTest, KeyImagesOrderAsTheKeyCompares) {
  FileDecl d;
  d.recordSize = 14;
  d.fields = {
      {"T", FieldType::String, 0, 6}, {"L", FieldType::Long, 6, 4}, {"U", FieldType::ULong, 10, 4}};
  const KeyDecl textKey{"t", "t", {0}}, longKey{"l", "l", {1}}, pair{"p", "p", {0, 2}};
  auto image = [&](const KeyDecl& k, const char* t, std::int64_t l, std::int64_t u) {
    char rec[14];
    (void)setFieldText(d.fields[0], rec, t);
    writeNumber(d.fields[1], rec, l);
    writeNumber(d.fields[2], rec, u);
    return keyImage(d, k, rec);
  };
  EXPECT_EQ(image(textKey, "abc", 0, 0), image(textKey, "ABC ", 0, 0));
  EXPECT_LT(*image(textKey, "ab", 0, 0), *image(textKey, "ab c", 0, 0));
  EXPECT_LT(*image(textKey, "AB", 0, 0), *image(textKey, "abc", 0, 0));
  EXPECT_LT(*image(longKey, "", -5, 0), *image(longKey, "", 3, 0));
  EXPECT_LT(*image(longKey, "", -5, 0), *image(longKey, "", -1, 0));
  EXPECT_LT(*image(pair, "ab", 0, 300), *image(pair, "abc", 0, 1));
  EXPECT_LT(*image(pair, "ab", 0, 2), *image(pair, "ab", 0, 256));
  EXPECT_FALSE(image(textKey, "   ", 9, 9).has_value());
  EXPECT_FALSE(image(pair, "", 9, 0).has_value());
  EXPECT_TRUE(image(pair, "", 9, 1).has_value());
}

}  // namespace
}  // namespace trv::store
