// Test fixture support: a private temporary folder used as XDG_DATA_HOME and
// HOME for the duration of a test, so the real home is never touched.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/text.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

class TempDataHome {
 public:
  TempDataHome() {
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", data_home_.c_str(), 1);
  }
  TempDataHome(const TempDataHome&) = delete;
  TempDataHome& operator=(const TempDataHome&) = delete;

  const std::filesystem::path& root() const { return root_; }
  const std::filesystem::path& data_home() const { return data_home_; }
  std::filesystem::path data_folder() const { return data_home_ / "Lumora" / "FleetSync"; }
  // A path as the program's wide strings hold it (std::filesystem's own
  // conversion depends on the locale).
  static std::wstring Wide(const std::filesystem::path& path) { return Utf8ToUtf16(path.string()); }
  // The bytes of a file in the data folder; empty when it cannot be read.
  std::string ReadDataFile(const std::string& name) const {
    std::ifstream in(data_folder() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Leaves no way to find a data folder at all.
  void RemoveDataHome() {
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
  }

 private:
  fleetsync_test::TempFolder folder_{"fleetsync"};
  const std::filesystem::path root_ = folder_.path();
  fleetsync_test::ScopedEnv xdg_{"XDG_DATA_HOME"};
  fleetsync_test::ScopedEnv home_{"HOME"};
  const std::filesystem::path data_home_ = root_ / "xdg data 数据";
};
