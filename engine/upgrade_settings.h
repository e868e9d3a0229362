// The upgrade configuration shared by the configuration store, the settings
// window, the main window and every device row (each row keeps its own copy).
#pragma once

#include <string>

struct UpgradeSettings {
  std::wstring update_file;  // image to push to every panel; empty = none
  std::wstring boot_logo;    // boot logo to push; empty = none
  std::wstring version;      // target version text
  std::wstring project;      // project name every panel must report
  bool force_update = false; // upgrade even when project or version say skip
};
