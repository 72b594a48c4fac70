#include "core/data/files.h"

#include <gtest/gtest.h>

#include "core/data/records.h"
#include "runtime/store/declaration.h"

namespace trv::core {
namespace {

TEST(DataFilesTest, DeclarationsAreSoundAndMatchTheRecords) {
  const std::pair<DataFile, std::size_t> sizes[] = {
      {DataFile::Sercase, sizeof(SercaseRecord)}, {DataFile::Archive, sizeof(ArchiveRecord)},
      {DataFile::Client, sizeof(ClientRecord)},   {DataFile::Ide, sizeof(IdeRecord)},
      {DataFile::Sla, sizeof(SlaRecord)},         {DataFile::Problem, sizeof(ProblemRecord)},
      {DataFile::Log, sizeof(LogRecord)},         {DataFile::Sys, sizeof(SysRecord)}};
  for (const auto& [file, size] : sizes) {
    const store::FileDecl& d = declaration(file);
    EXPECT_EQ(store::checkDeclaration(d), "") << d.name;
    EXPECT_EQ(d.recordSize, size) << d.name;
    // Fields are contiguous: together they cover the record exactly once.
    std::uint32_t at = 0;
    for (const store::FieldDecl& f : d.fields) {
      EXPECT_EQ(f.offset, at) << f.name;
      at += f.width;
    }
    EXPECT_EQ(at, size) << d.name;
    EXPECT_EQ(d.createWhenMissing, file != DataFile::Ide) << d.name;
  }
}

TEST(DataFilesTest, ArchiveRecordIsTheHeadOfACaseRecord) {
  const store::FileDecl& arc = declaration(DataFile::Archive);
  const store::FileDecl& ser = declaration(DataFile::Sercase);
  ASSERT_EQ(arc.fields.size(), 25u);
  for (std::size_t i = 0; i < arc.fields.size(); ++i) {
    EXPECT_EQ(arc.fields[i].offset, ser.fields[i].offset) << arc.fields[i].name;
    EXPECT_EQ(arc.fields[i].width, ser.fields[i].width) << arc.fields[i].name;
    EXPECT_EQ(arc.fields[i].type, ser.fields[i].type) << arc.fields[i].name;
    EXPECT_TRUE(store::sameName(arc.fields[i].name.substr(4), ser.fields[i].name.substr(4)));
  }
}

TEST(DataFilesTest, KeysAndTheirDescriptions) {
  struct Case {
    DataFile file;
    const char* key;
    const char* description;
    bool unique, autoNumber;
  } cases[] = {
      {DataFile::Sercase, "SER:CaseNrKey", "SER:CaseNrKey", true, true},
      {DataFile::Sercase, "SER:FirstEscKey", "SER:FirstEscKey", false, false},
      {DataFile::Archive, "ARC:CaseNrKey", "ARC:CaseNrKey", true, false},
      {DataFile::Client, "CLI:KeyFullName", "CLI:KeyFullName", true, false},
      {DataFile::Ide, "IDE:KeyID", "IDE:KeyID", true, true},
      {DataFile::Ide, "IDE:KeyName", "IDE:KeyName", true, false},
      {DataFile::Sla, "SLA:IDPRODUCTKEY", "bv. LLI", true, false},
      {DataFile::Log, "Log:KEYNR", "Log:KEYNR", true, true},
      {DataFile::Log, "Log:KEYNAME", "Log:KEYNAME", false, false},
      {DataFile::Sys, "Sys:KeyID", "Sys:KeyID", true, false},
  };
  for (const Case& c : cases) {
    const store::FileDecl& d = declaration(c.file);
    const int k = d.findKey(c.key);
    ASSERT_GE(k, 0) << c.key;
    EXPECT_EQ(d.keys[k].description, c.description);
    EXPECT_EQ(d.keys[k].unique, c.unique) << c.key;
    EXPECT_EQ(d.keys[k].autoNumber, c.autoNumber) << c.key;
  }
  int autoKeys = 0;
  for (DataFile f : kDataFiles) autoKeys += declaration(f).autoNumberKey() >= 0;
  EXPECT_EQ(autoKeys, 3);
  EXPECT_EQ(declaration(DataFile::Sercase).memos.size(), 2u);
  EXPECT_EQ(declaration(DataFile::Archive).findMemo("ARC:AddHistory"), 1);
}

TEST(DataFilesTest, FieldsAndFilesByName) {
  const std::pair<const char*, DataFile> good[] = {{"CLI:SName", DataFile::Client},
                                                   {"SER:CaseNr", DataFile::Sercase},
                                                   {"Sys:ID", DataFile::Sys},
                                                   {"SYS:PROBLEMFIX", DataFile::Sys},
                                                   {"ser:caseNR", DataFile::Sercase},
                                                   {"Log:ActionDate", DataFile::Log},
                                                   {"ARC:IDPRODUCT", DataFile::Archive},
                                                   {"PRO:PROBLEM", DataFile::Problem}};
  for (const auto& [name, file] : good) {
    ASSERT_EQ(fileOfField(name), file) << name;
    EXPECT_GE(declaration(file).findField(name), 0) << name;
  }
  for (const char* bad : {"CaseNr", "XYZ:Field", ""}) EXPECT_FALSE(fileOfField(bad)) << bad;
  EXPECT_EQ(fileOfTitle("sercase"), DataFile::Sercase);
  EXPECT_EQ(filePath("/db", DataFile::Client), "/db/Client.kvx");
}

}  // namespace
}  // namespace trv::core
