#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/text.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  // Paths are built as UTF-8 and handed over as wide strings, as the
  // program does (std::filesystem's own conversion depends on the locale).
  std::wstring PathOf(const std::string& name) const {
    return Utf8ToUtf16((root_ / name).string());
  }
  static fs::path Native(const std::wstring& path) { return fs::path(Utf16ToUtf8(path)); }
  void WriteRaw(const std::wstring& path, const std::string& bytes) {
    std::ofstream(Native(path), std::ios::binary) << bytes;
  }
  std::string ReadRaw(const std::wstring& path) {
    std::ifstream in{Native(path), std::ios::binary};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  std::wstring Get(const std::wstring& path, const std::wstring& key,
                   const std::wstring& section = L"fleet") {
    return platform::GetPrivateProfileString(section, key, L"<default>", 2048, path);
  }

  fleetsync_test::TempFolder temp_{"ini_test"};
  const fs::path root_ = temp_.path();
};

TEST_F(IniFileTest, MissingFileFolderSectionOrKeyGiveDefaultsAndCreateNothing) {
  const std::wstring missing = PathOf("no such folder/settings.ini");
  EXPECT_EQ(Get(missing, L"version"), L"<default>");
  EXPECT_EQ(platform::GetPrivateProfileInt(L"fleet", L"force_update", 7, missing), 7u);
  EXPECT_FALSE(platform::WritePrivateProfileString(L"fleet", L"k", L"v", missing));
  EXPECT_TRUE(fs::is_empty(root_));

  const std::wstring path = PathOf("settings.ini");
  WriteRaw(path, "[other]\nversion=1\n[fleet]\nproject=p\n");
  EXPECT_EQ(Get(path, L"version"), L"<default>");
  EXPECT_EQ(Get(path, L"project", L"absent"), L"<default>");
  EXPECT_EQ(platform::GetPrivateProfileInt(L"fleet", L"version", -1, path), UINT_MAX);
}

// Any value without a line break comes back: the fuzzer's property; here the
// folder's name and the values the quotes rule touches.
TEST_F(IniFileTest, RoundTripInFolderWithSpacesAndChineseKeepsValuesExactly) {
  fs::create_directories(root_ / "配置 文件");
  const std::wstring path = PathOf("配置 文件/set tings.ini");
  const std::vector<std::pair<std::wstring, std::wstring>> cases = {
      {L"update_file", L"/home/技术员/固件 v2/update.img"},
      {L"blanks", L"  two leading, one trailing "},
      {L"double", L"\"quoted\""},
      {L"single", L"'quoted'"},
  };
  for (const auto& [key, value] : cases) {
    ASSERT_TRUE(platform::WritePrivateProfileString(L"fleet", key, value, path)) << key;
  }
  for (const auto& [key, value] : cases) EXPECT_EQ(Get(path, key), value) << key;
}

TEST_F(IniFileTest, NamesCompareCaseInsensitivelyAndValuesAreTrimmedAndUnquoted) {
  const std::wstring path = PathOf("settings.ini");
  WriteRaw(path,
           "  [ FLEET ]  \n"
           "  Update_File  =   /a b/c   \t\n"
           "dq = \"  kept blanks  \"\n"
           "sq='x'\n"
           "unmatched=\"x'\n"
           "inner=a \"b\" c\n");
  EXPECT_EQ(Get(path, L"update_file"), L"/a b/c");
  EXPECT_EQ(Get(path, L"UPDATE_FILE", L"Fleet"), L"/a b/c");
  EXPECT_EQ(Get(path, L"dq"), L"  kept blanks  ");
  EXPECT_EQ(Get(path, L"sq"), L"x");
  EXPECT_EQ(Get(path, L"unmatched"), L"\"x'");
  EXPECT_EQ(Get(path, L"inner"), L"a \"b\" c");

  // Rewriting keeps the key's spelling from the file.
  ASSERT_TRUE(platform::WritePrivateProfileString(L"Fleet", L"UPDATE_FILE", L"/new", path));
  EXPECT_NE(ReadRaw(path).find("Update_File=/new\n"), std::string::npos);
  EXPECT_EQ(Get(path, L"update_file"), L"/new");
}

TEST_F(IniFileTest, FirstKeyWinsAcrossRepeatedSectionsAndStrayKeysAreIgnored) {
  const std::wstring path = PathOf("settings.ini");
  WriteRaw(path,
           "version=stray\n"
           "[fleet]\nversion=1\n"
           "[other]\nproject=other\n"
           "[fleet]\nversion=2\nproject=second\n");
  EXPECT_EQ(Get(path, L"version"), L"1");
  EXPECT_EQ(Get(path, L"project"), L"second");
  ASSERT_TRUE(platform::WritePrivateProfileString(L"fleet", L"project", L"p", path));
  EXPECT_EQ(ReadRaw(path),
            "version=stray\n"
            "[fleet]\nversion=1\n"
            "[other]\nproject=other\n"
            "[fleet]\nversion=2\nproject=p\n");
}

