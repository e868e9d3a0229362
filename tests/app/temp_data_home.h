// Test fixture support: a private temporary folder used as XDG_DATA_HOME and
// HOME for the duration of a test, so the real home is never touched.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "base/text.h"

class TempDataHome {
 public:
  TempDataHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fleetsync_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    Save("XDG_DATA_HOME", old_xdg_);
    Save("HOME", old_home_);
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    SetDataHome(root_ / "xdg data 数据");
  }
  ~TempDataHome() {
    Restore("XDG_DATA_HOME", old_xdg_);
    Restore("HOME", old_home_);
    std::filesystem::remove_all(root_);
  }
  TempDataHome(const TempDataHome&) = delete;
  TempDataHome& operator=(const TempDataHome&) = delete;

  const std::filesystem::path& root() const { return root_; }
  const std::filesystem::path& data_home() const { return data_home_; }
  std::filesystem::path data_folder() const { return data_home_ / "Lumora" / "FleetSync"; }
  // A path as the program's wide strings hold it (std::filesystem's own
  // conversion depends on the locale).
  static std::wstring Wide(const std::filesystem::path& path) { return Utf8ToUtf16(path.string()); }

  void SetDataHome(const std::filesystem::path& folder) {
    data_home_ = folder;
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
  }
  // Leaves no way to find a data folder at all.
  void RemoveDataHome() {
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
  }

 private:
  static void Save(const char* name, std::optional<std::string>& slot) {
    if (const char* value = std::getenv(name)) slot = value;
  }
  static void Restore(const char* name, const std::optional<std::string>& slot) {
    if (slot) {
      ::setenv(name, slot->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }

  std::filesystem::path root_;
  std::filesystem::path data_home_;
  std::optional<std::string> old_xdg_;
  std::optional<std::string> old_home_;
};
