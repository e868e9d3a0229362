#include "app/config_store.h"

#include "base/text.h"
#include "platform/data_folder.h"
#include "platform/file_util.h"
#include "platform/ini_file.h"

namespace {

constexpr wchar_t kSection[] = L"fleet";
// Values are read as into a buffer of this many characters, terminator
// included: a longer value comes back cut to 2047 characters.
constexpr std::size_t kValueBufferChars = 2048;

std::wstring GetDataFilePath(const wchar_t* file_name) {
  const std::wstring base = GetLocalAppDataFolder();
  if (base.empty()) return {};
  const std::wstring folder = base + L"Lumora/FleetSync";
  if (!platform::IsDirectory(folder)) EnsureFolderTree(folder);
  return folder + L"/" + file_name;
}

}  // namespace

std::wstring GetLocalAppDataFolder() {
  std::wstring folder = platform::FindLocalAppDataDirectory();
  if (!folder.empty() && folder.back() != L'/') folder += L'/';
  return folder;
}

bool EnsureFolderTree(const std::wstring& path) { return platform::CreateDirectoryTree(path); }

std::wstring GetSettingsFilePath() { return GetDataFilePath(L"settings.ini"); }

std::wstring GetAddressListPath() { return GetDataFilePath(L"ip.txt"); }

std::wstring GetHistoryFilePath() { return GetDataFilePath(L"history.csv"); }

std::wstring ReadIniString(const std::wstring& section, const std::wstring& key,
                           const std::wstring& default_value) {
  const std::wstring path = GetSettingsFilePath();
  if (path.empty()) return default_value.substr(0, kValueBufferChars - 1);
  return platform::GetPrivateProfileString(section, key, default_value, kValueBufferChars, path);
}

unsigned int ReadIniInt(const std::wstring& section, const std::wstring& key) {
  const std::wstring path = GetSettingsFilePath();
  if (path.empty()) return 0;
  return platform::GetPrivateProfileInt(section, key, 0, path);
}

bool WriteIniString(const std::wstring& section, const std::wstring& key,
                    const std::wstring& value) {
  const std::wstring path = GetSettingsFilePath();
  return !path.empty() && platform::WritePrivateProfileString(section, key, value, path);
}

UpgradeSettings LoadUpgradeSettings() {
  UpgradeSettings settings;
  settings.update_file = ReadIniString(kSection, L"update_file", L"");
  settings.boot_logo = ReadIniString(kSection, L"boot_logo", L"");
  settings.version = ReadIniString(kSection, L"version", L"");
  settings.project = ReadIniString(kSection, L"project", L"");
  settings.force_update = ReadIniInt(kSection, L"force_update") != 0;
  return settings;
}

bool SaveUpgradeSettings(const UpgradeSettings& settings) {
  const std::wstring path = GetSettingsFilePath();
  if (path.empty()) return false;
  // One rewrite for all five keys: a crash or a failure can never leave a
  // file that mixes the old and the new record.
  const platform::IniEntries entries = {
      {L"update_file", settings.update_file},
      {L"boot_logo", settings.boot_logo},
      {L"version", settings.version},
      {L"project", settings.project},
      {L"force_update", FormatString(L"%d", settings.force_update ? 1 : 0)},
  };
  return platform::WritePrivateProfileStrings(kSection, entries, path);
}
