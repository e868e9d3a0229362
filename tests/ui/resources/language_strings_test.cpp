#include "ui/resources/language_strings.h"

#include <gtest/gtest.h>

#include "tests/ui/resources/test_support.h"
#include "ui/resources/global_manager.h"

namespace ui {
namespace {

std::map<std::wstring, std::wstring> Parse(const std::string& data) {
  std::map<std::wstring, std::wstring> table;
  ParseLanguageStrings(data, table);
  return table;
}

// A byte order mark must not stick to the first key.
TEST(LanguageStringsTest, LineRulesOfTheFormat) {
  const auto table = Parse(
      "\xEF\xBB\xBFSTRID_FIRST=\xE7\xAC\xAC\xE4\xB8\x80\n"
      "\tSTRID_TABS\t=\t\xE8\xAE\xBE\xE7\xBD\xAE\t\r\n"
      "STRID_EQUALS=a=b\n"
      ";\xE5\xB8\xB8\xE8\xA7\x84\xE5\xAD\x97\xE7\xAC\xA6\xEF\xBC\x9ASTRID_LOGIN = \xE7\x99\xBB \xE5\xBD\x95\n"
      "\n   \n"
      "STRID_NO_TEXT=\n"
      "==STRID_LEADING==text==\n"
      "STRID_REPEATED=old\n"
      "STRID_REPEATED=new\n"
      "no equals sign at all\n"
      "STRID_BAD_UTF8=\xC3\x28\n"
      "STRID_LAST=no newline at the end");
  EXPECT_EQ(table.at(L"STRID_FIRST"), L"第一");
  EXPECT_EQ(table.at(L"STRID_TABS"), L"设置");
  EXPECT_EQ(table.count(L"STRID_EQUALS"), 0u);
  EXPECT_EQ(table.count(L"STRID_LOGIN"), 0u);
  EXPECT_EQ(table.count(L"STRID_NO_TEXT"), 0u);
  EXPECT_EQ(table.count(L"STRID_BAD_UTF8"), 0u);  // only its own line is lost
  // Empty tokens are dropped, so surrounding "=" leave exactly two tokens.
  EXPECT_EQ(table.at(L"STRID_LEADING"), L"text");
  EXPECT_EQ(table.at(L"STRID_REPEATED"), L"new");
  EXPECT_EQ(table.at(L"STRID_LAST"), L"no newline at the end");
  EXPECT_EQ(table.size(), 5u);
}

TEST(LanguageStringsTest, LongLinesAndMultiByteTextStayWhole) {
  // Longer than any fixed line buffer, with a three-byte character straddling
  // the 4096-byte mark.
  std::string text(4094 - 6, 'x');
  text += "\xE5\x8D\x87";  // 升
  text += std::string(5000, 'y');
  const auto table = Parse("LONG_ID=" + text + "\nNEXT=1\n");
  ASSERT_EQ(table.count(L"LONG_ID"), 1u);
  EXPECT_EQ(table.at(L"LONG_ID").size(), 4094u - 6 + 1 + 5000);
  EXPECT_EQ(table.at(L"LONG_ID")[4094 - 6], L'升');
  EXPECT_EQ(table.at(L"NEXT"), L"1");
}

class LanguageTextTest : public test::ResourceStateTest {};

TEST_F(LanguageTextTest, EscapesBecomeLineBreaksWhenRead) {
  GlobalManager::LoadLanguageStrings("MULTI=first\\nsecond\\rthird\\tkept\\\nTRAILING=end\\\n");
  EXPECT_EQ(GlobalManager::GetText(L"MULTI"), L"first\nsecond\rthird\\tkept\\");
  EXPECT_EQ(GlobalManager::GetText(L"TRAILING"), L"end\\");
  EXPECT_EQ(GlobalManager::GetText(L""), L"");
  EXPECT_EQ(GlobalManager::GetText(L"UNKNOWN"), L"");
}

TEST_F(LanguageTextTest, LanguageFileIsReadFromDiskWithoutPackage) {
  test::ScopedTempCwd cwd;
  cwd.Write("resources/lang/en_US/gdstrings.ini", "STRID_OK=OK\n");
  GlobalManager::SetLanguagePath(L"resources\\lang\\en_US");
  EXPECT_EQ(GlobalManager::GetLanguageFilePath(), L"resources/lang/en_US/gdstrings.ini");
  EXPECT_TRUE(GlobalManager::LoadLanguageFile(GlobalManager::GetLanguageFilePath()));
  EXPECT_EQ(GlobalManager::GetText(L"STRID_OK"), L"OK");
  EXPECT_FALSE(GlobalManager::LoadLanguageFile(L"resources/lang/fr_FR/gdstrings.ini"));
}

}  // namespace
}  // namespace ui