TEST_F(IniFileTest, StringsAreCutToTheBufferSize) {
  const std::wstring path = PathOf("settings.ini");
  const std::wstring long_value(3000, L'路');
  ASSERT_TRUE(platform::WritePrivateProfileString(L"fleet", L"update_file", long_value, path));
  EXPECT_EQ(platform::GetPrivateProfileString(L"fleet", L"update_file", L"", 2048, path),
            long_value.substr(0, 2047));
  EXPECT_EQ(platform::GetPrivateProfileString(L"fleet", L"update_file", L"", 1, path), L"");
  EXPECT_EQ(platform::GetPrivateProfileString(L"fleet", L"missing", L"abcdef", 4, path), L"abc");
}

TEST_F(IniFileTest, IntegersAreReadAsTheirLeadingDecimalNumber) {
  const std::wstring path = PathOf("settings.ini");
  WriteRaw(path,
           "[fleet]\n"
           "one=1\ntwo=2\nyes=yes\nzero=0\nprefix=12abc\nminus=-1\nplus=+7\n"
           "padded=   42   \nquoted=\"5\"\nempty=\nhuge=99999999999\nwrap=4294967296\n"
           "sign_only=-\nspace_inside=1 2\nhex=0x10\n");
  // Too large for 32 bits saturates instead of wrapping round to 0 ("off").
  const std::pair<const wchar_t*, unsigned> cases[] = {
      {L"one", 1}, {L"two", 2}, {L"yes", 0}, {L"zero", 0}, {L"prefix", 12}, {L"minus", UINT_MAX},
      {L"plus", 7}, {L"padded", 42}, {L"quoted", 5}, {L"empty", 99}, {L"missing", 99}, {L"huge", UINT_MAX},
      {L"wrap", UINT_MAX}, {L"sign_only", 0}, {L"space_inside", 1}, {L"hex", 0}};
  for (const auto& [key, expected] : cases) {
    EXPECT_EQ(platform::GetPrivateProfileInt(L"fleet", key, 99, path), expected) << Utf16ToUtf8(key);
  }
}

TEST_F(IniFileTest, WritingKeepsCommentsBlankLinesOtherSectionsAndLineEnds) {
  const std::wstring path = PathOf("settings.ini");
  WriteRaw(path,
           "\xEF\xBB\xBF; written by hand\r\n"
           "[fleet]\r\n"
           "version = 1.0\r\n"
           "# keep me\r\n"
           "no equals sign here\r\n"
           "\r\n"
           "[other]\r\n"
           "x=1");
  ASSERT_TRUE(platform::WritePrivateProfileStrings(
      L"fleet", {{L"version", L"2.0"}, {L"project", L"P"}}, path));
  ASSERT_TRUE(platform::WritePrivateProfileString(L"added", L"k", L"v", path));
  EXPECT_EQ(ReadRaw(path),
            "\xEF\xBB\xBF; written by hand\r\n"
            "[fleet]\r\n"
            "version=2.0\r\n"
            "project=P\r\n"
            "# keep me\r\n"
            "no equals sign here\r\n"
            "\r\n"
            "[other]\r\n"
            "x=1\r\n"
            "[added]\r\n"
            "k=v\r\n");
  EXPECT_EQ(Get(path, L"version"), L"2.0");
  EXPECT_EQ(Get(path, L"x", L"other"), L"1");
}

TEST_F(IniFileTest, LineBreaksAndUnreadableNamesAreRefusedAndLeaveTheFileUntouched) {
  const std::wstring path = PathOf("settings.ini");
  const std::string original = "[fleet]\nversion=1\n";
  WriteRaw(path, original);
  EXPECT_FALSE(platform::WritePrivateProfileString(L"fleet", L"update_file", L"/a\nversion=evil", path));
  EXPECT_FALSE(platform::WritePrivateProfileString(L"fleet", L"update_file", L"/a\rb", path));
  EXPECT_FALSE(platform::WritePrivateProfileString(L"fleet", L"update_file", std::wstring(L"a\0b", 3), path));
  for (const wchar_t* key : {L"", L"a=b", L"[x", L";x", L"#x", L" x", L"x\n"}) {
    EXPECT_FALSE(platform::WritePrivateProfileString(L"fleet", key, L"v", path)) << key;
  }
  for (const wchar_t* section : {L"", L"a]b", L"a\nb", L"x "}) {
    EXPECT_FALSE(platform::WritePrivateProfileString(section, L"k", L"v", path)) << section;
  }
  // All or nothing: the valid first entry is not stored either.
  EXPECT_FALSE(platform::WritePrivateProfileStrings(
      L"fleet", {{L"project", L"ok"}, {L"boot_logo", L"bad\n"}}, path));
  EXPECT_EQ(ReadRaw(path), original);
}

}  // namespace
