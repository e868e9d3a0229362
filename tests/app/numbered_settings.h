// A settings record that encodes a generation number in every field, so a
// file that mixes two saves is recognisable.
#pragma once

#include <string>

#include "engine/upgrade_settings.h"

inline UpgradeSettings NumberedSettings(long generation) {
  const std::wstring n = std::to_wstring(generation);
  UpgradeSettings settings;
  settings.update_file = L"/固件/" + n + L"/" + std::wstring(1500, L'u') + L".img";
  settings.boot_logo = L"/logo/" + n + L"/" + std::wstring(700, L'b') + L".JPG";
  settings.version = L"1.0." + n;
  settings.project = L"项目 " + n + L" " + std::wstring(300, L'p');
  settings.force_update = generation % 2 == 1;
  return settings;
}
