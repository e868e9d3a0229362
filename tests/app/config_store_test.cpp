#include "app/config_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "tests/app/temp_data_home.h"

namespace fs = std::filesystem;

namespace {

class ConfigStoreTest : public ::testing::Test {
 protected:
  void WriteSettingsBytes(const std::string& bytes) {
    fs::create_directories(data_home_.data_folder());
    std::ofstream(data_home_.data_folder() / "settings.ini", std::ios::binary) << bytes;
  }

  TempDataHome data_home_;
};

#define ExpectSameSettings(actual, expected) EXPECT_EQ(Fields(actual), Fields(expected))
auto Fields(const UpgradeSettings& s) {
  return std::make_tuple(Utf16ToUtf8(s.update_file), Utf16ToUtf8(s.boot_logo), Utf16ToUtf8(s.version),
                         Utf16ToUtf8(s.project), s.force_update);
}

TEST_F(ConfigStoreTest, FirstRequestCreatesTheFolderTreeButNoFileNotEvenLoading) {
  ASSERT_FALSE(fs::exists(data_home_.data_home()));
  EXPECT_EQ(GetLocalAppDataFolder(), TempDataHome::Wide(data_home_.data_home()) + L"/");

  EXPECT_EQ(GetSettingsFilePath(), TempDataHome::Wide(data_home_.data_folder() / "settings.ini"));
  EXPECT_TRUE(fs::is_directory(data_home_.data_home() / "Lumora"));
  EXPECT_TRUE(fs::is_directory(data_home_.data_folder()));
  EXPECT_EQ(GetAddressListPath(), TempDataHome::Wide(data_home_.data_folder() / "ip.txt"));
  // Loading without a file gives the defaults and creates none either (single
  // keys: the INI layer's missing-file case).
  ExpectSameSettings(LoadUpgradeSettings(), UpgradeSettings{});
  EXPECT_TRUE(fs::is_empty(data_home_.data_folder()));
}

TEST_F(ConfigStoreTest, SaveWritesTheWholeRecordOnceAndLoadGivesItBack) {
  UpgradeSettings settings;
  settings.update_file = L"/home/技术员/固件 目录/update.img";
  settings.boot_logo = L" /logo with blanks/logo.JPG ";
  settings.version = L"1.3.0-rc.1+build.5";
  settings.project = L"\"quoted project\"";
  settings.force_update = true;
  ASSERT_TRUE(SaveUpgradeSettings(settings));
  ExpectSameSettings(LoadUpgradeSettings(), settings);
  EXPECT_EQ(ReadIniString(L"fleet", L"force_update", L""), L"1");

  settings.force_update = false;
  settings.boot_logo.clear();
  ASSERT_TRUE(SaveUpgradeSettings(settings));
  ExpectSameSettings(LoadUpgradeSettings(), settings);
  EXPECT_EQ(data_home_.ReadDataFile("settings.ini"),
            "[fleet]\nupdate_file=/home/技术员/固件 目录/update.img\nboot_logo=\n"
            "version=1.3.0-rc.1+build.5\nproject=\"\"quoted project\"\"\nforce_update=0\n");
}

// The profile rules themselves are the INI layer's tests; here what the store
// makes of a hand-edited file: force_update by its leading number, and the
// rest of the file kept on save.
TEST_F(ConfigStoreTest, HandEditedFileIsReadByItsRulesAndKeptOnSave) {
  const std::pair<const char*, bool> flags[] = {{"yes", false}, {"2", true}, {"0", false}, {"-1", true}, {"1x", true}};
  for (const auto& [text, expected] : flags) {
    WriteSettingsBytes(std::string("[Fleet]\nFORCE_UPDATE = ") + text + "\n");
    EXPECT_EQ(LoadUpgradeSettings().force_update, expected) << text;
  }

  WriteSettingsBytes("; panels of hall B\n[Fleet]\nVersion=1\n\n[notes]\nwho=me\n");
  UpgradeSettings settings;
  settings.version = L"2";
  settings.project = L"P";
  ASSERT_TRUE(SaveUpgradeSettings(settings));
  EXPECT_EQ(data_home_.ReadDataFile("settings.ini"),
            "; panels of hall B\n[Fleet]\nVersion=2\nupdate_file=\nboot_logo=\nproject=P\n"
            "force_update=0\n\n[notes]\nwho=me\n");
}

TEST_F(ConfigStoreTest, WithoutADataFolderNothingIsWrittenAnywhere) {
  data_home_.RemoveDataHome();
  const fs::path previous = fs::current_path();
  fs::create_directory(data_home_.root() / "cwd");
  fs::current_path(data_home_.root() / "cwd");

  EXPECT_EQ(GetSettingsFilePath(), L"");
  EXPECT_EQ(GetAddressListPath(), L"");
  UpgradeSettings settings;
  settings.version = L"1.0.0";
  EXPECT_FALSE(SaveUpgradeSettings(settings));
  EXPECT_FALSE(WriteIniString(L"fleet", L"version", L"1"));
  ExpectSameSettings(LoadUpgradeSettings(), UpgradeSettings{});
  EXPECT_EQ(ReadIniString(L"fleet", L"version", L"dflt"), L"dflt");
  EXPECT_TRUE(fs::is_empty(fs::current_path()));
  fs::current_path(previous);
}

TEST_F(ConfigStoreTest, AFileInPlaceOfTheFolderMakesSavesFailAndLoadsDefault) {
  fs::create_directories(data_home_.data_home() / "Lumora");
  std::ofstream(data_home_.data_folder()) << "not a folder";
  EXPECT_FALSE(EnsureFolderTree(TempDataHome::Wide(data_home_.data_folder())));
  UpgradeSettings settings;
  settings.version = L"1.0.0";
  EXPECT_FALSE(SaveUpgradeSettings(settings));
  ExpectSameSettings(LoadUpgradeSettings(), UpgradeSettings{});
  EXPECT_TRUE(fs::is_regular_file(data_home_.data_folder()));
}

}  // namespace
